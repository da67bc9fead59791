#include "engine/formula/Formula.h"

#include <ctime>

namespace foliant::engine::formula {

namespace {

// The character number (from 1) of byte offset `position`, counting UTF-8 characters.
std::size_t CharacterNumber(std::string_view text, std::size_t position) {
    std::size_t n = 1;
    for (std::size_t i = 0; i < position && i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++n;
        }
    }
    if (position > text.size()) {
        n += position - text.size();
    }
    return n;
}

} // namespace

FormulaError::FormulaError(std::string message, std::size_t position, std::string_view text)
    : EngineError(message + " (at character " + std::to_string(CharacterNumber(text, position)) +
                  ")"),
      message_(std::move(message)), position_(position) {}

std::optional<FormulaType> CheckedFormula::ResultType() const {
    if (!root_) {
        return std::nullopt;
    }
    return root_->type;
}

ValueType CheckedFormula::ResultValueType() const {
    if (!root_) {
        return ValueType::Unknown;
    }
    switch (root_->type) {
    case FormulaType::Number:
        return ValueType::Number;
    case FormulaType::Text:
        return ValueType::String;
    case FormulaType::Boolean:
        return ValueType::Boolean;
    case FormulaType::Date:
        return ValueType::Date;
    case FormulaType::DateTime:
        return ValueType::DateTime;
    case FormulaType::Time:
        return ValueType::Time;
    }
    return ValueType::Unknown;
}

Date SystemToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                              static_cast<unsigned>(local.tm_mday))};
}

} // namespace foliant::engine::formula
