#include "platform/automation/Server.h"

#include "platform/winreg/WinReg.h"
#include "tests/winreg/ClassesText.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace foliant::automation;
namespace wr = foliant::winreg;
using foliant::testing::ClassesText;

namespace {

constexpr GUID LIBID_Tools = Guid("{5B7E1A20-3C4D-4E5F-8A9B-0C1D2E3F4A5B}");
constexpr GUID CLSID_Hammer = Guid("{A1B2C3D4-E5F6-4789-9ABC-DEF012345678}");
constexpr GUID IID__Hammer = Guid("{0F1E2D3C-4B5A-4697-8877-665544332211}");
constexpr GUID CLSID_Other = Guid("{11111111-2222-4333-8444-555555555555}");

class Hammer : public Dispatchable {
public:
    std::int32_t Hits() const { return hits_; }
    void Hit() { ++hits_; }

protected:
    const DispatchTable& Dispatch() const override {
        static const DispatchTable table(
            IID__Hammer, "_Hammer",
            {PropertyGet("Hits", 1, &Hammer::Hits), Method("Hit", 2, &Hammer::Hit)});
        return table;
    }

private:
    std::int32_t hits_ = 0;
};

const ServerModule& Tools() {
    static const ServerModule module(
        {LIBID_Tools, "ToolLibrary", 1, 2, "Tool library"},
        {{CLSID_Hammer, "Hammer", "Tools.Hammer", IID__Hammer, "_Hammer",
          [] { return std::make_shared<Hammer>(); }},
         {CLSID_Other, "Failing", "Tools.Failing", IID_NULL, "",
          []() -> std::shared_ptr<Dispatchable> { throw std::runtime_error("no"); }}});
    return module;
}

bool KeyExists(const std::string& key) {
    wr::HKEY h = 0;
    if (wr::RegOpenKeyExA(wr::HKEY_CLASSES_ROOT, key.c_str(), 0, wr::KEY_READ, &h) !=
        wr::ERROR_SUCCESS) {
        return false;
    }
    wr::RegCloseKey(h);
    return true;
}

IClassFactory* Factory(REFCLSID clsid) {
    void* p = nullptr;
    EXPECT_EQ(Tools().GetClassObject(clsid, &IID_IClassFactory, &p), S_OK);
    return static_cast<IClassFactory*>(p);
}

} // namespace

TEST(ClassFactory, GetClassObjectRefusesUnknownClassesInterfacesAndNullPointers) {
    void* p = reinterpret_cast<void*>(1);
    const CLSID unknown = Guid("{99999999-9999-4999-8999-999999999999}");
    EXPECT_EQ(Tools().GetClassObject(&unknown, &IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(Tools().GetClassObject(&CLSID_Hammer, &IID_IDispatch, &p), E_NOINTERFACE);
    EXPECT_EQ(Tools().GetClassObject(&CLSID_Hammer, &IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(Tools().GetClassObject(nullptr, &IID_IClassFactory, &p), E_POINTER);
    EXPECT_EQ(Tools().GetClassObject(&CLSID_Hammer, &IID_IUnknown, &p), S_OK);
    static_cast<IUnknown*>(p)->lpVtbl->Release(static_cast<IUnknown*>(p));
    EXPECT_EQ(Tools().CanUnloadNow(), S_OK);
}

TEST(ClassFactory, ObjectsFactoriesAndLocksKeepTheModuleLoaded) {
    ASSERT_EQ(Tools().CanUnloadNow(), S_OK);
    IClassFactory* factory = Factory(&CLSID_Hammer);
    EXPECT_EQ(Tools().CanUnloadNow(), S_FALSE);

    void* object = nullptr;
    EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, &IID__Hammer, &object), S_OK);
    ASSERT_NE(object, nullptr);
    auto* hammer = static_cast<IDispatch*>(object);

    // Aggregation and unknown interfaces are refused without making anything that lives on.
    void* other = reinterpret_cast<void*>(1);
    IUnknown* outer = reinterpret_cast<IUnknown*>(hammer);
    EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, outer, &IID_IDispatch, &other),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, &IID_IClassFactory, &other),
              E_NOINTERFACE);
    EXPECT_EQ(LiveObjectCount(), 2); // the factory and the hammer

    EXPECT_EQ(factory->lpVtbl->LockServer(factory, 1), S_OK);
    EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);
    EXPECT_EQ(hammer->lpVtbl->Release(hammer), 0u);
    EXPECT_EQ(Tools().CanUnloadNow(), S_FALSE); // locked

    factory = Factory(&CLSID_Hammer);
    factory->lpVtbl->LockServer(factory, 0);
    factory->lpVtbl->LockServer(factory, 0); // unbalanced: never below zero
    factory->lpVtbl->Release(factory);
    EXPECT_EQ(ServerLockCount(), 0);
    EXPECT_EQ(Tools().CanUnloadNow(), S_OK);
}

TEST(ClassFactory, AClassThatFailsToConstructReportsFailure) {
    IClassFactory* factory = Factory(&CLSID_Other);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, &IID_IDispatch, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    factory->lpVtbl->Release(factory);
    EXPECT_EQ(Tools().CanUnloadNow(), S_OK);
}

TEST(Registration, RegisterWritesClassProgIdInterfaceAndTypeLibraryAndUnregisterRemovesThem) {
    foliant::testing::TempRegistry registry;
    ASSERT_EQ(Tools().RegisterServer(), S_OK);
    const std::string path = Tools().ModulePath();
    EXPECT_EQ(std::filesystem::path(path),
              std::filesystem::read_symlink("/proc/self/exe")); // the program holds the module

    const std::string clsid = "CLSID\\{A1B2C3D4-E5F6-4789-9ABC-DEF012345678}";
    EXPECT_EQ(ClassesText(clsid), "Tools.Hammer");
    EXPECT_EQ(ClassesText(clsid + "\\InprocServer32"), path);
    EXPECT_EQ(ClassesText(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(ClassesText(clsid + "\\ProgID"), "Tools.Hammer");
    EXPECT_EQ(ClassesText(clsid + "\\TypeLib"), "{5B7E1A20-3C4D-4E5F-8A9B-0C1D2E3F4A5B}");
    EXPECT_EQ(ClassesText(clsid + "\\VERSION"), "1.2");
    EXPECT_TRUE(KeyExists(clsid + "\\Programmable"));
    EXPECT_EQ(ClassesText("tools.hammer\\CLSID"), "{A1B2C3D4-E5F6-4789-9ABC-DEF012345678}");
    EXPECT_EQ(ClassesText("Interface\\{0F1E2D3C-4B5A-4697-8877-665544332211}"), "_Hammer");
    EXPECT_EQ(ClassesText("Interface\\{0F1E2D3C-4B5A-4697-8877-665544332211}\\TypeLib", "Version"),
              "1.2");
    const std::string lib = "TypeLib\\{5B7E1A20-3C4D-4E5F-8A9B-0C1D2E3F4A5B}\\1.2";
    EXPECT_EQ(ClassesText(lib), "Tool library");
    EXPECT_EQ(ClassesText(lib + (sizeof(void*) == 8 ? "\\0\\linux64" : "\\0\\linux32")), path);

    // The platform's lookups see it.
    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID("Tools.Hammer", &found), S_OK);
    EXPECT_TRUE(found == CLSID_Hammer);
    char server[4096];
    EXPECT_EQ(FoliantGetInprocServer(&CLSID_Hammer, server, sizeof server), S_OK);
    EXPECT_EQ(server, path);
    EXPECT_EQ(FoliantGetInprocServer(&CLSID_Hammer, server, 4), E_NOT_SUFFICIENT_BUFFER);

    // Registering again changes nothing.
    EXPECT_EQ(Tools().RegisterServer(), S_OK);

    ASSERT_EQ(Tools().UnregisterServer(), S_OK);
    EXPECT_FALSE(KeyExists(clsid));
    EXPECT_FALSE(KeyExists("Tools.Hammer"));
    EXPECT_FALSE(KeyExists("Interface\\{0F1E2D3C-4B5A-4697-8877-665544332211}"));
    EXPECT_FALSE(KeyExists("TypeLib\\{5B7E1A20-3C4D-4E5F-8A9B-0C1D2E3F4A5B}"));
    EXPECT_TRUE(KeyExists("CLSID")); // shared with every other class
    EXPECT_EQ(CLSIDFromProgID("Tools.Hammer", &found), CO_E_CLASSSTRING);
    EXPECT_EQ(FoliantGetInprocServer(&CLSID_Hammer, server, sizeof server), REGDB_E_CLASSNOTREG);
    // Unregistering what is not registered succeeds.
    EXPECT_EQ(Tools().UnregisterServer(), S_OK);
}

TEST(Registration, UnregisterLeavesAProgIdThatAnotherClassTookOver) {
    foliant::testing::TempRegistry registry;
    ASSERT_EQ(Tools().RegisterServer(), S_OK);
    wr::HKEY key = 0;
    ASSERT_EQ(
        wr::RegOpenKeyExA(wr::HKEY_CLASSES_ROOT, "Tools.Hammer\\CLSID", 0, wr::KEY_WRITE, &key),
        wr::ERROR_SUCCESS);
    const char other[] = "{11111111-2222-4333-8444-555555555555}";
    ASSERT_EQ(wr::RegSetValueExA(key, "", 0, wr::REG_SZ, reinterpret_cast<const wr::BYTE*>(other),
                                 sizeof other),
              wr::ERROR_SUCCESS);
    wr::RegCloseKey(key);

    EXPECT_EQ(Tools().UnregisterServer(), S_OK);
    EXPECT_EQ(ClassesText("Tools.Hammer\\CLSID"), other);
    EXPECT_FALSE(KeyExists("CLSID\\{A1B2C3D4-E5F6-4789-9ABC-DEF012345678}"));
}

TEST(Registration, TheTypeLibraryKeyStaysWhileAnotherVersionIsRegistered) {
    foliant::testing::TempRegistry registry;
    const std::string other = "TypeLib\\{5B7E1A20-3C4D-4E5F-8A9B-0C1D2E3F4A5B}\\2.0";
    wr::HKEY key = 0;
    ASSERT_EQ(wr::RegCreateKeyExA(wr::HKEY_CLASSES_ROOT, other.c_str(), 0, nullptr, 0,
                                  wr::KEY_WRITE, nullptr, &key, nullptr),
              wr::ERROR_SUCCESS);
    wr::RegCloseKey(key);
    ASSERT_EQ(Tools().RegisterServer(), S_OK);
    ASSERT_EQ(Tools().UnregisterServer(), S_OK);
    EXPECT_TRUE(KeyExists(other));
    EXPECT_FALSE(KeyExists("TypeLib\\{5B7E1A20-3C4D-4E5F-8A9B-0C1D2E3F4A5B}\\1.2"));
}

TEST(Registration, ProgIdLookupRefusesMalformedNames) {
    foliant::testing::TempRegistry registry;
    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID("", &found), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID("CLSID\\x", &found), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID("{A1B2C3D4-E5F6-4789-9ABC-DEF012345678}", &found), S_OK);
    EXPECT_TRUE(found == CLSID_Hammer);
    EXPECT_EQ(CLSIDFromProgID("{A1B2C3D4}", &found), CO_E_CLASSSTRING);
    char text[39];
    EXPECT_EQ(StringFromGUID2(&CLSID_Hammer, text, sizeof text), 39);
    EXPECT_STREQ(text, "{A1B2C3D4-E5F6-4789-9ABC-DEF012345678}");
    EXPECT_EQ(StringFromGUID2(&CLSID_Hammer, text, 38), 0);
}
