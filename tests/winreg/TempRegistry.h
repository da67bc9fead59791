#pragma once

// A fresh, empty registry store for one test: FOLIANT_REGISTRY_DIR points at a new temporary
// folder for the test's lifetime, and the folder is removed afterwards.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace foliant::testing {

class TempRegistry {
public:
    TempRegistry() {
        std::string pattern = (std::filesystem::temp_directory_path() / "foliant-reg-XXXXXX");
        if (!::mkdtemp(pattern.data())) {
            throw std::runtime_error("cannot make a temporary folder for the registry store");
        }
        folder_ = pattern;
        if (const char* old = std::getenv("FOLIANT_REGISTRY_DIR")) {
            previous_ = old;
        }
        ::setenv("FOLIANT_REGISTRY_DIR", folder_.c_str(), 1);
    }
    ~TempRegistry() {
        if (previous_) {
            ::setenv("FOLIANT_REGISTRY_DIR", previous_->c_str(), 1);
        } else {
            ::unsetenv("FOLIANT_REGISTRY_DIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::optional<std::string> previous_;
};

} // namespace foliant::testing
