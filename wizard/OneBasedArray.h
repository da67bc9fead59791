#pragma once

#include "platform/automation/values/AutomationError.h"

#include <deque>
#include <string>
#include <utility>

namespace foliant::Wizard {

// Error number of an array index outside the array's bounds.
inline constexpr std::int32_t kSubscriptOutOfRange = 9;

// A 1-based array of the wizard state. It starts empty and is resized with its contents kept
// (entries beyond the new size are dropped, new entries are value-initialised: 0, False, "").
// Every access is checked: an index outside 1..UBound() throws AutomationError 9 naming the
// array and the index, never reads or writes out of bounds.
template <typename T> class OneBasedArray {
public:
    explicit OneBasedArray(std::string name) : name_(std::move(name)) {}

    const std::string& Name() const noexcept { return name_; }
    // The highest index; 0 for an empty array.
    int UBound() const noexcept { return static_cast<int>(values_.size()); }
    bool IsEmpty() const noexcept { return values_.empty(); }

    // Resizes to 1..upper keeping the entries that remain (upper 0 empties the array).
    void ReDimPreserve(int upper) {
        if (upper < 0) {
            throw automation::AutomationError(kSubscriptOutOfRange, "Foliant",
                                              "Subscript out of range: " + name_ +
                                                  " cannot be resized to " + std::to_string(upper) +
                                                  " entries.");
        }
        values_.resize(static_cast<std::size_t>(upper));
    }
    void Erase() { values_.clear(); }

    T& operator()(int index) { return values_[Check(index)]; }
    const T& operator()(int index) const { return values_[Check(index)]; }

    // Grows the array by one entry holding value.
    void Append(T value) { values_.push_back(std::move(value)); }
    // Inserts value as entry index (1 to UBound() + 1); the entries from index on move up.
    void InsertAt(int index, T value) {
        const std::size_t at = index == UBound() + 1 ? values_.size() : Check(index);
        values_.insert(values_.begin() + static_cast<long>(at), std::move(value));
    }
    // Removes entry index; the entries after it move down by one.
    void RemoveAt(int index) { values_.erase(values_.begin() + static_cast<long>(Check(index))); }

    const std::deque<T>& Values() const noexcept { return values_; }

private:
    std::size_t Check(int index) const {
        if (index < 1 || index > UBound()) {
            throw automation::AutomationError(
                kSubscriptOutOfRange, "Foliant",
                "Subscript out of range: " + name_ + "(" + std::to_string(index) + ") " +
                    (values_.empty() ? std::string("of an empty array")
                                     : "outside 1 to " + std::to_string(UBound())) +
                    ".");
        }
        return static_cast<std::size_t>(index - 1);
    }

    std::string name_;
    std::deque<T> values_;
};

} // namespace foliant::Wizard
