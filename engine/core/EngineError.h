#pragma once

#include "engine/core/Api.h"

#include "platform/automation/values/AutomationError.h"

#include <string>

namespace foliant::engine {

// Number carried by every error the report engine raises to the wizard or a host.
inline constexpr std::int32_t kEngineErrorNumber = 20500;

// Every failing engine operation throws this. The description says what failed and where,
// e.g. "There is no area named GF7.".
class FOLIANT_ENGINE_API EngineError : public automation::AutomationError {
public:
    explicit EngineError(std::string description)
        : AutomationError(kEngineErrorNumber, "Foliant report engine", std::move(description)) {}
};

} // namespace foliant::engine
