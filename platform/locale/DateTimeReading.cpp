// Reading typed dates and times under a locale's regional settings.

#include "platform/locale/DateTimeText.h"
#include "platform/locale/LocaleData.h"

#include <cctype>
#include <optional>
#include <vector>

namespace foliant::locale {

namespace {

using detail::DateOrder;
using detail::LocaleData;

const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

struct Token {
    enum Kind { Number, Word, Space, Punct } kind;
    std::size_t pos = 0;
    std::size_t end = 0;
    std::string text;
    int value = 0; // Number: its value (capped), Punct: the character
};

bool IsWordByte(unsigned char c) {
    return std::isalpha(c) || c >= 0x80;
}

char LowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

int DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int WeekdayOf(int y, int m, int d) {
    const int days = DaysFromCivil(y, m, d);
    return days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6;
}

struct Ymd {
    int year;
    int month;
    int day;
};

class Reader {
public:
    Reader(const std::string& text, const LocaleData& locale) : text_(text), locale_(locale) {}

    DateTimeReading Read() {
        DateTimeReading result;
        if (Tokenize()) {
            ReadAll(result.parts);
        }
        result.error = error_;
        result.position = errorPosition_;
        if (!result.ok()) {
            result.parts = DateTimeParts{};
        }
        return result;
    }

private:
    bool Fail(const std::string& message, std::size_t position) {
        if (error_.empty()) {
            error_ = message;
            errorPosition_ = position;
        }
        return false;
    }

    std::string Quoted(std::size_t from, std::size_t to) const {
        return "\"" + text_.substr(from, to - from) + "\"";
    }

    bool Tokenize() {
        std::size_t i = 0;
        while (i < text_.size()) {
            const unsigned char c = static_cast<unsigned char>(text_[i]);
            Token token{Token::Space, i, i, {}, 0};
            if (std::isdigit(c)) {
                token.kind = Token::Number;
                long long value = 0;
                while (i < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i]))) {
                    value = std::min(value * 10 + (text_[i] - '0'), 1000000000LL);
                    ++i;
                }
                token.value = static_cast<int>(value);
            } else if (IsWordByte(c)) {
                token.kind = Token::Word;
                while (i < text_.size() && IsWordByte(static_cast<unsigned char>(text_[i]))) {
                    ++i;
                }
            } else if (c == ' ' || c == '\t') {
                while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t')) {
                    ++i;
                }
            } else if (c == '/' || c == '-' || c == '.' || c == ',' || c == ':') {
                token.kind = Token::Punct;
                token.value = c;
                ++i;
            } else {
                return Fail("The character \"" + std::string(1, static_cast<char>(c)) +
                                "\" cannot be part of a date or a time.",
                            i);
            }
            token.end = i;
            token.text = text_.substr(token.pos, token.end - token.pos);
            tokens_.push_back(std::move(token));
        }
        // Spaces around the whole text do not count.
        while (!tokens_.empty() && tokens_.back().kind == Token::Space) {
            tokens_.pop_back();
        }
        if (!tokens_.empty() && tokens_.front().kind == Token::Space) {
            tokens_.erase(tokens_.begin());
        }
        if (tokens_.empty()) {
            return Fail("Nothing was entered.", 0);
        }
        return true;
    }

    bool At(std::size_t i, Token::Kind kind) const {
        return i < tokens_.size() && tokens_[i].kind == kind;
    }
    bool AtPunct(std::size_t i, char c) const {
        return At(i, Token::Punct) && tokens_[i].value == c;
    }
    std::size_t PosOf(std::size_t i) const {
        return i < tokens_.size() ? tokens_[i].pos : text_.size();
    }

    // When the text at token i starts with candidate (ignoring case) and the match ends where a
    // token ends, the index of the token after the match.
    std::optional<std::size_t> MatchAt(std::size_t i, const std::string& candidate) const {
        if (i >= tokens_.size() || candidate.empty()) {
            return std::nullopt;
        }
        const std::size_t start = tokens_[i].pos;
        if (start + candidate.size() > text_.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 0; k < candidate.size(); ++k) {
            if (LowerAscii(text_[start + k]) != LowerAscii(candidate[k])) {
                return std::nullopt;
            }
        }
        const std::size_t end = start + candidate.size();
        for (std::size_t j = i; j < tokens_.size(); ++j) {
            if (tokens_[j].end == end) {
                return j + 1;
            }
            if (tokens_[j].end > end) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    // The longest month name (the locale's or English, full or abbreviated, with or without
    // the abbreviation's dot) at token i: its number, and the index after it.
    std::optional<std::pair<int, std::size_t>> MatchMonth(std::size_t i) const {
        std::optional<std::pair<int, std::size_t>> best;
        auto consider = [&](int month, std::string name) {
            for (int variant = 0; variant < 2; ++variant) {
                if (auto next = MatchAt(i, name); next && (!best || *next > best->second)) {
                    best = std::make_pair(month, *next);
                }
                if (name.empty() || name.back() != '.') {
                    break;
                }
                name.pop_back();
            }
        };
        for (const auto* names : {locale_.months, &detail::EnglishMonths()}) {
            for (int m = 0; m < 12; ++m) {
                consider(m + 1, names->full[static_cast<std::size_t>(m)]);
                consider(m + 1, names->abbreviated[static_cast<std::size_t>(m)]);
            }
        }
        consider(9, "Sept");
        return best;
    }

    std::optional<std::pair<int, std::size_t>> MatchWeekday(std::size_t i) const {
        std::optional<std::pair<int, std::size_t>> best;
        for (int w = 0; w < 7; ++w) {
            const std::string full = kWeekdays[w];
            for (const std::string& name : {full, full.substr(0, 3)}) {
                if (auto next = MatchAt(i, name); next && (!best || *next > best->second)) {
                    best = std::make_pair(w, *next);
                }
            }
        }
        return best;
    }

    // AM/PM or the locale's designators at token i (optionally after spaces): whether it is
    // the afternoon, and the index after it.
    std::optional<std::pair<bool, std::size_t>> MatchDesignator(std::size_t i) const {
        if (At(i, Token::Space)) {
            ++i;
        }
        std::optional<std::pair<bool, std::size_t>> best;
        const std::pair<const char*, bool> designators[] = {
            {"AM", false}, {"PM", true}, {locale_.am, false}, {locale_.pm, true}};
        for (const auto& [name, afternoon] : designators) {
            if (auto next = MatchAt(i, name); next && (!best || *next > best->second)) {
                best = std::make_pair(afternoon, *next);
            }
        }
        return best;
    }

    // Between the parts of a date: spaces and at most one of , . - / (may be nothing).
    std::size_t SkipSeparators(std::size_t i) const {
        bool punct = false;
        while (i < tokens_.size()) {
            if (At(i, Token::Space)) {
                ++i;
            } else if (At(i, Token::Punct) && !punct && tokens_[i].value != ':') {
                punct = true;
                ++i;
            } else {
                break;
            }
        }
        return i;
    }

    // Where the time's hour is when a designator stands before it ("PM 11:59"), else i.
    std::size_t AfterLeadingDesignator(std::size_t i) const {
        if (!At(i, Token::Word)) {
            return i;
        }
        if (auto designator = MatchDesignator(i)) {
            std::size_t next = designator->second;
            if (At(next, Token::Space)) {
                ++next;
            }
            if (At(next, Token::Number)) {
                return next;
            }
        }
        return i;
    }

    bool IsTimeStart(std::size_t i) const {
        if (const std::size_t hour = AfterLeadingDesignator(i); hour != i) {
            return true;
        }
        if (!At(i, Token::Number)) {
            return false;
        }
        return AtPunct(i + 1, ':') || MatchDesignator(i + 1).has_value();
    }

    bool ReadYear(std::size_t& i, int& year) {
        if (!At(i, Token::Number)) {
            return Fail("The year is missing.", PosOf(i));
        }
        const Token& token = tokens_[i];
        if (token.text.size() == 2) {
            year = ExpandTwoDigitYear(token.value);
        } else if (token.text.size() == 4) {
            year = token.value;
            if (year == 0) {
                return Fail("The year 0 does not exist.", token.pos);
            }
        } else {
            return Fail("The year \"" + token.text + "\" must have two or four digits.", token.pos);
        }
        ++i;
        return true;
    }

    bool ReadSmallNumber(std::size_t& i, int& value, const char* what) {
        if (!At(i, Token::Number)) {
            return Fail(std::string("The ") + what + " is missing.", PosOf(i));
        }
        if (tokens_[i].text.size() > 2) {
            return Fail("\"" + tokens_[i].text + "\" is too long for a " + what + ".",
                        tokens_[i].pos);
        }
        value = tokens_[i].value;
        ++i;
        return true;
    }

    bool CheckDate(const Ymd& date, std::size_t position) {
        if (date.month < 1 || date.month > 12) {
            return Fail("The month " + std::to_string(date.month) + " does not exist.", position);
        }
        if (!IsValidDate(date.year, date.month, date.day)) {
            return Fail("The day " + std::to_string(date.day) + " does not exist in " +
                            detail::EnglishMonths().full[static_cast<std::size_t>(date.month - 1)] +
                            " " + std::to_string(date.year) + ".",
                        position);
        }
        return true;
    }

    bool ReadDate(std::size_t& i, DateTimeParts& parts) {
        const std::size_t start = PosOf(i);
        std::optional<int> weekday;
        Ymd date{0, 0, 0};
        if (At(i, Token::Word)) {
            if (auto day = MatchWeekday(i); day && !MatchMonth(i)) {
                weekday = day->first;
                const std::size_t after = SkipSeparators(day->second);
                if (after == day->second) {
                    return Fail("A date must follow the weekday.", PosOf(after));
                }
                i = after;
            }
        }
        if (At(i, Token::Word)) {
            auto month = At(i, Token::Word) ? MatchMonth(i) : std::nullopt;
            if (!month) {
                const std::size_t from = PosOf(i);
                return Fail(Quoted(from, i < tokens_.size() ? tokens_[i].end : from) +
                                " is not a date or a time.",
                            from);
            }
            date.month = month->first;
            i = SkipSeparators(month->second);
            if (!ReadSmallNumber(i, date.day, "day")) {
                return false;
            }
            const std::size_t afterDay = SkipSeparators(i);
            if (afterDay == i && At(i, Token::Number)) {
                return Fail("The day and the year must be separated.", PosOf(i));
            }
            i = afterDay;
            if (!ReadYear(i, date.year) || !CheckDate(date, start)) {
                return false;
            }
        } else if (At(i, Token::Number)) {
            const Token& first = tokens_[i];
            const std::size_t afterFirst = SkipSeparators(i + 1);
            if (auto month = At(afterFirst, Token::Word) ? MatchMonth(afterFirst) : std::nullopt) {
                // Day, month name, year.
                if (first.text.size() > 2) {
                    return Fail("\"" + first.text + "\" is too long for a day.", first.pos);
                }
                date.day = first.value;
                date.month = month->first;
                i = SkipSeparators(month->second);
                if (!ReadYear(i, date.year) || !CheckDate(date, start)) {
                    return false;
                }
            } else if (!ReadNumericDate(i, date, start)) {
                return false;
            }
        } else if (i >= tokens_.size()) {
            return Fail("The date is missing.", PosOf(i));
        } else {
            return Fail(Quoted(PosOf(i), tokens_[i].end) + " is not a date or a time.", PosOf(i));
        }
        if (weekday && *weekday != WeekdayOf(date.year, date.month, date.day)) {
            return Fail("The date is a " +
                            std::string(kWeekdays[WeekdayOf(date.year, date.month, date.day)]) +
                            ", not a " + kWeekdays[*weekday] + ".",
                        start);
        }
        parts.hasDate = true;
        parts.year = date.year;
        parts.month = date.month;
        parts.day = date.day;
        return true;
    }

    // A date separator between numbers: spaces, one of / - . and spaces. The character, or 0.
    char ReadDateSeparator(std::size_t& i) const {
        std::size_t j = i;
        while (At(j, Token::Space)) {
            ++j;
        }
        if (!At(j, Token::Punct) || tokens_[j].value == ':' || tokens_[j].value == ',') {
            return 0;
        }
        const char c = static_cast<char>(tokens_[j].value);
        ++j;
        while (At(j, Token::Space)) {
            ++j;
        }
        i = j;
        return c;
    }

    bool ReadNumericDate(std::size_t& i, Ymd& date, std::size_t start) {
        const Token first = tokens_[i++];
        const std::size_t sepAt = PosOf(i);
        const char separator = ReadDateSeparator(i);
        if (!separator) {
            if (i >= tokens_.size()) {
                return Fail("\"" + first.text + "\" is not a date or a time.", first.pos);
            }
            return Fail("A date separator (\"/\", \"-\" or \".\") is expected here.", sepAt);
        }
        if (!At(i, Token::Number)) {
            return Fail("A number is expected here.", PosOf(i));
        }
        const Token second = tokens_[i++];
        const std::size_t secondSepAt = PosOf(i);
        const char secondSeparator = ReadDateSeparator(i);
        if (!secondSeparator) {
            return Fail("The year is missing.", secondSepAt);
        }
        if (secondSeparator != separator) {
            return Fail("The date mixes the separators \"" + std::string(1, separator) +
                            "\" and \"" + std::string(1, secondSeparator) + "\".",
                        secondSepAt);
        }
        if (!At(i, Token::Number)) {
            return Fail("A number is expected here.", PosOf(i));
        }
        const Token third = tokens_[i++];
        auto small = [&](const Token& token, int& value) {
            if (token.text.size() > 2) {
                return Fail("\"" + token.text + "\" is too long for a day or a month.", token.pos);
            }
            value = token.value;
            return true;
        };
        auto year = [&](const Token& token, int& value) {
            if (token.text.size() == 2) {
                value = ExpandTwoDigitYear(token.value);
                return true;
            }
            if (token.text.size() == 4 && token.value > 0) {
                value = token.value;
                return true;
            }
            if (token.text.size() == 4) {
                return Fail("The year 0 does not exist.", token.pos);
            }
            return Fail("The year \"" + token.text + "\" must have two or four digits.", token.pos);
        };
        const DateOrder order =
            first.text.size() == 4 ? DateOrder::YearMonthDay : detail::OrderOf(locale_);
        bool read = false;
        switch (order) {
        case DateOrder::MonthDayYear:
            read = small(first, date.month) && small(second, date.day) && year(third, date.year);
            break;
        case DateOrder::DayMonthYear:
            read = small(first, date.day) && small(second, date.month) && year(third, date.year);
            break;
        case DateOrder::YearMonthDay:
            read = year(first, date.year) && small(second, date.month) && small(third, date.day);
            break;
        }
        if (!read) {
            return false;
        }
        if (order != DateOrder::YearMonthDay && date.month > 12 &&
            IsValidDate(date.year, date.day, date.month)) {
            // Only one reading can be a date: the month's place holds the day.
            std::swap(date.day, date.month);
        }
        return CheckDate(date, start);
    }

    bool ReadTime(std::size_t& i, DateTimeParts& parts) {
        const std::size_t start = PosOf(i);
        int hour = 0;
        int minute = 0;
        int second = 0;
        std::optional<std::pair<bool, std::size_t>> designator;
        if (const std::size_t hourAt = AfterLeadingDesignator(i); hourAt != i) {
            designator = MatchDesignator(i);
            i = hourAt;
        }
        if (!ReadSmallNumber(i, hour, "hour")) {
            return false;
        }
        if (AtPunct(i, ':')) {
            ++i;
            if (!ReadSmallNumber(i, minute, "minute")) {
                return false;
            }
            if (AtPunct(i, ':')) {
                ++i;
                if (!ReadSmallNumber(i, second, "second")) {
                    return false;
                }
            }
        }
        if (!designator) {
            designator = MatchDesignator(i);
            if (designator) {
                i = designator->second;
            }
        }
        if (designator) {
            if (hour < 1 || hour > 12) {
                return Fail("The hour " + std::to_string(hour) +
                                " cannot be used with AM or PM (1 to 12).",
                            start);
            }
            hour = hour % 12 + (designator->first ? 12 : 0);
        } else if (hour > 23) {
            return Fail("The hour " + std::to_string(hour) + " does not exist.", start);
        }
        if (minute > 59) {
            return Fail("The minute " + std::to_string(minute) + " does not exist.", start);
        }
        if (second > 59) {
            return Fail("The second " + std::to_string(second) + " does not exist.", start);
        }
        parts.hasTime = true;
        parts.hour = hour;
        parts.minute = minute;
        parts.second = second;
        return true;
    }

    bool Unexpected(std::size_t i, const char* after) {
        if (At(i, Token::Space)) {
            ++i;
        }
        return Fail("Unexpected " + Quoted(PosOf(i), text_.size()) + " after the " + after + ".",
                    PosOf(i));
    }

    bool ReadAll(DateTimeParts& parts) {
        std::size_t i = 0;
        if (IsTimeStart(i)) {
            if (!ReadTime(i, parts)) {
                return false;
            }
            if (i < tokens_.size()) {
                if (!At(i, Token::Space)) {
                    return Unexpected(i, "time");
                }
                ++i;
                if (!ReadDate(i, parts)) {
                    return false;
                }
            }
        } else {
            if (!ReadDate(i, parts)) {
                return false;
            }
            if (i < tokens_.size()) {
                const bool isoTime =
                    At(i, Token::Word) && (tokens_[i].text == "T" || tokens_[i].text == "t");
                if (At(i, Token::Space) || isoTime) {
                    const std::size_t next = i + 1;
                    if (!IsTimeStart(next)) {
                        return Unexpected(i, "date");
                    }
                    i = next;
                    if (!ReadTime(i, parts)) {
                        return false;
                    }
                } else {
                    return Unexpected(i, "date");
                }
            }
        }
        if (i < tokens_.size()) {
            return Unexpected(i, parts.hasTime ? "time" : "date");
        }
        return true;
    }

    const std::string& text_;
    const LocaleData& locale_;
    std::vector<Token> tokens_;
    std::string error_;
    std::size_t errorPosition_ = 0;
};

const LocaleData& LocaleOrEnglish(LCID lcid) {
    const LocaleData* data = detail::FindLocale(lcid);
    return data ? *data : *detail::FindLocale(kEnglishUnitedStates);
}

} // namespace

int ExpandTwoDigitYear(int year) {
    return year < 30 ? 2000 + year : 1900 + year;
}

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

DateTimeReading ReadDateTime(const std::string& text, LCID lcid) {
    return Reader(text, LocaleOrEnglish(lcid)).Read();
}

DateTimeReading ReadDate(const std::string& text, LCID lcid) {
    DateTimeReading reading = ReadDateTime(text, lcid);
    if (reading.ok() && !reading.parts.hasDate) {
        return DateTimeReading{{}, "A date is expected, not a time.", 0};
    }
    if (reading.ok() && reading.parts.hasTime) {
        return DateTimeReading{{}, "A date is expected, without a time.", 0};
    }
    return reading;
}

DateTimeReading ReadTime(const std::string& text, LCID lcid) {
    DateTimeReading reading = ReadDateTime(text, lcid);
    if (reading.ok() && !reading.parts.hasTime) {
        return DateTimeReading{{}, "A time is expected, not a date.", 0};
    }
    if (reading.ok() && reading.parts.hasDate) {
        return DateTimeReading{{}, "A time is expected, without a date.", 0};
    }
    return reading;
}

} // namespace foliant::locale
