#pragma once

// The C view of objects: IDispatch pointers with IUnknown reference counting on top of the
// objects' shared_ptrs, and VARIANT <-> Variant conversion.
//
// An object handed to a host gets one C view for as long as any host holds it (so asking twice
// gives the same pointer); the view holds a shared_ptr to the object and drops it on the last
// Release. A C view coming back from a host is resolved to the object behind it when it was made
// by this layer in any loaded module; any other host object is wrapped in ForeignDispatch, whose
// C++ calls go through the host's vtable.
//
// Every live C view and class factory counts as an object of the module for DllCanUnloadNow.

#include "platform/automation/Dispatch.h"

#include <memory>

namespace foliant::automation {

// A new reference to the C view of object (null for null). A ForeignDispatch gives back the
// host's own pointer.
IDispatch* ToDispatch(const std::shared_ptr<Object>& object);

// The object behind a C view (null for null): the object itself for a view made by this layer,
// else a ForeignDispatch holding a reference. Null as well when the pointer offers no IDispatch.
std::shared_ptr<Object> FromDispatch(IUnknown* unknown);

// Converts a Variant to a VARIANT the caller owns (VariantClear). E_OUTOFMEMORY on failure.
HRESULT ToVARIANT(const Variant& value, VARIANT* out) noexcept;
// Converts a VARIANT (references followed) to a Variant. VT_UI1 becomes Int16 and VT_R4
// Double; DISP_E_BADVARTYPE for a type with no Variant (VT_NULL, VT_ERROR, arrays of anything
// but bytes); DISP_E_TYPEMISMATCH for an interface that offers no IDispatch.
HRESULT FromVARIANT(const VARIANT& value, Variant* out) noexcept;

// Fills a host's EXCEPINFO (strings as new BSTRs).
void ToEXCEPINFO(const ExcepInfo& info, EXCEPINFO* out) noexcept;
ExcepInfo FromEXCEPINFO(const EXCEPINFO& info);

// A host's object seen from C++: member calls go through its IDispatch.
class ForeignDispatch final : public Dispatchable {
public:
    explicit ForeignDispatch(IDispatch* dispatch); // takes a reference of its own
    ~ForeignDispatch() override;
    ForeignDispatch(const ForeignDispatch&) = delete;
    ForeignDispatch& operator=(const ForeignDispatch&) = delete;

    IDispatch* Get() const { return dispatch_; }

    HRESULT GetIDsOfNames(std::span<const std::string> names, std::span<DISPID> ids) override;
    HRESULT Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args, Variant* result,
                   ExcepInfo* excep, std::uint32_t* argErr) override;

protected:
    const DispatchTable& Dispatch() const override;

private:
    IDispatch* dispatch_;
};

// Objects of this module alive in C views and class factories, and server locks.
long LiveObjectCount();
long ServerLockCount();
void LockServer(bool lock);

namespace detail {
// Counts a C view or class factory for the module's lifetime.
void ObjectCreated();
void ObjectDestroyed();
} // namespace detail

} // namespace foliant::automation
