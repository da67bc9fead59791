#pragma once

#include "engine/core/EngineError.h"
#include "platform/automation/values/Variant.h"

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace foliant::engine {

// A live, 1-based view of one of the report's collections (areas, sections, objects, tables,
// fields, definitions). It always shows the collection as it is now: after an object is
// discarded or a group dropped, ItemCount and ItemAt answer for the changed collection.
// ItemAt takes a 1-based index or a name; an index out of range or an unknown name throws
// EngineError naming the list and the key.
template <typename T> class ItemList : public automation::Object {
public:
    using Items = std::vector<std::shared_ptr<T>>;
    using Source = std::function<Items()>;
    using Matcher = std::function<bool(const T&, const std::string&)>;

    // noun: what one item is called ("area"); place: where the list lives, with a leading
    // space (" in section D") or empty for the report's own lists.
    ItemList(std::string noun, std::string place, Source source, Matcher matches)
        : noun_(std::move(noun)), place_(std::move(place)), source_(std::move(source)),
          matches_(std::move(matches)) {}

    int ItemCount() const { return static_cast<int>(source_().size()); }

    std::shared_ptr<T> ItemAt(int index) const {
        const Items items = source_();
        if (index < 1 || index > static_cast<int>(items.size())) {
            throw EngineError("There is no " + noun_ + " " + std::to_string(index) + place_ + ": " +
                              CountText(items.size()) + ".");
        }
        return items[static_cast<std::size_t>(index - 1)];
    }

    std::shared_ptr<T> ItemAt(const std::string& name) const {
        for (const auto& item : source_()) {
            if (matches_(*item, name)) {
                return item;
            }
        }
        throw EngineError("There is no " + noun_ + " named " + name + place_ + ".");
    }

    std::shared_ptr<T> ItemAt(const char* name) const { return ItemAt(std::string(name)); }

    // The form a late-bound caller uses: a whole number is an index, text is a name.
    std::shared_ptr<T> ItemAt(const automation::Variant& key) const {
        if (const auto* i = key.TryGet<std::int16_t>()) {
            return ItemAt(static_cast<int>(*i));
        }
        if (const auto* i = key.TryGet<std::int32_t>()) {
            return ItemAt(static_cast<int>(*i));
        }
        if (const auto* d = key.TryGet<double>()) {
            if (std::isfinite(*d) && *d == std::floor(*d) && std::fabs(*d) < 2e9) {
                return ItemAt(static_cast<int>(*d));
            }
        }
        if (const auto* s = key.TryGet<std::string>()) {
            return ItemAt(*s);
        }
        throw EngineError("A " + noun_ + place_ + " is chosen by a whole number or a name.");
    }

    // Every item, first to last (a snapshot for iterating in C++).
    Items All() const { return source_(); }

private:
    std::string CountText(std::size_t n) const {
        if (n == 0) {
            return "the list is empty";
        }
        std::string plural = noun_ + "s";
        if (noun_.ends_with('y')) {
            plural = noun_.substr(0, noun_.size() - 1) + "ies";
        }
        return "the list has " + std::to_string(n) + " " + (n == 1 ? noun_ : plural) +
               ", numbered from 1";
    }

    std::string noun_;
    std::string place_;
    Source source_;
    Matcher matches_;
};

} // namespace foliant::engine
