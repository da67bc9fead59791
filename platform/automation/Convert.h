#pragma once

// Conversions of Variant values as a host converts arguments, and the cast of an object to an
// interface. Every failing conversion throws AutomationError: kTypeMismatch (13, "Type
// mismatch") when the value cannot stand for the type, kOverflow (6, "Overflow") when a number
// does not fit. None ever guesses: an object, an array or a text that is not a number is never
// a number.

#include "platform/automation/values/AutomationError.h"
#include "platform/automation/values/Variant.h"

#include <memory>
#include <string>

namespace foliant::automation {

// The errors as the platform raises them (no source).
AutomationError TypeMismatchError();
AutomationError OverflowError();
AutomationError ObjectNotSetError();

// Numbers, Booleans (True is -1), dates and texts holding a number convert; halves round to
// even; Empty is 0.
std::int16_t ToInt16(const Variant& v);
std::int32_t ToInt32(const Variant& v);
double ToDouble(const Variant& v);
// Numbers (nonzero is True), texts "True"/"False" in any case or holding a number; Empty is
// False.
bool ToBoolean(const Variant& v);
// Numbers as shortest decimal text ("1.5", "1E+20"), Booleans "True"/"False", dates as
// "YYYY-MM-DD" with " HH:MM:SS" when they have a time; Empty is "".
std::string ToText(const Variant& v);
// Dates and numbers (days since 1899-12-30).
Date ToDate(const Variant& v);
// An object reference (null for Nothing). Anything else, Empty included, is a type mismatch.
std::shared_ptr<Object> ToObject(const Variant& v);
ByteArray ToBytes(const Variant& v);

// Asks an object for the interface I: the object itself when it implements I, else null.
// Null stays null.
template <typename I> std::shared_ptr<I> QueryInterface(const std::shared_ptr<Object>& object) {
    return std::dynamic_pointer_cast<I>(object);
}

// The object as the interface I, the way a host casts an object reference: Nothing stays
// Nothing, an object that does not offer I raises type mismatch.
template <typename I> std::shared_ptr<I> Cast(const std::shared_ptr<Object>& object) {
    if (!object) {
        return nullptr;
    }
    auto result = std::dynamic_pointer_cast<I>(object);
    if (!result) {
        throw TypeMismatchError();
    }
    return result;
}

// FromVariant<T>(v): v converted to an argument of type T with the rules above. T is one of
// the Variant alternatives, Variant itself, or std::shared_ptr<I> of an interface I (cast).
template <typename T> struct VariantConverter;

template <> struct VariantConverter<Variant> {
    static Variant From(const Variant& v) { return v; }
};
template <> struct VariantConverter<std::int16_t> {
    static std::int16_t From(const Variant& v) { return ToInt16(v); }
};
template <> struct VariantConverter<std::int32_t> {
    static std::int32_t From(const Variant& v) { return ToInt32(v); }
};
template <> struct VariantConverter<double> {
    static double From(const Variant& v) { return ToDouble(v); }
};
template <> struct VariantConverter<bool> {
    static bool From(const Variant& v) { return ToBoolean(v); }
};
template <> struct VariantConverter<std::string> {
    static std::string From(const Variant& v) { return ToText(v); }
};
template <> struct VariantConverter<Date> {
    static Date From(const Variant& v) { return ToDate(v); }
};
template <> struct VariantConverter<ByteArray> {
    static ByteArray From(const Variant& v) { return ToBytes(v); }
};
template <typename I> struct VariantConverter<std::shared_ptr<I>> {
    static std::shared_ptr<I> From(const Variant& v) { return Cast<I>(ToObject(v)); }
};

template <typename T> T FromVariant(const Variant& v) {
    return VariantConverter<T>::From(v);
}

// A result back into a Variant: object references of any interface become Object.
template <typename T> Variant ToVariant(T value) {
    return Variant(std::move(value));
}
template <typename I> Variant ToVariant(std::shared_ptr<I> value) {
    return Variant(std::static_pointer_cast<Object>(std::move(value)));
}

} // namespace foliant::automation
