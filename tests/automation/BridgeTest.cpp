#include "platform/automation/Bridge.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace foliant::automation;

namespace {

constexpr GUID IID__Lamp = Guid("{6D1C0E2F-7A8B-4C9D-8E0F-1A2B3C4D5E6F}");

class Lamp : public Dispatchable {
public:
    bool On() const { return on_; }
    void SetOn(bool on) { on_ = on; }
    std::string Join(std::string a, std::int32_t b, std::string c) {
        return a + std::to_string(b) + c;
    }
    std::shared_ptr<Object> Self() { return self_.lock(); }
    void Break() { throw AutomationError(65534, "", "The lamp is broken."); }
    std::weak_ptr<Object> self_;

protected:
    const DispatchTable& Dispatch() const override {
        static const DispatchTable table(IID__Lamp, "_Lamp",
                                         {
                                             PropertyGet("On", 1, &Lamp::On),
                                             PropertyPut("On", 1, &Lamp::SetOn),
                                             Method("Join", 2, &Lamp::Join),
                                             Method("Self", 3, &Lamp::Self),
                                             Method("Break", 4, &Lamp::Break),
                                         });
        return table;
    }

private:
    bool on_ = false;
};

class Plain : public Object {};

// A host's own object written against the C view: member "Name" (get) and "Fail" (raises).
struct HostObject {
    IDispatch iface;
    std::uint32_t refs;
};

HostObject* Host(IDispatch* p) {
    return reinterpret_cast<HostObject*>(p);
}

const IDispatchVtbl kHostVtbl = {
    [](IDispatch* self, REFIID riid, void** ppv) -> HRESULT {
        *ppv = nullptr;
        if (!IsEqualGUID(riid, &IID_IUnknown) && !IsEqualGUID(riid, &IID_IDispatch)) {
            return E_NOINTERFACE;
        }
        ++Host(self)->refs;
        *ppv = self;
        return S_OK;
    },
    [](IDispatch* self) -> std::uint32_t { return ++Host(self)->refs; },
    [](IDispatch* self) -> std::uint32_t { return --Host(self)->refs; },
    [](IDispatch*, std::uint32_t* n) -> HRESULT {
        *n = 0;
        return S_OK;
    },
    [](IDispatch*, std::uint32_t, LCID, void**) -> HRESULT { return DISP_E_BADINDEX; },
    [](IDispatch*, REFIID, LPOLESTR* names, std::uint32_t count, LCID, DISPID* ids) -> HRESULT {
        for (std::uint32_t i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
        }
        if (std::strcmp(names[0], "Name") == 0) {
            ids[0] = 10;
        } else if (std::strcmp(names[0], "Fail") == 0) {
            ids[0] = 11;
        }
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    },
    [](IDispatch*, DISPID id, REFIID, LCID, std::uint16_t, DISPPARAMS* params, VARIANT* result,
       EXCEPINFO* excep, std::uint32_t*) -> HRESULT {
        if (id == 10) {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(params->cArgs ? "with arguments" : "host");
            return S_OK;
        }
        if (id == 11) {
            excep->scode = static_cast<HRESULT>(0x800A0000u | 1004);
            excep->bstrSource = SysAllocString("Host");
            excep->bstrDescription = SysAllocString("Host says no.");
            return DISP_E_EXCEPTION;
        }
        return DISP_E_MEMBERNOTFOUND;
    },
};

struct VariantHolder {
    VARIANT v;
    VariantHolder() { VariantInit(&v); }
    ~VariantHolder() { VariantClear(&v); }
};

Variant RoundTrip(const Variant& value) {
    VariantHolder c;
    EXPECT_EQ(ToVARIANT(value, &c.v), S_OK);
    Variant back;
    EXPECT_EQ(FromVARIANT(c.v, &back), S_OK);
    return back;
}

} // namespace

TEST(Bstr, KeepsLengthEmbeddedZerosAndTheTerminator) {
    BSTR b = SysAllocStringLen("a\0b", 3);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(std::string(b, 3), std::string("a\0b", 3));
    EXPECT_EQ(b[3], '\0');
    SysFreeString(b);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(VariantConversion, EveryKindSurvivesTheCView) {
    auto object = std::make_shared<Plain>();
    const Variant values[] = {Variant(),
                              Variant(std::int16_t{-7}),
                              Variant(123456),
                              Variant(2.5),
                              Variant(true),
                              Variant(false),
                              Variant(std::string("x\0y", 3)),
                              Variant(""),
                              Variant(Date{35430.25}),
                              Variant(ByteArray{0, 255, 7}),
                              Variant(ByteArray{}),
                              Variant(std::static_pointer_cast<Object>(object)),
                              Variant(std::shared_ptr<Object>())};
    for (const auto& v : values) {
        EXPECT_EQ(RoundTrip(v), v) << static_cast<int>(v.Kind());
    }
    EXPECT_EQ(LiveObjectCount(), 0);
}

TEST(VariantConversion, HostTypesWidenReferencesAreFollowedOthersAreRefused) {
    VARIANT v;
    VariantInit(&v);
    Variant out;
    v.vt = VT_UI1;
    v.bVal = 200;
    EXPECT_EQ(FromVARIANT(v, &out), S_OK);
    EXPECT_EQ(out, Variant(std::int16_t{200}));
    v.vt = VT_R4;
    v.fltVal = 0.5f;
    EXPECT_EQ(FromVARIANT(v, &out), S_OK);
    EXPECT_EQ(out, Variant(0.5));

    std::int32_t number = 41;
    v.vt = VT_I4 | VT_BYREF;
    v.plVal = &number;
    EXPECT_EQ(FromVARIANT(v, &out), S_OK);
    EXPECT_EQ(out, Variant(41));

    VARIANT inner;
    VariantInit(&inner);
    inner.vt = VT_BOOL;
    inner.boolVal = VARIANT_TRUE;
    v.vt = VT_VARIANT | VT_BYREF;
    v.pvarVal = &inner;
    EXPECT_EQ(FromVARIANT(v, &out), S_OK);
    EXPECT_EQ(out, Variant(true));

    v.pvarVal = nullptr;
    EXPECT_EQ(FromVARIANT(v, &out), E_POINTER);
    v.vt = VT_NULL;
    EXPECT_EQ(FromVARIANT(v, &out), DISP_E_BADVARTYPE);
    v.vt = VT_ERROR;
    EXPECT_EQ(FromVARIANT(v, &out), DISP_E_BADVARTYPE);
    v.vt = VT_ARRAY | VT_I4;
    EXPECT_EQ(FromVARIANT(v, &out), DISP_E_BADVARTYPE);
}

TEST(CView, OneObjectHasOneIdentityWhileHeldAndIsReleasedWithTheLastReference) {
    auto lamp = std::make_shared<Lamp>();
    std::weak_ptr<Lamp> watch = lamp;
    IDispatch* a = ToDispatch(lamp);
    IDispatch* b = ToDispatch(lamp);
    EXPECT_EQ(a, b);
    EXPECT_EQ(LiveObjectCount(), 1);
    EXPECT_EQ(FromDispatch(reinterpret_cast<IUnknown*>(a)), lamp);

    void* p = nullptr;
    EXPECT_EQ(a->lpVtbl->QueryInterface(a, &IID__Lamp, &p), S_OK);
    EXPECT_EQ(p, a);
    EXPECT_EQ(a->lpVtbl->QueryInterface(a, &IID_IUnknown, &p), S_OK);
    EXPECT_EQ(p, a);
    EXPECT_EQ(a->lpVtbl->QueryInterface(a, &IID_IClassFactory, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(a->lpVtbl->QueryInterface(a, &IID_IDispatch, nullptr), E_POINTER);
    EXPECT_EQ(a->lpVtbl->Release(a), 3u);
    EXPECT_EQ(a->lpVtbl->Release(a), 2u);

    lamp.reset();
    EXPECT_FALSE(watch.expired()); // the host still holds it
    EXPECT_EQ(a->lpVtbl->Release(a), 1u);
    EXPECT_EQ(b->lpVtbl->Release(b), 0u);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(LiveObjectCount(), 0);
}

TEST(CView, InvokeTakesArgumentsLastFirstAndReportsTheArgumentAtFault) {
    auto lamp = std::make_shared<Lamp>();
    IDispatch* d = ToDispatch(lamp);
    char name[] = "JOIN";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(d->lpVtbl->GetIDsOfNames(d, &IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 2);

    VARIANT args[3];
    args[2].vt = VT_BSTR;
    args[2].bstrVal = SysAllocString("<");
    args[1].vt = VT_I2;
    args[1].iVal = 5;
    args[0].vt = VT_BSTR;
    args[0].bstrVal = SysAllocString(">");
    DISPPARAMS params{args, nullptr, 3, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    std::uint32_t argErr = 99;
    ASSERT_EQ(
        d->lpVtbl->Invoke(d, 2, &IID_NULL, 0, DISPATCH_METHOD, &params, &result, &excep, &argErr),
        S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, "<5>");
    VariantClear(&result);

    // The middle argument (rgvarg[1]) cannot be a number.
    VariantClear(&args[1]);
    args[1].vt = VT_BSTR;
    args[1].bstrVal = SysAllocString("five");
    EXPECT_EQ(
        d->lpVtbl->Invoke(d, 2, &IID_NULL, 0, DISPATCH_METHOD, &params, &result, &excep, &argErr),
        DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    // An argument of a type with no value here.
    VariantClear(&args[0]);
    args[0].vt = VT_NULL;
    EXPECT_EQ(
        d->lpVtbl->Invoke(d, 2, &IID_NULL, 0, DISPATCH_METHOD, &params, &result, &excep, &argErr),
        DISP_E_BADVARTYPE);
    EXPECT_EQ(argErr, 0u);
    for (auto& a : args) {
        VariantClear(&a);
    }

    // Only a put names its value, and only as DISPID_PROPERTYPUT; riid must be IID_NULL.
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_TRUE;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPID otherId = 7;
    DISPPARAMS put{&value, &putId, 1, 1};
    DISPPARAMS named{&value, &otherId, 1, 1};
    EXPECT_EQ(d->lpVtbl->Invoke(d, 1, &IID_NULL, 0, DISPATCH_PROPERTYPUT, &named, nullptr, nullptr,
                                nullptr),
              DISP_E_NONAMEDARGS);
    EXPECT_EQ(d->lpVtbl->Invoke(d, 1, &IID_IDispatch, 0, DISPATCH_PROPERTYPUT, &put, nullptr,
                                nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(
        d->lpVtbl->Invoke(d, 1, nullptr, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_TRUE(lamp->On());
    EXPECT_EQ(d->lpVtbl->Invoke(d, 1, &IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &result, nullptr,
                                nullptr),
              E_POINTER);
    d->lpVtbl->Release(d);
}

TEST(CView, ARaisedErrorArrivesInExcepInfoWithNumberAndDescription) {
    auto lamp = std::make_shared<Lamp>();
    IDispatch* d = ToDispatch(lamp);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO excep{};
    EXPECT_EQ(
        d->lpVtbl->Invoke(d, 4, &IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &excep, nullptr),
        DISP_E_EXCEPTION);
    EXPECT_EQ(FoliantErrorNumber(&excep), 65534);
    EXPECT_EQ(excep.scode, static_cast<HRESULT>(0x800AFFFEu));
    EXPECT_STREQ(excep.bstrDescription, "The lamp is broken.");
    EXPECT_EQ(excep.bstrSource, nullptr);
    FoliantClearExcepInfo(&excep);
    d->lpVtbl->Release(d);
}

TEST(CView, AnObjectReturnedByAMemberComesBackAsTheSameView) {
    auto lamp = std::make_shared<Lamp>();
    lamp->self_ = lamp;
    IDispatch* d = ToDispatch(lamp);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(d->lpVtbl->Invoke(d, 3, &IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none,
                                &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_DISPATCH);
    EXPECT_EQ(result.pdispVal, d);
    VariantClear(&result);
    // An object without members has a view too, which knows no names.
    IDispatch* plain = ToDispatch(std::make_shared<Plain>());
    char name[] = "On";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(plain->lpVtbl->GetIDsOfNames(plain, &IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(LiveObjectCount(), 2);
    plain->lpVtbl->Release(plain);
    d->lpVtbl->Release(d);
    EXPECT_EQ(LiveObjectCount(), 0);
}

TEST(ForeignDispatch, AHostObjectIsCalledThroughItsVtableAndKeepsItsIdentity) {
    HostObject host{{&kHostVtbl}, 1};
    {
        auto object = FromDispatch(reinterpret_cast<IUnknown*>(&host.iface));
        ASSERT_TRUE(std::dynamic_pointer_cast<ForeignDispatch>(object));
        EXPECT_EQ(host.refs, 2u);
        EXPECT_EQ(CallByName(object, "Name", DISPATCH_PROPERTYGET), Variant("host"));
        EXPECT_EQ(CallByName(object, "Name", DISPATCH_METHOD, {Variant(1)}),
                  Variant("with arguments"));
        try {
            CallByName(object, "Fail", DISPATCH_METHOD);
            FAIL() << "no error raised";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number(), 1004);
            EXPECT_EQ(e.Source(), "Host");
            EXPECT_EQ(e.Description(), "Host says no.");
        }
        EXPECT_THROW(CallByName(object, "Other", DISPATCH_METHOD), AutomationError);

        // Handed back to a host it is the host's own pointer again.
        IDispatch* back = ToDispatch(object);
        EXPECT_EQ(back, &host.iface);
        back->lpVtbl->Release(back);
        EXPECT_EQ(LiveObjectCount(), 0);
    }
    EXPECT_EQ(host.refs, 1u);
}
