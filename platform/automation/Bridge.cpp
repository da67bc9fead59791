#include "platform/automation/Bridge.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <type_traits>
#include <unordered_map>

namespace foliant::automation {

namespace {

// The private interface every C view made by this layer answers to, in whichever module it was
// made: its vtable continues IDispatch's with the call that hands out the object. The IID names
// this exact layout; change the IID whenever the layout changes.
constexpr GUID IID_IFoliantObject = Guid("{FA586C99-FCD0-482B-A3C8-398FA2D49964}");

struct BridgeVtbl {
    IDispatchVtbl dispatch;
    std::uint32_t layoutCheck;
    void (*GetObject)(IDispatch* self, std::shared_ptr<Object>* out);
};
constexpr std::uint32_t kLayoutCheck = sizeof(BridgeVtbl) * 256 + sizeof(std::shared_ptr<Object>);

struct ViewState {
    std::atomic<std::uint32_t> refs{1};
    std::shared_ptr<Object> object;
    std::shared_ptr<Dispatchable> dispatch; // null for an object without members
};

struct View {
    IDispatch iface; // first: an IDispatch* of a view is the View*
    ViewState* state;
};
static_assert(std::is_standard_layout_v<View>);

View* ViewOf(IDispatch* p) {
    return reinterpret_cast<View*>(p);
}

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// The view currently handed out for each object, so one object has one identity.
struct ViewMap {
    std::mutex mutex;
    std::unordered_map<const Object*, View*> views;
};
// Never destroyed: a view may be released while the process exits.
ViewMap& Views() {
    static ViewMap* map = new ViewMap;
    return *map;
}

bool IsNullIid(REFIID riid) {
    return riid == nullptr || IsEqualGUID(riid, &IID_NULL);
}

HRESULT ViewQueryInterface(IDispatch* self, REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!riid) {
        return E_POINTER;
    }
    ViewState* state = ViewOf(self)->state;
    bool offered = IsEqualGUID(riid, &IID_IUnknown) || IsEqualGUID(riid, &IID_IDispatch) ||
                   IsEqualGUID(riid, &IID_IFoliantObject);
    if (!offered && state->dispatch) {
        try {
            const GUID& own = state->dispatch->InterfaceId();
            offered = !(own == IID_NULL) && *riid == own;
        } catch (...) {
            offered = false;
        }
    }
    if (!offered) {
        return E_NOINTERFACE;
    }
    state->refs.fetch_add(1);
    *ppv = self;
    return S_OK;
}

std::uint32_t ViewAddRef(IDispatch* self) {
    return ViewOf(self)->state->refs.fetch_add(1) + 1;
}

std::uint32_t ViewRelease(IDispatch* self) {
    View* view = ViewOf(self);
    const std::uint32_t left = view->state->refs.fetch_sub(1) - 1;
    if (left == 0) {
        {
            auto& map = Views();
            std::lock_guard lock(map.mutex);
            auto found = map.views.find(view->state->object.get());
            if (found != map.views.end() && found->second == view) {
                map.views.erase(found);
            }
        }
        // Outside the lock: the object's destructor may release views of its own.
        delete view->state;
        delete view;
        detail::ObjectDestroyed();
    }
    return left;
}

HRESULT ViewGetTypeInfoCount(IDispatch*, std::uint32_t* pctinfo) {
    if (!pctinfo) {
        return E_POINTER;
    }
    *pctinfo = 0;
    return S_OK;
}

HRESULT ViewGetTypeInfo(IDispatch*, std::uint32_t, LCID, void** ppTInfo) {
    if (ppTInfo) {
        *ppTInfo = nullptr;
    }
    return DISP_E_BADINDEX;
}

HRESULT ViewGetIDsOfNames(IDispatch* self, REFIID riid, LPOLESTR* rgszNames, std::uint32_t cNames,
                          LCID, DISPID* rgDispId) {
    if (cNames > 0 && (!rgszNames || !rgDispId)) {
        return E_POINTER;
    }
    if (!IsNullIid(riid)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    try {
        ViewState* state = ViewOf(self)->state;
        if (!state->dispatch) {
            for (std::uint32_t i = 0; i < cNames; ++i) {
                rgDispId[i] = DISPID_UNKNOWN;
            }
            return cNames ? DISP_E_UNKNOWNNAME : S_OK;
        }
        std::vector<std::string> names;
        names.reserve(cNames);
        for (std::uint32_t i = 0; i < cNames; ++i) {
            names.emplace_back(rgszNames[i] ? rgszNames[i] : "");
        }
        return state->dispatch->GetIDsOfNames(names, std::span<DISPID>(rgDispId, cNames));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ViewInvoke(IDispatch* self, DISPID dispIdMember, REFIID riid, LCID, std::uint16_t wFlags,
                   DISPPARAMS* params, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   std::uint32_t* puArgErr) {
    if (!params || (params->cArgs > 0 && !params->rgvarg) ||
        (params->cNamedArgs > 0 && !params->rgdispidNamedArgs)) {
        return E_POINTER;
    }
    if (!IsNullIid(riid)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    const bool put = wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (params->cNamedArgs > 0) {
        // The only named argument there is: the value of a property put, which is rgvarg[0].
        if (!put || params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_NONAMEDARGS;
        }
    }
    try {
        ViewState* state = ViewOf(self)->state;
        if (!state->dispatch) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const std::uint32_t count = params->cArgs;
        std::vector<Variant> args(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            // rgvarg holds the arguments last first.
            const HRESULT hr = FromVARIANT(params->rgvarg[count - 1 - i], &args[i]);
            if (FAILED(hr)) {
                if (puArgErr) {
                    *puArgErr = count - 1 - i;
                }
                return hr;
            }
        }
        Variant result;
        ExcepInfo excep;
        std::uint32_t argErr = 0;
        const HRESULT hr = state->dispatch->Invoke(dispIdMember, wFlags, args,
                                                   pVarResult ? &result : nullptr, &excep, &argErr);
        if (hr == DISP_E_EXCEPTION && pExcepInfo) {
            ToEXCEPINFO(excep, pExcepInfo);
        }
        if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == DISP_E_BADVARTYPE) &&
            puArgErr && argErr < count) {
            *puArgErr = count - 1 - argErr;
        }
        if (SUCCEEDED(hr) && pVarResult) {
            VariantInit(pVarResult);
            return ToVARIANT(result, pVarResult);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void ViewGetObject(IDispatch* self, std::shared_ptr<Object>* out) {
    *out = ViewOf(self)->state->object;
}

const BridgeVtbl kViewVtbl = {
    {ViewQueryInterface, ViewAddRef, ViewRelease, ViewGetTypeInfoCount, ViewGetTypeInfo,
     ViewGetIDsOfNames, ViewInvoke},
    kLayoutCheck,
    ViewGetObject,
};

} // namespace

namespace detail {
void ObjectCreated() {
    g_objects.fetch_add(1);
}
void ObjectDestroyed() {
    g_objects.fetch_sub(1);
}
} // namespace detail

long LiveObjectCount() {
    return g_objects.load();
}

long ServerLockCount() {
    return g_locks.load();
}

void LockServer(bool lock) {
    if (lock) {
        g_locks.fetch_add(1);
    } else {
        // An unbalanced unlock never makes the count negative.
        long current = g_locks.load();
        while (current > 0 && !g_locks.compare_exchange_weak(current, current - 1)) {
        }
    }
}

IDispatch* ToDispatch(const std::shared_ptr<Object>& object) {
    if (!object) {
        return nullptr;
    }
    if (auto* foreign = dynamic_cast<ForeignDispatch*>(object.get())) {
        IDispatch* p = foreign->Get();
        p->lpVtbl->AddRef(p);
        return p;
    }
    auto& map = Views();
    std::lock_guard lock(map.mutex);
    auto found = map.views.find(object.get());
    if (found != map.views.end()) {
        // A view whose count already fell to 0 is being destroyed: never revive it.
        auto& refs = found->second->state->refs;
        std::uint32_t current = refs.load();
        while (current > 0 && !refs.compare_exchange_weak(current, current + 1)) {
        }
        if (current > 0) {
            return &found->second->iface;
        }
    }
    auto state = std::make_unique<ViewState>();
    state->object = object;
    state->dispatch = std::dynamic_pointer_cast<Dispatchable>(object);
    auto view = std::make_unique<View>(View{{&kViewVtbl.dispatch}, nullptr});
    map.views[object.get()] = view.get();
    view->state = state.release();
    detail::ObjectCreated();
    return &view.release()->iface;
}

std::shared_ptr<Object> FromDispatch(IUnknown* unknown) {
    if (!unknown) {
        return nullptr;
    }
    void* p = nullptr;
    if (SUCCEEDED(unknown->lpVtbl->QueryInterface(unknown, &IID_IFoliantObject, &p)) && p) {
        auto* dispatch = static_cast<IDispatch*>(p);
        const auto* vtbl = reinterpret_cast<const BridgeVtbl*>(dispatch->lpVtbl);
        std::shared_ptr<Object> object;
        if (vtbl->layoutCheck == kLayoutCheck) {
            vtbl->GetObject(dispatch, &object);
        }
        dispatch->lpVtbl->Release(dispatch);
        if (object) {
            return object;
        }
    }
    p = nullptr;
    if (SUCCEEDED(unknown->lpVtbl->QueryInterface(unknown, &IID_IDispatch, &p)) && p) {
        auto* dispatch = static_cast<IDispatch*>(p);
        std::shared_ptr<Object> object;
        try {
            object = std::make_shared<ForeignDispatch>(dispatch);
        } catch (...) {
            dispatch->lpVtbl->Release(dispatch);
            throw;
        }
        dispatch->lpVtbl->Release(dispatch);
        return object;
    }
    return nullptr;
}

HRESULT ToVARIANT(const Variant& value, VARIANT* out) noexcept {
    if (!out) {
        return E_POINTER;
    }
    VariantInit(out);
    try {
        switch (value.Kind()) {
        case Variant::Type::Empty:
            return S_OK;
        case Variant::Type::Int16:
            out->vt = VT_I2;
            out->iVal = value.Get<std::int16_t>();
            return S_OK;
        case Variant::Type::Int32:
            out->vt = VT_I4;
            out->lVal = value.Get<std::int32_t>();
            return S_OK;
        case Variant::Type::Double:
            out->vt = VT_R8;
            out->dblVal = value.Get<double>();
            return S_OK;
        case Variant::Type::Boolean:
            out->vt = VT_BOOL;
            out->boolVal = value.Get<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        case Variant::Type::Date:
            out->vt = VT_DATE;
            out->date = value.Get<Date>().value;
            return S_OK;
        case Variant::Type::Text: {
            const auto& text = value.Get<std::string>();
            BSTR b = SysAllocStringLen(text.data(), static_cast<std::uint32_t>(text.size()));
            if (!b) {
                return E_OUTOFMEMORY;
            }
            out->vt = VT_BSTR;
            out->bstrVal = b;
            return S_OK;
        }
        case Variant::Type::Object:
            out->pdispVal = ToDispatch(value.Get<std::shared_ptr<Object>>());
            out->vt = VT_DISPATCH;
            return S_OK;
        case Variant::Type::Bytes: {
            const auto& bytes = value.Get<ByteArray>();
            SAFEARRAY* array =
                SafeArrayCreateVector(VT_UI1, 0, static_cast<std::uint32_t>(bytes.size()));
            if (!array) {
                return E_OUTOFMEMORY;
            }
            if (!bytes.empty()) {
                std::memcpy(array->pvData, bytes.data(), bytes.size());
            }
            out->vt = VT_ARRAY | VT_UI1;
            out->parray = array;
            return S_OK;
        }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
    return DISP_E_BADVARTYPE;
}

namespace {
HRESULT FromPlainVARIANT(const VARIANT& v, Variant* out) {
    switch (v.vt) {
    case VT_EMPTY:
        *out = Variant();
        return S_OK;
    case VT_I2:
        *out = Variant(v.iVal);
        return S_OK;
    case VT_UI1:
        *out = Variant(static_cast<std::int16_t>(v.bVal));
        return S_OK;
    case VT_I4:
        *out = Variant(v.lVal);
        return S_OK;
    case VT_R4:
        *out = Variant(static_cast<double>(v.fltVal));
        return S_OK;
    case VT_R8:
        *out = Variant(v.dblVal);
        return S_OK;
    case VT_BOOL:
        *out = Variant(v.boolVal != VARIANT_FALSE);
        return S_OK;
    case VT_DATE:
        *out = Variant(Date{v.date});
        return S_OK;
    case VT_BSTR:
        *out = Variant(v.bstrVal ? std::string(v.bstrVal, SysStringLen(v.bstrVal)) : std::string());
        return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        auto object = FromDispatch(v.punkVal);
        if (v.punkVal && !object) {
            return DISP_E_TYPEMISMATCH;
        }
        *out = Variant(std::move(object));
        return S_OK;
    }
    case VT_ARRAY | VT_UI1: {
        ByteArray bytes;
        if (v.parray) {
            if (v.parray->cDims != 1 || v.parray->cbElements != 1) {
                return DISP_E_BADVARTYPE;
            }
            const auto* data = static_cast<const std::uint8_t*>(v.parray->pvData);
            const std::uint32_t n = v.parray->rgsabound[0].cElements;
            if (n > 0 && !data) {
                return E_POINTER;
            }
            bytes.assign(data, data + n);
        }
        *out = Variant(std::move(bytes));
        return S_OK;
    }
    default:
        return DISP_E_BADVARTYPE;
    }
}
} // namespace

HRESULT FromVARIANT(const VARIANT& value, Variant* out) noexcept {
    if (!out) {
        return E_POINTER;
    }
    try {
        if (!(value.vt & VT_BYREF)) {
            return FromPlainVARIANT(value, out);
        }
        if (!value.pvarVal) {
            return E_POINTER;
        }
        const VARTYPE vt = static_cast<VARTYPE>(value.vt & ~VT_BYREF);
        if (vt == VT_VARIANT) {
            // One level: a referenced VARIANT must hold its value itself.
            if (value.pvarVal->vt & VT_BYREF) {
                return DISP_E_BADVARTYPE;
            }
            return FromPlainVARIANT(*value.pvarVal, out);
        }
        VARIANT plain;
        VariantInit(&plain);
        plain.vt = vt;
        switch (vt) {
        case VT_I2:
            plain.iVal = *value.piVal;
            break;
        case VT_UI1:
            plain.bVal = *value.pbVal;
            break;
        case VT_I4:
            plain.lVal = *value.plVal;
            break;
        case VT_R4:
            plain.fltVal = *value.pfltVal;
            break;
        case VT_R8:
            plain.dblVal = *value.pdblVal;
            break;
        case VT_BOOL:
            plain.boolVal = *value.pboolVal;
            break;
        case VT_DATE:
            plain.date = *value.pdate;
            break;
        case VT_BSTR:
            plain.bstrVal = *value.pbstrVal;
            break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            plain.punkVal = *value.ppunkVal;
            break;
        case VT_ARRAY | VT_UI1:
            plain.parray = *value.pparray;
            break;
        default:
            return DISP_E_BADVARTYPE;
        }
        // Borrowed, not owned: converted without clearing.
        return FromPlainVARIANT(plain, out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void ToEXCEPINFO(const ExcepInfo& info, EXCEPINFO* out) noexcept {
    if (!out) {
        return;
    }
    std::memset(out, 0, sizeof *out);
    out->wCode = info.wCode;
    out->scode = info.wCode ? S_OK : info.scode;
    auto text = [](const std::string& s) -> BSTR {
        return s.empty() ? nullptr
                         : SysAllocStringLen(s.data(), static_cast<std::uint32_t>(s.size()));
    };
    out->bstrSource = text(info.source);
    out->bstrDescription = text(info.description);
    out->bstrHelpFile = text(info.helpFile);
    out->dwHelpContext = info.helpContext;
}

ExcepInfo FromEXCEPINFO(const EXCEPINFO& in) {
    EXCEPINFO info = in;
    if (info.pfnDeferredFillIn) {
        info.pfnDeferredFillIn(&info);
    }
    auto text = [](BSTR b) { return b ? std::string(b, SysStringLen(b)) : std::string(); };
    ExcepInfo out;
    out.wCode = info.wCode;
    out.scode = info.scode;
    out.source = text(info.bstrSource);
    out.description = text(info.bstrDescription);
    out.helpFile = text(info.bstrHelpFile);
    out.helpContext = info.dwHelpContext;
    return out;
}

// ---- ForeignDispatch ---------------------------------------------------------------------

ForeignDispatch::ForeignDispatch(IDispatch* dispatch) : dispatch_(dispatch) {
    dispatch_->lpVtbl->AddRef(dispatch_);
}

ForeignDispatch::~ForeignDispatch() {
    dispatch_->lpVtbl->Release(dispatch_);
}

const DispatchTable& ForeignDispatch::Dispatch() const {
    static const DispatchTable none(IID_NULL, "", {});
    return none;
}

HRESULT ForeignDispatch::GetIDsOfNames(std::span<const std::string> names, std::span<DISPID> ids) {
    if (names.size() != ids.size()) {
        return E_INVALIDARG;
    }
    std::vector<std::string> copies(names.begin(), names.end());
    std::vector<LPOLESTR> pointers;
    for (auto& name : copies) {
        pointers.push_back(name.data());
    }
    return dispatch_->lpVtbl->GetIDsOfNames(dispatch_, &IID_NULL, pointers.data(),
                                            static_cast<std::uint32_t>(pointers.size()), 0,
                                            ids.data());
}

HRESULT ForeignDispatch::Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args,
                                Variant* result, ExcepInfo* excep, std::uint32_t* argErr) {
    const std::uint32_t count = static_cast<std::uint32_t>(args.size());
    std::vector<VARIANT> rgvarg(count);
    for (auto& v : rgvarg) {
        VariantInit(&v);
    }
    auto clearAll = [&] {
        for (auto& v : rgvarg) {
            VariantClear(&v);
        }
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        const HRESULT hr = ToVARIANT(args[i], &rgvarg[count - 1 - i]);
        if (FAILED(hr)) {
            clearAll();
            return hr;
        }
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{rgvarg.data(), nullptr, count, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    VARIANT value;
    VariantInit(&value);
    EXCEPINFO info;
    std::memset(&info, 0, sizeof info);
    std::uint32_t hostArgErr = 0;
    HRESULT hr = dispatch_->lpVtbl->Invoke(dispatch_, id, &IID_NULL, 0, flags, &params,
                                           result ? &value : nullptr, &info, &hostArgErr);
    clearAll();
    if (hr == DISP_E_EXCEPTION && excep) {
        *excep = FromEXCEPINFO(info);
    }
    FoliantClearExcepInfo(&info);
    if (argErr && hostArgErr < count) {
        *argErr = count - 1 - hostArgErr;
    }
    if (SUCCEEDED(hr) && result) {
        hr = FromVARIANT(value, result);
    }
    VariantClear(&value);
    return hr;
}

} // namespace foliant::automation
