// Dates and times as a person types them, in any of the locales. Reading must give parts that
// exist or an error with a position inside the text, never a guess; what is read, written back
// in the locale's own patterns, must read again as the same date and time.
//
// Input: one byte picks the locale, one the reader (date and/or time, date, time), the rest is
// the text.

#include "platform/locale/DateTimeText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace foliant::locale;

namespace {

const LCID kLocales[] = {0x0409, 0x0809, 0x0C09, 0x1409, 0x1809, 0x0407, 0x0C07, 0x0807,
                         0x040C, 0x080C, 0x100C, 0x0410, 0x0810, 0x0C0A, 0x0416, 0x0816,
                         0x0413, 0x0813, 0x041D, 0x0406, 0x0414, 0x040B, 0x0415, 0x0405,
                         0x0419, 0x041F, 0x0411, 0x0804, 0x0404, 0x0412};

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckParts(const DateTimeParts& p) {
    Require(p.hasDate || p.hasTime);
    if (p.hasDate) {
        Require(IsValidDate(p.year, p.month, p.day));
    }
    if (p.hasTime) {
        Require(p.hour >= 0 && p.hour <= 23 && p.minute >= 0 && p.minute <= 59 && p.second >= 0 &&
                p.second <= 59);
    }
}

// The date, written in the locale's short pattern, reads back as itself.
void CheckDateRoundTrip(const DateTimeParts& p, LCID lcid) {
    const std::string text = FormatShortDate(p.year, p.month, p.day, lcid);
    const DateTimeReading again = ReadDate(text, lcid);
    Require(again.ok() && again.parts.year == p.year && again.parts.month == p.month &&
            again.parts.day == p.day);
}

// The time, written in the locale's pattern, reads back as itself.
void CheckTimeRoundTrip(const DateTimeParts& p, LCID lcid) {
    const std::string text = FormatTime(p.hour, p.minute, p.second, lcid);
    const DateTimeReading again = ReadTime(text, lcid);
    Require(again.ok() && again.parts.hour == p.hour && again.parts.minute == p.minute &&
            again.parts.second == p.second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const LCID lcid = kLocales[data[0] % (sizeof kLocales / sizeof kLocales[0])];
    const int reader = data[1] % 3;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    const DateTimeReading reading = reader == 0   ? ReadDateTime(text, lcid)
                                    : reader == 1 ? ReadDate(text, lcid)
                                                  : ReadTime(text, lcid);
    if (!reading.ok()) {
        Require(reading.position <= text.size());
        return 0;
    }
    const DateTimeParts& p = reading.parts;
    CheckParts(p);
    Require(reader != 1 || (p.hasDate && !p.hasTime));
    Require(reader != 2 || (p.hasTime && !p.hasDate));
    if (p.hasDate && p.year >= 1000) {
        CheckDateRoundTrip(p, lcid);
    }
    if (p.hasTime) {
        CheckTimeRoundTrip(p, lcid);
    }
    return 0;
}
