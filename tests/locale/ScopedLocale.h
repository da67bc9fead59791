#pragma once

// The system's regional settings for one test: LC_ALL, which the locale layer reads first.

#include <cstdlib>
#include <optional>
#include <string>

namespace foliant::locale::test {

// Sets LC_ALL for the test's duration, as a person's regional settings would.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) {
        if (const char* old = std::getenv("LC_ALL")) {
            old_ = old;
        }
        ::setenv("LC_ALL", name, 1);
    }
    ~ScopedLocale() {
        if (old_) {
            ::setenv("LC_ALL", old_->c_str(), 1);
        } else {
            ::unsetenv("LC_ALL");
        }
    }

private:
    std::optional<std::string> old_;
};

} // namespace foliant::locale::test
