#include "generate/SelectionFormula.h"

#include "engine/core/Types.h"
#include "platform/locale/DateTimeText.h"
#include "platform/locale/Locale.h"
#include "resources/Resources.h"
#include "wizard/FieldLookup.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace foliant::generate {

using resources::LoadResString;

namespace {

// Formula keywords, as the string table holds them.
constexpr int kAndWord = 210;
constexpr int kDateTimeWord = 211;
constexpr int kDateWord = 212;
constexpr int kTimeWord = 213;
constexpr int kInWord = 216;
constexpr int kToWord = 217;
constexpr int kNotWord = 218;
constexpr int kStartsWithWord = 219;
constexpr int kLikeWord = 220;
// The text asking for a date or a time in one of the forms people type.
constexpr int kDateOrTimeExpected = 272;

[[noreturn]] void Mismatch(const std::string& description) {
    throw automation::AutomationError(automation::kTypeMismatch, "Foliant", description);
}

int ValueTypeCode(const engine::Report& report, const std::string& field) {
    const auto definition = Wizard::FindFieldDefinition(report, field);
    return definition ? static_cast<int>(definition->ValueType()) : 0;
}

bool IsDateType(int type) {
    return type == static_cast<int>(engine::ValueType::Date) ||
           type == static_cast<int>(engine::ValueType::DateTime);
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// One character of a locale setting, when the setting is exactly one character.
std::optional<char> SingleCharacterSetting(locale::LCTYPE what) {
    char buffer[2] = {};
    if (locale::GetLocaleInfoA(locale::GetSystemDefaultLangID(), what, buffer, 2) != 2) {
        return std::nullopt;
    }
    return buffer[0];
}

// Digits with at most one point and at least one digit, after an optional minus: what the
// formula language reads as one number and nothing more.
bool IsPlainNumber(const std::string& text) {
    std::size_t i = text.empty() || text[0] != '-' ? 0 : 1;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            digit = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

std::string NumberLiteral(const std::string& field, const std::string& value) {
    std::string number = value;
    if (const auto thousands = SingleCharacterSetting(locale::LOCALE_STHOUSAND)) {
        number.erase(std::remove(number.begin(), number.end(), *thousands), number.end());
    }
    if (const auto decimal = SingleCharacterSetting(locale::LOCALE_SDECIMAL);
        decimal && *decimal != '.') {
        std::replace(number.begin(), number.end(), *decimal, '.');
    }
    number = Trimmed(number);
    if (number.empty()) {
        Mismatch("No number was entered for " + field + ".");
    }
    if (!IsPlainNumber(number)) {
        Mismatch("The value \"" + value + "\" of " + field + " is not a number.");
    }
    return number;
}

std::string BooleanLiteral(const std::string& field, const std::string& value) {
    std::string word = Trimmed(value);
    std::string lower = word;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower != "true" && lower != "false") {
        Mismatch("The value \"" + value + "\" of " + field + " is not true or false.");
    }
    return word;
}

std::string TextLiteral(const std::string& value) {
    std::string literal = "'";
    for (const char c : value) {
        literal += c;
        if (c == '\'') {
            literal += '\'';
        }
    }
    return literal + "'";
}

// The value read under the system's regional settings; a text that is no date or time, or
// lacks the part the field needs, asks for a date or a time.
locale::DateTimeParts ReadDateOrTime(const std::string& value, bool needDate, bool needTime) {
    const locale::DateTimeReading reading =
        locale::ReadDateTime(value, locale::GetSystemDefaultLCID());
    if (!reading || (needDate && !reading.parts.hasDate) || (needTime && !reading.parts.hasTime)) {
        Mismatch(LoadResString(kDateOrTimeExpected));
    }
    return reading.parts;
}

std::string Call(int word, std::initializer_list<int> parts) {
    std::string text = LoadResString(word) + "(";
    bool first = true;
    for (const int part : parts) {
        text += (first ? "" : ", ") + std::to_string(part);
        first = false;
    }
    return text + ")";
}

// Appends one field's condition to formula, after the joining word when something is
// written already.
class FormulaWriter {
public:
    explicit FormulaWriter(const engine::Report& report) : report_(report) {}

    void Add(const FilteredField& field) {
        const bool date = IsDateType(ValueTypeCode(report_, field.name));
        const int op = field.op;
        switch (KindOfCondition(op, date)) {
        case ConditionKind::Single:
            Join();
            text_ += Braced(field) + Comparison(op) + Literal(field, 0);
            break;
        case ConditionKind::Range:
            Join();
            if (op == kNotBetween) {
                text_ += Word(kNotWord) + " (" + Range(field) + ")";
            } else {
                text_ += Range(field);
            }
            break;
        case ConditionKind::List:
        case ConditionKind::Period:
            if (!field.values.empty()) {
                Join();
                AddListOrPeriod(field, date);
            }
            break;
        case ConditionKind::None:
        case ConditionKind::Other:
            break;
        }
    }

    const std::string& Text() const { return text_; }

private:
    static std::string Word(int id) { return LoadResString(id); }
    static std::string Braced(const FilteredField& field) { return "{" + field.name + "}"; }

    static std::string Comparison(int op) {
        switch (op) {
        case kEqualTo:
            return " = ";
        case kNotEqualTo:
            return " <> ";
        case kLessThan:
            return " < ";
        case kLessOrEqual:
            return " <= ";
        case kGreaterThan:
            return " > ";
        default:
            return " >= ";
        }
    }

    std::string Literal(const FilteredField& field, std::size_t i) const {
        const std::string value = i < field.values.size() ? field.values[i] : std::string();
        return FormatConditionValue(field.name, value, field.op, report_);
    }

    std::string Range(const FilteredField& field) const {
        return Braced(field) + " " + Word(kInWord) + " " + Literal(field, 0) + " " + Word(kToWord) +
               " " + Literal(field, 1);
    }

    void AddListOrPeriod(const FilteredField& field, bool date) {
        const int op = field.op;
        const bool negated = op == kNotOneOf || op == kNotLike || op == kNotStartsWithOrInPeriod;
        const bool period = KindOfCondition(op, date) == ConditionKind::Period;
        int keyword = kInWord;
        if (op == kLike || op == kNotLike) {
            keyword = kLikeWord;
        } else if ((op == kStartsWithOrInPeriod || op == kNotStartsWithOrInPeriod) && !date) {
            keyword = kStartsWithWord;
        }
        if (negated) {
            text_ += " " + Word(kNotWord) + " (";
        }
        text_ += Braced(field) + " " + Word(keyword) + " " + (period ? "" : "[");
        for (std::size_t i = 0; i < field.values.size(); ++i) {
            text_ += (i == 0 ? "" : ", ") + Literal(field, i);
        }
        text_ += period ? "" : "]";
        text_ += negated ? ")" : "";
    }

    void Join() {
        if (written_) {
            text_ += " " + Word(kAndWord) + " ";
        }
        written_ = true;
    }

    const engine::Report& report_;
    std::string text_;
    bool written_ = false;
};

} // namespace

ConditionKind KindOfCondition(int op, bool dateField) {
    switch (op) {
    case kAnyValue:
        return ConditionKind::None;
    case kEqualTo:
    case kNotEqualTo:
    case kLessThan:
    case kLessOrEqual:
    case kGreaterThan:
    case kGreaterOrEqual:
        return ConditionKind::Single;
    case kBetween:
    case kNotBetween:
        return ConditionKind::Range;
    case kOneOf:
    case kNotOneOf:
    case kLike:
    case kNotLike:
        return ConditionKind::List;
    case kStartsWithOrInPeriod:
    case kNotStartsWithOrInPeriod:
        return dateField ? ConditionKind::Period : ConditionKind::List;
    default:
        return ConditionKind::Other;
    }
}

std::string BuildSelectionFormula(const std::vector<FilteredField>& fields,
                                  const engine::Report& report) {
    FormulaWriter writer(report);
    for (const FilteredField& field : fields) {
        writer.Add(field);
    }
    return writer.Text();
}

std::string FormatConditionValue(const std::string& field, const std::string& value, int op,
                                 const engine::Report& report) {
    using engine::ValueType;
    const int type = ValueTypeCode(report, field);
    const bool period = op == kStartsWithOrInPeriod || op == kNotStartsWithOrInPeriod;
    if (type >= static_cast<int>(ValueType::Int8) &&
        type <= static_cast<int>(ValueType::Currency)) {
        return NumberLiteral(field, value);
    }
    switch (static_cast<ValueType>(type)) {
    case ValueType::Boolean:
        return BooleanLiteral(field, value);
    case ValueType::String:
        return TextLiteral(value);
    case ValueType::Date: {
        if (period) {
            return value;
        }
        const auto d = ReadDateOrTime(value, true, false);
        return Call(kDateWord, {d.year, d.month, d.day});
    }
    case ValueType::Time: {
        const auto t = ReadDateOrTime(value, false, true);
        return Call(kTimeWord, {t.hour, t.minute, t.second});
    }
    case ValueType::DateTime: {
        if (period) {
            return value;
        }
        const auto d = ReadDateOrTime(value, true, false);
        return Call(kDateTimeWord, {d.year, d.month, d.day, d.hour, d.minute, d.second});
    }
    default:
        return {};
    }
}

} // namespace foliant::generate
