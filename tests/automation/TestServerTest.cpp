// The test component loaded as a host loads it: objects and errors crossing between two
// modules that each carry their own copy of the automation layer with hidden symbols.

#include "platform/automation/Bridge.h"
#include "platform/automation/Client.h"
#include "tests/automation/server/TestServerIds.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

using namespace foliant::automation;
using namespace foliant::automation::testserver;

namespace {

class Note : public Dispatchable {
public:
    std::string Text() const { return "note"; }

protected:
    const DispatchTable& Dispatch() const override {
        static const DispatchTable table(IID_NULL, "", {PropertyGet("Text", 1, &Note::Text)});
        return table;
    }
};

class LoadedServer : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = ::dlopen(AUTOMATION_TESTSERVER_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << ::dlerror();
        getClassObject_ = Export<LPFNGETCLASSOBJECT>("DllGetClassObject");
        canUnloadNow_ = Export<LPFNCANUNLOADNOW>("DllCanUnloadNow");
        // Nothing else of the library is visible.
        EXPECT_EQ(::dlsym(library_, "CLSIDFromProgID"), nullptr);
        EXPECT_EQ(::dlsym(library_, "_ZN7foliant10automation10ToDispatchERKSt10shared_ptrINS0_"
                                    "6ObjectEE"),
                  nullptr);
    }
    void TearDown() override {
        if (library_) {
            EXPECT_EQ(canUnloadNow_(), S_OK);
            ::dlclose(library_);
        }
    }

    template <typename F> F Export(const char* name) {
        void* symbol = ::dlsym(library_, name);
        EXPECT_NE(symbol, nullptr) << name;
        F f = nullptr;
        std::memcpy(&f, &symbol, sizeof symbol);
        return f;
    }

    IDispatch* Create() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject_(&CLSID_Recorder, &IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory)),
                  S_OK);
        void* object = nullptr;
        EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, &IID_IDispatch, &object), S_OK);
        factory->lpVtbl->Release(factory);
        return static_cast<IDispatch*>(object);
    }

    HRESULT PutRef(IDispatch* d, IDispatch* value, EXCEPINFO* excep) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_DISPATCH;
        v.pdispVal = value;
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{&v, &putId, 1, 1};
        return d->lpVtbl->Invoke(d, kItemId, &IID_NULL, 0, DISPATCH_PROPERTYPUTREF, &params,
                                 nullptr, excep, nullptr);
    }

    void* library_ = nullptr;
    LPFNGETCLASSOBJECT getClassObject_ = nullptr;
    LPFNCANUNLOADNOW canUnloadNow_ = nullptr;
};

} // namespace

TEST_F(LoadedServer, AnObjectOfThisModuleCrossesIntoTheComponentAndComesBackAsItself) {
    IDispatch* recorder = Create();
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);

    auto note = std::make_shared<Note>();
    IDispatch* noteView = ToDispatch(note);
    EXCEPINFO excep{};
    // Not a Recorder: the component keeps it all the same and raises type mismatch.
    EXPECT_EQ(PutRef(recorder, noteView, &excep), DISP_E_EXCEPTION);
    EXPECT_EQ(FoliantErrorNumber(&excep), kTypeMismatch);
    EXPECT_STREQ(excep.bstrDescription, "Type mismatch");
    FoliantClearExcepInfo(&excep);
    noteView->lpVtbl->Release(noteView);
    EXPECT_EQ(LiveObjectCount(), 0); // the component holds the object, not our view

    auto object = FromDispatch(reinterpret_cast<IUnknown*>(recorder));
    EXPECT_EQ(CallByName(object, "Item", DISPATCH_PROPERTYGET), Variant(note));
    // While the host holds the component's view of our object, the component stays loaded.
    EXPECT_EQ(canUnloadNow_(), S_FALSE);

    // The component's own object is a Recorder however it travels.
    EXPECT_EQ(PutRef(recorder, recorder, &excep), S_OK);
    EXPECT_EQ(CallByName(object, "Item", DISPATCH_PROPERTYGET), Variant(object));
    CallByName(object, "Item", DISPATCH_PROPERTYPUTREF, {Variant(std::shared_ptr<Object>())});

    CallByName(object, "Value", DISPATCH_PROPERTYPUT, {Variant("41")});
    EXPECT_EQ(CallByName(object, "Add", DISPATCH_METHOD, {Variant(1)}), Variant(42));
    object.reset();
    EXPECT_EQ(recorder->lpVtbl->Release(recorder), 0u);
    EXPECT_EQ(note.use_count(), 1); // the component let go of it with the recorder
}

TEST_F(LoadedServer, ErrorsRaisedInTheComponentReachTheHostUnchanged) {
    IDispatch* recorder = Create();
    auto object = FromDispatch(reinterpret_cast<IUnknown*>(recorder));
    recorder->lpVtbl->Release(recorder);
    const std::pair<std::int32_t, const char*> raised[] = {
        {65534, "first"}, {13, "Type mismatch"}, {1, ""}, {-2147467259, "an HRESULT"}};
    for (const auto& [number, text] : raised) {
        try {
            CallByName(object, "Raise", DISPATCH_METHOD, {Variant(number), Variant(text)});
            ADD_FAILURE() << "no error raised";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number(), number);
            EXPECT_EQ(e.Source(), kSource);
            EXPECT_EQ(e.Description(), text);
        }
    }
    for (std::int32_t expected : {65534, 65533, 65532}) {
        try {
            CallByName(object, "Check", DISPATCH_METHOD);
            ADD_FAILURE() << "no error raised";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number(), expected);
            EXPECT_EQ(e.Source(), "");
            EXPECT_EQ(e.Description(), kCheckDescription);
        }
    }
}

TEST(CreateObject, MakesAnObjectOfARegisteredClassThroughTheRegistryAndExportsAlone) {
    foliant::testing::TempRegistry registry;
    try {
        CreateObject(kRecorderProgId);
        ADD_FAILURE() << "created an unregistered class";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), kCannotCreateObject);
        EXPECT_EQ(e.Description(),
                  "Component can't create object: FoliantTest.Recorder: the class is not "
                  "registered");
    }

    void* library = ::dlopen(AUTOMATION_TESTSERVER_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    void* symbol = ::dlsym(library, "DllRegisterServer");
    LPFNREGISTERSERVER registerServer = nullptr;
    std::memcpy(&registerServer, &symbol, sizeof symbol);
    ASSERT_EQ(registerServer(), S_OK);

    auto recorder = CreateObject(kRecorderProgId);
    CallByName(recorder, "Value", DISPATCH_PROPERTYPUT, {Variant(5)});
    EXPECT_EQ(CallByName(recorder, "Add", DISPATCH_METHOD, {Variant(2)}), Variant(7));
    auto byClsid = CreateObject(FormatGuid(CLSID_Recorder));
    EXPECT_NE(byClsid, recorder);
    EXPECT_EQ(CallByName(byClsid, "Value", DISPATCH_PROPERTYGET), Variant(0));
    recorder.reset();
    byClsid.reset();
    ::dlclose(library);
}
