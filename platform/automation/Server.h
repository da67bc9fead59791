#pragma once

// The server side of a component: its creatable classes, their class factories, the logic of
// the four exports and the registration of the classes under HKEY_CLASSES_ROOT.
//
// A component keeps one ServerModule for its lifetime (a static) and defines its four exports
// with FOLIANT_AUTOMATION_DEFINE_EXPORTS, the only symbols it needs to make visible:
//
//     const automation::ServerModule& Module() {
//         static const automation::ServerModule module(
//             {LIBID_geodyneFoliant, "geodyneFoliant", 1, 0, "geodyneFoliant"},
//             {{CLSID_VRStandardWizard, "VRStandardWizard", "geodyneFoliant.VRStandardWizard",
//               IID__VRStandardWizard, "_VRStandardWizard",
//               [] { return std::make_shared<VRStandardWizard>(); }}});
//         return module;
//     }
//     FOLIANT_AUTOMATION_DEFINE_EXPORTS(Module())

#include "platform/automation/Bridge.h"
#include "platform/automation/Guid.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace foliant::automation {

struct TypeLibraryInfo {
    GUID libid{};
    std::string name;
    std::uint16_t major = 1;
    std::uint16_t minor = 0;
    std::string helpString;
};

struct CoClassInfo {
    GUID clsid{};
    std::string name;
    std::string progId;
    GUID interfaceId{};
    std::string interfaceName;
    // Makes a new object. An exception becomes the class factory's failure result.
    std::function<std::shared_ptr<Dispatchable>()> create;
};

class ServerModule {
public:
    ServerModule(TypeLibraryInfo library, std::vector<CoClassInfo> classes);

    const TypeLibraryInfo& Library() const { return library_; }
    const std::vector<CoClassInfo>& Classes() const { return classes_; }
    const CoClassInfo* Find(const CLSID& clsid) const;

    // DllGetClassObject: the class factory of rclsid as riid (IID_IClassFactory or
    // IID_IUnknown). E_POINTER for null pointers, CLASS_E_CLASSNOTAVAILABLE for a class not
    // made here, E_NOINTERFACE for another riid.
    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) const noexcept;
    // DllCanUnloadNow: S_OK when no C view, no class factory and no lock is alive.
    HRESULT CanUnloadNow() const noexcept;
    // DllRegisterServer: per class CLSID\{clsid} (ProgID as its name, InprocServer32 = the
    // module's path with ThreadingModel Apartment, ProgID, TypeLib, VERSION, Programmable), the
    // ProgID key with its CLSID, Interface\{iid} of each default interface, and
    // TypeLib\{libid}\major.minor, all in one transaction of the registry store: a failure
    // leaves the registry as it was and answers SELFREG_E_CLASS (or SELFREG_E_TYPELIB for the
    // type library keys), and a concurrent unregistration happens wholly before or after it.
    HRESULT RegisterServer() const noexcept;
    // DllUnregisterServer: removes those keys; a ProgID key that now names another class is
    // left alone. One transaction, like RegisterServer. S_OK when nothing was registered.
    HRESULT UnregisterServer() const noexcept;

    // The absolute path of the shared library (or program) that holds this module.
    std::string ModulePath() const;

private:
    // The registration's keys, written or removed within the caller's transaction.
    HRESULT WriteKeys(const std::string& path) const;
    bool RemoveKeys() const;

    TypeLibraryInfo library_;
    std::vector<CoClassInfo> classes_;
};

} // namespace foliant::automation

// Defines the four exports of a component, with C linkage and default visibility, on the
// ServerModule the expression names.
#define FOLIANT_AUTOMATION_DEFINE_EXPORTS(moduleExpression)                                        \
    extern "C" FOLIANT_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid,              \
                                                        void** ppv) {                              \
        return (moduleExpression).GetClassObject(rclsid, riid, ppv);                               \
    }                                                                                              \
    extern "C" FOLIANT_EXPORT HRESULT DllCanUnloadNow(void) {                                      \
        return (moduleExpression).CanUnloadNow();                                                  \
    }                                                                                              \
    extern "C" FOLIANT_EXPORT HRESULT DllRegisterServer(void) {                                    \
        return (moduleExpression).RegisterServer();                                                \
    }                                                                                              \
    extern "C" FOLIANT_EXPORT HRESULT DllUnregisterServer(void) {                                  \
        return (moduleExpression).UnregisterServer();                                              \
    }
