#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace foliant::automation {

// Error numbers the component and its host agree on.
inline constexpr std::int32_t kTypeMismatch = 13;

// An error as it crosses the automation boundary: a number, the source that raised it and a
// description meant for a person. The description is also what().
class AutomationError : public std::runtime_error {
public:
    AutomationError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

} // namespace foliant::automation
