#include "ui/qt/plugin/TestHook.h"

#include <cstdlib>
#include <dlfcn.h>
#include <stdexcept>
#include <string>

namespace foliant::qt {

void StartTestHook() {
    const char* path = std::getenv("FOLIANT_QT_TEST_HOOK");
    if (path == nullptr || *path == '\0') {
        return;
    }
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr) {
        throw std::runtime_error("The test hook " + std::string(path) +
                                 " could not be loaded: " + dlerror() + ".");
    }
    const auto start = reinterpret_cast<void (*)()>(dlsym(library, "FoliantQtTestHook"));
    dlclose(library); // RTLD_NODELETE keeps it loaded for good
    if (start == nullptr) {
        throw std::runtime_error("The test hook " + std::string(path) +
                                 " has no function FoliantQtTestHook.");
    }
    start();
}

} // namespace foliant::qt
