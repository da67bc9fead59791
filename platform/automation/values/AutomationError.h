#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace foliant::automation {

// Error numbers the component and its host agree on.
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kObjectNotSet = 91;
inline constexpr std::int32_t kCannotCreateObject = 429;
inline constexpr std::int32_t kNoSuchInterface = 430;
inline constexpr std::int32_t kNoSuchMember = 438;
inline constexpr std::int32_t kArgumentNotOptional = 449;
inline constexpr std::int32_t kWrongArgumentCount = 450;

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
