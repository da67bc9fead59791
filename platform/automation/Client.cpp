#include "platform/automation/Client.h"

#include "platform/automation/Bridge.h"
#include "platform/automation/values/AutomationError.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace foliant::automation {

namespace {
[[noreturn]] void CannotCreate(std::string_view name, const std::string& why) {
    throw AutomationError(kCannotCreateObject, "",
                          "Component can't create object: " + std::string(name) + ": " + why);
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}
} // namespace

std::shared_ptr<Object> CreateObject(std::string_view progIdOrClsid) {
    const std::string name(progIdOrClsid);
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) {
        CannotCreate(name, "the class is not registered");
    }
    char path[4096];
    if (FAILED(FoliantGetInprocServer(&clsid, path, sizeof path))) {
        CannotCreate(name, "the class has no registered library");
    }
    // Components stay loaded for the life of the process, as objects may outlive any count.
    void* library = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = ::dlerror();
        CannotCreate(name,
                     "cannot load " + std::string(path) + (error ? ": " + std::string(error) : ""));
    }
    void* symbol = ::dlsym(library, "DllGetClassObject");
    if (!symbol) {
        CannotCreate(name, std::string(path) + " does not export DllGetClassObject");
    }
    LPFNGETCLASSOBJECT getClassObject = nullptr;
    std::memcpy(&getClassObject, &symbol, sizeof symbol);

    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(&clsid, &IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory) {
        CannotCreate(name, "no class factory (" + Hex(hr) + ")");
    }
    void* object = nullptr;
    hr = factory->lpVtbl->CreateInstance(factory, nullptr, &IID_IDispatch, &object);
    factory->lpVtbl->Release(factory);
    if (FAILED(hr) || !object) {
        CannotCreate(name, "the class factory failed (" + Hex(hr) + ")");
    }
    auto* dispatch = static_cast<IDispatch*>(object);
    std::shared_ptr<Object> result;
    try {
        result = FromDispatch(reinterpret_cast<IUnknown*>(dispatch));
    } catch (...) {
        dispatch->lpVtbl->Release(dispatch);
        throw;
    }
    dispatch->lpVtbl->Release(dispatch);
    return result;
}

} // namespace foliant::automation
