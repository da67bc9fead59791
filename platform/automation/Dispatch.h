#pragma once

// The dispatch interface in C++: objects that hosts call by member name.
//
// A class offers members by deriving from Dispatchable and returning a DispatchTable: one
// entry per member and access kind (method, property get, put, put by reference), each with
// its name, dispatch id, argument count and handler. GetIDsOfNames and Invoke then behave as
// a host expects: names compare without regard to case; an unknown name is
// DISP_E_UNKNOWNNAME; an unknown id or an access the member does not offer is
// DISP_E_MEMBERNOTFOUND; a wrong number of arguments DISP_E_BADPARAMCOUNT; an argument that
// does not convert DISP_E_TYPEMISMATCH (or DISP_E_OVERFLOW) with the argument's index; an
// AutomationError raised by a handler DISP_E_EXCEPTION with the error's number, source and
// description unchanged in the ExcepInfo.
//
//     const DispatchTable& Counter::Dispatch() const {
//         static const DispatchTable table(IID__Counter, "_Counter", {
//             PropertyGet("Value", 1, &Counter::Value),
//             PropertyPut("Value", 1, &Counter::SetValue),
//             Method("Add", 2, &Counter::Add),
//         });
//         return table;
//     }

#include "platform/automation/Convert.h"
#include "platform/automation/Guid.h"
#include "platform/automation/foliant_automation.h"
#include "platform/automation/values/AutomationError.h"
#include "platform/automation/values/Variant.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace foliant::automation {

// A raised error as it travels with DISP_E_EXCEPTION. Exactly one of wCode and scode is set.
struct ExcepInfo {
    std::uint16_t wCode = 0;
    HRESULT scode = S_OK;
    std::string source;
    std::string description;
    std::string helpFile;
    std::uint32_t helpContext = 0;

    // The error number a host reports: see FoliantErrorNumber.
    std::int32_t Number() const;
};

// The scode that carries an error number: 1..65535 as a control-facility HRESULT
// (0x800A0000 | number); 0 as E_FAIL; any other number travels as it is.
HRESULT ScodeOfErrorNumber(std::int32_t number);
// The ExcepInfo of a raised error, number, source and description unchanged.
ExcepInfo ExcepInfoOf(const AutomationError& error);
// The error a host raises for a failed call: the raised error itself for DISP_E_EXCEPTION,
// else the host's error for the result (13 "Type mismatch" for DISP_E_TYPEMISMATCH,
// 438 for an unknown member, 450 for a wrong argument count, ...).
AutomationError ErrorOfResult(HRESULT hr, const ExcepInfo* info = nullptr);
// Throws ErrorOfResult(hr, info) when hr is a failure.
void CheckResult(HRESULT hr, const ExcepInfo* info = nullptr);

class Dispatchable;

// Thrown by a handler whose argument did not convert: Invoke answers `result` and reports the
// argument's index.
struct ArgumentFailure {
    std::size_t index;
    HRESULT result;
};

// Converts argument `index` to T; a conversion error becomes an ArgumentFailure.
template <typename T> T ArgumentAs(std::span<const Variant> args, std::size_t index) {
    try {
        return FromVariant<T>(args[index]);
    } catch (const AutomationError& e) {
        throw ArgumentFailure{index,
                              e.Number() == kOverflow ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH};
    }
}

// Member kinds are the Invoke flags.
enum class MemberKind : std::uint16_t {
    Method = DISPATCH_METHOD,
    PropertyGet = DISPATCH_PROPERTYGET,
    PropertyPut = DISPATCH_PROPERTYPUT,
    PropertyPutRef = DISPATCH_PROPERTYPUTREF,
};

// A handler gets the object and the arguments in the order of the member's declaration (for
// a put, the new value last) and returns the result (Empty for none).
using MemberHandler = std::function<Variant(Dispatchable& self, std::span<const Variant> args)>;

struct Member {
    std::string name;
    DISPID dispid = DISPID_UNKNOWN;
    MemberKind kind = MemberKind::Method;
    std::size_t argumentCount = 0;
    MemberHandler handler;
};

// The members of one interface. Entries sharing a dispatch id must share the name (a
// property's get and put); the constructor throws std::logic_error for a table that breaks
// that or declares the same id and kind twice.
class DispatchTable {
public:
    DispatchTable(GUID interfaceId, std::string interfaceName, std::vector<Member> members);

    const GUID& InterfaceId() const { return interfaceId_; }
    const std::string& InterfaceName() const { return interfaceName_; }
    const std::vector<Member>& Members() const { return members_; }

    std::optional<DISPID> IdOfName(std::string_view name) const;
    bool HasId(DISPID id) const;
    const Member* Find(DISPID id, MemberKind kind) const;

private:
    GUID interfaceId_;
    std::string interfaceName_;
    std::vector<Member> members_;
};

// An object that hosts can call by name. Reference counting for hosts is done by the C view
// (Bridge.h) on top of the object's shared_ptr.
class Dispatchable : public Object {
public:
    // Fills ids (same size as names) and answers S_OK, or DISP_E_UNKNOWNNAME when a name is
    // unknown (its id is DISPID_UNKNOWN). Only names[0] is a member; further names would be
    // parameter names, which are never known.
    virtual HRESULT GetIDsOfNames(std::span<const std::string> names, std::span<DISPID> ids);

    // Calls a member; args are in declaration order. flags combine DISPATCH_*; METHOD with
    // PROPERTYGET calls whichever the member offers. *result receives the member's result
    // (may be null); *excep the raised error on DISP_E_EXCEPTION; *argErr the index into args
    // of an argument that did not convert. Never throws.
    virtual HRESULT Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args,
                           Variant* result, ExcepInfo* excep, std::uint32_t* argErr);

    // The interface a host may ask this object for besides IUnknown and IDispatch.
    virtual const GUID& InterfaceId() const { return Dispatch().InterfaceId(); }

protected:
    virtual const DispatchTable& Dispatch() const = 0;
};

// Calls a member by name on any object the way a host does (GetIDsOfNames, then Invoke) and
// returns its result; throws ErrorOfResult of a failure. An object that is not Dispatchable
// has no members (438).
Variant CallByName(const std::shared_ptr<Object>& object, std::string_view name,
                   std::uint16_t flags, std::vector<Variant> args = {});

// ---- Declaring members from member functions -------------------------------------------

namespace detail {
template <typename R, typename Call> Variant ResultOf(Call&& call) {
    if constexpr (std::is_void_v<R>) {
        call();
        return Variant();
    } else {
        return ToVariant(call());
    }
}

template <typename T, typename R, typename F, typename... A, std::size_t... I>
MemberHandler Bind(F fn, std::index_sequence<I...>) {
    return [fn](Dispatchable& self, std::span<const Variant> args) -> Variant {
        auto& object = static_cast<T&>(self);
        (void)args;
        // Converted left to right, so the first argument that fails is the one reported.
        std::tuple<std::decay_t<A>...> converted{ArgumentAs<std::decay_t<A>>(args, I)...};
        (void)converted;
        return ResultOf<R>([&] { return (object.*fn)(std::get<I>(std::move(converted))...); });
    };
}

template <typename T, typename R, typename F, typename... A>
Member Make(std::string name, DISPID id, MemberKind kind, F fn) {
    return Member{std::move(name), id, kind, sizeof...(A),
                  Bind<T, R, F, A...>(fn, std::index_sequence_for<A...>{})};
}
} // namespace detail

// A method: arguments and result convert with FromVariant / ToVariant.
template <typename T, typename R, typename... A>
Member Method(std::string name, DISPID id, R (T::*fn)(A...)) {
    return detail::Make<T, R, decltype(fn), A...>(std::move(name), id, MemberKind::Method, fn);
}
template <typename T, typename R, typename... A>
Member Method(std::string name, DISPID id, R (T::*fn)(A...) const) {
    return detail::Make<T, R, decltype(fn), A...>(std::move(name), id, MemberKind::Method, fn);
}

// A property get (the getter may take index arguments).
template <typename T, typename R, typename... A>
Member PropertyGet(std::string name, DISPID id, R (T::*fn)(A...) const) {
    return detail::Make<T, R, decltype(fn), A...>(std::move(name), id, MemberKind::PropertyGet, fn);
}
template <typename T, typename R, typename... A>
Member PropertyGet(std::string name, DISPID id, R (T::*fn)(A...)) {
    return detail::Make<T, R, decltype(fn), A...>(std::move(name), id, MemberKind::PropertyGet, fn);
}

// A property put (assignment of a value) and put by reference (assignment of an object).
template <typename T, typename... A>
Member PropertyPut(std::string name, DISPID id, void (T::*fn)(A...)) {
    return detail::Make<T, void, decltype(fn), A...>(std::move(name), id, MemberKind::PropertyPut,
                                                     fn);
}
template <typename T, typename... A>
Member PropertyPutRef(std::string name, DISPID id, void (T::*fn)(A...)) {
    return detail::Make<T, void, decltype(fn), A...>(std::move(name), id,
                                                     MemberKind::PropertyPutRef, fn);
}

} // namespace foliant::automation
