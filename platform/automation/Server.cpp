#include "platform/automation/Server.h"

#include "platform/automation/Registration.h"
#include "platform/winreg/WinReg.h"

#include <atomic>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <new>
#include <system_error>
#include <type_traits>

namespace foliant::automation {

namespace {

// Lies in whichever shared library or program links this file: dladdr on it names the module.
const char kModuleAnchor = 0;

// ---- The class factory's C view -----------------------------------------------------------

struct FactoryState {
    std::atomic<std::uint32_t> refs{1};
    const CoClassInfo* info = nullptr;
};

struct Factory {
    IClassFactory iface; // first: an IClassFactory* of a factory is the Factory*
    FactoryState* state;
};
static_assert(std::is_standard_layout_v<Factory>);

Factory* FactoryOf(IClassFactory* p) {
    return reinterpret_cast<Factory*>(p);
}

HRESULT FactoryQueryInterface(IClassFactory* self, REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!riid) {
        return E_POINTER;
    }
    if (!IsEqualGUID(riid, &IID_IUnknown) && !IsEqualGUID(riid, &IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    FactoryOf(self)->state->refs.fetch_add(1);
    *ppv = self;
    return S_OK;
}

std::uint32_t FactoryAddRef(IClassFactory* self) {
    return FactoryOf(self)->state->refs.fetch_add(1) + 1;
}

std::uint32_t FactoryRelease(IClassFactory* self) {
    Factory* factory = FactoryOf(self);
    const std::uint32_t left = factory->state->refs.fetch_sub(1) - 1;
    if (left == 0) {
        delete factory->state;
        delete factory;
        detail::ObjectDestroyed();
    }
    return left;
}

HRESULT FactoryCreateInstance(IClassFactory* self, IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!riid) {
        return E_POINTER;
    }
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    IDispatch* view = nullptr;
    try {
        std::shared_ptr<Dispatchable> object = FactoryOf(self)->state->info->create();
        if (!object) {
            return E_UNEXPECTED;
        }
        view = ToDispatch(object);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    const HRESULT hr = view->lpVtbl->QueryInterface(view, riid, ppv);
    view->lpVtbl->Release(view);
    return hr;
}

HRESULT FactoryLockServer(IClassFactory*, int fLock) {
    LockServer(fLock != 0);
    return S_OK;
}

const IClassFactoryVtbl kFactoryVtbl = {FactoryQueryInterface, FactoryAddRef, FactoryRelease,
                                        FactoryCreateInstance, FactoryLockServer};

// ---- Registration ----------------------------------------------------------------------------

// The dispatch proxy every automation interface is marshalled with.
constexpr const char* kDispatchProxyStub = "{00020420-0000-0000-C000-000000000046}";

std::string VersionText(std::uint16_t major, std::uint16_t minor) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%x", major, minor);
    return text;
}

std::string ClassKey(const CoClassInfo& c) {
    return "CLSID\\" + FormatGuid(c.clsid);
}

std::string InterfaceKey(const CoClassInfo& c) {
    return "Interface\\" + FormatGuid(c.interfaceId);
}

std::string TypeLibKey(const TypeLibraryInfo& lib) {
    return "TypeLib\\" + FormatGuid(lib.libid);
}

} // namespace

ServerModule::ServerModule(TypeLibraryInfo library, std::vector<CoClassInfo> classes)
    : library_(std::move(library)), classes_(std::move(classes)) {}

const CoClassInfo* ServerModule::Find(const CLSID& clsid) const {
    for (const auto& c : classes_) {
        if (c.clsid == clsid) {
            return &c;
        }
    }
    return nullptr;
}

HRESULT ServerModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) const noexcept {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!rclsid || !riid) {
        return E_POINTER;
    }
    const CoClassInfo* info = Find(*rclsid);
    if (!info || !info->create) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    if (!IsEqualGUID(riid, &IID_IUnknown) && !IsEqualGUID(riid, &IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    auto* state = new (std::nothrow) FactoryState;
    auto* factory = state ? new (std::nothrow) Factory{{&kFactoryVtbl}, state} : nullptr;
    if (!factory) {
        delete state;
        return E_OUTOFMEMORY;
    }
    state->info = info;
    detail::ObjectCreated();
    *ppv = &factory->iface;
    return S_OK;
}

HRESULT ServerModule::CanUnloadNow() const noexcept {
    return LiveObjectCount() == 0 && ServerLockCount() == 0 ? S_OK : S_FALSE;
}

std::string ServerModule::ModulePath() const {
    namespace fs = std::filesystem;
    Dl_info info{};
    std::error_code ec;
    if (::dladdr(&kModuleAnchor, &info) != 0 && info.dli_fname && *info.dli_fname) {
        fs::path path = fs::absolute(info.dli_fname, ec);
        if (!ec && fs::is_regular_file(path, ec)) {
            return path.lexically_normal().string();
        }
    }
    // The program itself, whose name dladdr may give as it was typed.
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

HRESULT ServerModule::RegisterServer() const noexcept {
    try {
        const std::string path = ModulePath();
        if (path.empty()) {
            return SELFREG_E_CLASS;
        }
        // All the keys or none, whatever else writes the registry at the same time.
        HRESULT written = S_OK;
        const winreg::LONG rc = winreg::RegTransact(winreg::HKEY_CLASSES_ROOT, [&] {
            written = WriteKeys(path);
            return written == S_OK ? winreg::ERROR_SUCCESS : winreg::ERROR_CANTWRITE;
        });
        if (FAILED(written)) {
            return written;
        }
        return rc == winreg::ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ServerModule::WriteKeys(const std::string& path) const {
    namespace reg = registration;
    const std::string libid = FormatGuid(library_.libid);
    const std::string version = VersionText(library_.major, library_.minor);
    bool ok = true;
    auto write = [&](const std::string& key, const char* name,
                     const std::optional<std::string>& value) {
        ok = ok && reg::WriteText(key, name, value) == winreg::ERROR_SUCCESS;
    };
    for (const auto& c : classes_) {
        const std::string key = ClassKey(c);
        write(key, "", c.progId);
        write(key + "\\InprocServer32", "", path);
        write(key + "\\InprocServer32", "ThreadingModel", std::string("Apartment"));
        write(key + "\\ProgID", "", c.progId);
        write(key + "\\VERSION", "", version);
        write(key + "\\TypeLib", "", libid);
        write(key + "\\Programmable", "", std::nullopt);
        write(c.progId, "", c.progId);
        write(c.progId + "\\CLSID", "", FormatGuid(c.clsid));
        if (!(c.interfaceId == IID_NULL)) {
            const std::string iface = InterfaceKey(c);
            write(iface, "", c.interfaceName);
            write(iface + "\\ProxyStubClsid32", "", std::string(kDispatchProxyStub));
            write(iface + "\\TypeLib", "", libid);
            write(iface + "\\TypeLib", "Version", version);
        }
    }
    if (!ok) {
        return SELFREG_E_CLASS;
    }
    const std::string libKey = TypeLibKey(library_) + "\\" + version;
    const std::string platform = sizeof(void*) == 8 ? "linux64" : "linux32";
    write(libKey, "", library_.helpString.empty() ? library_.name : library_.helpString);
    write(libKey + "\\0\\" + platform, "", path);
    write(libKey + "\\FLAGS", "", std::string("0"));
    write(libKey + "\\HELPDIR", "", std::filesystem::path(path).parent_path().string());
    return ok ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT ServerModule::UnregisterServer() const noexcept {
    try {
        // All the keys go or none, whatever else writes the registry at the same time.
        const winreg::LONG rc = winreg::RegTransact(winreg::HKEY_CLASSES_ROOT, [&] {
            return RemoveKeys() ? winreg::ERROR_SUCCESS : winreg::ERROR_CANTWRITE;
        });
        return rc == winreg::ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

bool ServerModule::RemoveKeys() const {
    namespace reg = registration;
    bool ok = true;
    auto check = [&](winreg::LONG rc) { ok = ok && rc == winreg::ERROR_SUCCESS; };
    for (const auto& c : classes_) {
        check(reg::RemoveTree(ClassKey(c)));
        // The ProgID may have been taken over by another class since: leave that alone.
        const auto registered = reg::ReadText(c.progId + "\\CLSID");
        const auto registeredId = registered ? ParseGuid(*registered) : std::nullopt;
        if (!registered || (registeredId && *registeredId == c.clsid)) {
            check(reg::RemoveTree(c.progId));
        }
        if (!(c.interfaceId == IID_NULL)) {
            check(reg::RemoveTree(InterfaceKey(c)));
        }
    }
    check(
        reg::RemoveTree(TypeLibKey(library_) + "\\" + VersionText(library_.major, library_.minor)));
    check(reg::RemoveIfEmpty(TypeLibKey(library_)));
    return ok;
}

} // namespace foliant::automation
