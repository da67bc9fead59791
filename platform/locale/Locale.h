#pragma once

// The regional settings the component asks the platform for: which locale the system runs in,
// and that locale's separators, date and time patterns, month names and measurement system.
//
// The system locale comes from the process environment (LC_ALL, then LC_MESSAGES, then LANG;
// the first that is set and not empty), read on every call. The settings of each locale come
// from a table built into the product, so they are the same on every machine whatever locales
// the C library has installed. Separators are single characters a person can type (a space
// where the country groups digits with a space). Texts are UTF-8. None of these functions
// throws.

#include <cstdint>
#include <string>
#include <vector>

namespace foliant::locale {

using LCID = std::uint32_t;
using LANGID = std::uint16_t;
using LCTYPE = std::uint32_t;

// Locale identifiers that stand for the system's locale.
inline constexpr LCID LOCALE_NEUTRAL = 0x0000;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
// The locale used when the environment names none this table knows.
inline constexpr LCID kEnglishUnitedStates = 0x0409;

// What GetLocaleInfoA can be asked for.
inline constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;         // "0407": the identifier in hex
inline constexpr LCTYPE LOCALE_SLIST = 0x000C;             // list separator
inline constexpr LCTYPE LOCALE_IMEASURE = 0x000D;          // "0" metric, "1" U.S.
inline constexpr LCTYPE LOCALE_SDECIMAL = 0x000E;          // decimal separator
inline constexpr LCTYPE LOCALE_STHOUSAND = 0x000F;         // thousands separator
inline constexpr LCTYPE LOCALE_SGROUPING = 0x0010;         // "3;0"
inline constexpr LCTYPE LOCALE_IDIGITS = 0x0011;           // decimals of numbers: "2"
inline constexpr LCTYPE LOCALE_SCURRENCY = 0x0014;         // currency symbol
inline constexpr LCTYPE LOCALE_SMONDECIMALSEP = 0x0016;    // decimal separator of money
inline constexpr LCTYPE LOCALE_SMONTHOUSANDSEP = 0x0017;   // thousands separator of money
inline constexpr LCTYPE LOCALE_ICURRDIGITS = 0x0019;       // decimals of money: "2"
inline constexpr LCTYPE LOCALE_SDATE = 0x001D;             // date separator
inline constexpr LCTYPE LOCALE_STIME = 0x001E;             // time separator
inline constexpr LCTYPE LOCALE_SSHORTDATE = 0x001F;        // e.g. "M/d/yyyy"
inline constexpr LCTYPE LOCALE_SLONGDATE = 0x0020;         // e.g. "dddd, MMMM d, yyyy"
inline constexpr LCTYPE LOCALE_IDATE = 0x0021;             // "0" M-D-Y, "1" D-M-Y, "2" Y-M-D
inline constexpr LCTYPE LOCALE_ITIME = 0x0023;             // "0" 12-hour, "1" 24-hour
inline constexpr LCTYPE LOCALE_S1159 = 0x0028;             // morning designator
inline constexpr LCTYPE LOCALE_S2359 = 0x0029;             // afternoon designator
inline constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x0038;       // ... LOCALE_SMONTHNAME12 = 0x0043
inline constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x0044; // ... 0x004F
inline constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x0059;   // "de"
inline constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x005A;  // "DE"
inline constexpr LCTYPE LOCALE_SNAME = 0x005C;             // "de-DE"
inline constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;      // "German"
inline constexpr LCTYPE LOCALE_SENGCOUNTRY = 0x1002;       // "Germany"
inline constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;       // e.g. "h:mm:ss tt"
inline constexpr LCTYPE LOCALE_IPAPERSIZE = 0x100A;        // "1" Letter, "9" A4
// Flags that may be added to an LCTYPE; user overrides do not exist here, so it changes nothing.
inline constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;

// The system's locale identifier, from the environment (see above). A locale the table does
// not know falls back to its language's main locale ("de_LU" -> German (Germany)), then to
// English (United States) 0x0409; "C" and "POSIX" are 0x0409.
LCID GetSystemDefaultLCID();
LCID GetUserDefaultLCID();
// The language identifier of the system's locale (its low 16 bits).
LANGID GetSystemDefaultLangID();
LANGID GetUserDefaultLangID();

// The locale identifier for a locale name as the environment writes it ("de_DE.UTF-8@euro",
// "fr_FR", "en-GB", "pt"), with the fallbacks of GetSystemDefaultLCID.
LCID LocaleFromName(const std::string& name);

// One setting of a locale into data (cchData characters, the terminating zero included).
// Returns the characters written with the zero; with cchData 0 only the size needed. Returns
// 0 when the buffer is too small, data is null while cchData is not 0, lctype is unknown, or
// lcid is neither a known locale nor a language of one (a language identifier without country,
// 0x0007, means that language's main locale; LOCALE_SYSTEM_DEFAULT, LOCALE_USER_DEFAULT and 0
// mean the system's).
int GetLocaleInfoA(LCID lcid, LCTYPE lctype, char* data, int cchData);

// The same setting as a string, "" on failure.
std::string LocaleInfo(LCID lcid, LCTYPE lctype);

// The locale identifiers of the table, in its order.
std::vector<LCID> KnownLocales();

// Page size of a locale's printed reports: A4 where the locale measures in metric, else Letter.
enum class PaperSize { Letter, A4 };
PaperSize DefaultPaperSize(LCID lcid);

} // namespace foliant::locale
