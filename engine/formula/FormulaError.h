#pragma once

#include "engine/core/EngineError.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace foliant::engine::formula {

// A formula was rejected (or failed while it was evaluated). Message() is one sentence naming
// the problem, e.g. "The ) is missing."; Position() is the byte offset in the formula text where
// the problem was found (the text's length when it is at the end). The description seen by a
// person (what(), Description()) is the message followed by the character number, counted from
// 1, e.g. "The ) is missing. (at character 14)".
class FormulaError : public EngineError {
public:
    FormulaError(std::string message, std::size_t position, std::string_view text);

    const std::string& Message() const noexcept { return message_; }
    std::size_t Position() const noexcept { return position_; }

private:
    std::string message_;
    std::size_t position_;
};

} // namespace foliant::engine::formula
