#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace foliant::automation {

// Base of every object that can be held by a Variant and passed across the automation
// boundary. Objects are reference-counted through shared_ptr; asking an object for an
// interface is a dynamic_pointer_cast.
class Object {
public:
    virtual ~Object() = default;
};

// A calendar date with time of day, counted as in automation hosts: whole days since
// 1899-12-30, the fraction is the time of day.
struct Date {
    double value = 0.0;
    friend bool operator==(const Date&, const Date&) = default;
};

using ByteArray = std::vector<std::uint8_t>;

// The values that cross the automation boundary. Kind() names the alternative held.
class Variant {
public:
    enum class Type { Empty, Int16, Int32, Double, Boolean, Text, Date, Object, Bytes };

    Variant() = default;
    Variant(std::int16_t v) : v_(v) {}
    Variant(std::int32_t v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(bool v) : v_(v) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}
    Variant(Date v) : v_(v) {}
    Variant(std::shared_ptr<Object> v) : v_(std::move(v)) {}
    Variant(ByteArray v) : v_(std::move(v)) {}

    Type Kind() const noexcept { return static_cast<Type>(v_.index()); }
    bool IsEmpty() const noexcept { return Kind() == Type::Empty; }

    template <typename T> bool Holds() const noexcept { return std::holds_alternative<T>(v_); }
    template <typename T> const T& Get() const { return std::get<T>(v_); }
    template <typename T> const T* TryGet() const noexcept { return std::get_if<T>(&v_); }

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    std::variant<std::monostate, std::int16_t, std::int32_t, double, bool, std::string, Date,
                 std::shared_ptr<Object>, ByteArray>
        v_;
};

} // namespace foliant::automation
