// The built-in table of regional settings, the system's locale, and GetLocaleInfoA.

#include "platform/locale/Locale.h"
#include "platform/locale/LocaleData.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace foliant::locale {

namespace detail {

namespace {

const MonthNames kEnglish{
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}};
const MonthNames kGerman{
    {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
     "November", "Dezember"},
    {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"}};
const MonthNames kFrench{{"janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août",
                          "septembre", "octobre", "novembre", "décembre"},
                         {"janv.", "févr.", "mars", "avr.", "mai", "juin", "juil.", "août", "sept.",
                          "oct.", "nov.", "déc."}};
const MonthNames kSpanish{{"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
                           "septiembre", "octubre", "noviembre", "diciembre"},
                          {"ene.", "feb.", "mar.", "abr.", "may.", "jun.", "jul.", "ago.", "sep.",
                           "oct.", "nov.", "dic."}};
const MonthNames kItalian{
    {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto", "settembre",
     "ottobre", "novembre", "dicembre"},
    {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"}};
const MonthNames kPortuguese{
    {"janeiro", "fevereiro", "março", "abril", "maio", "junho", "julho", "agosto", "setembro",
     "outubro", "novembro", "dezembro"},
    {"jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"}};
const MonthNames kDutch{
    {"januari", "februari", "maart", "april", "mei", "juni", "juli", "augustus", "september",
     "oktober", "november", "december"},
    {"jan", "feb", "mrt", "apr", "mei", "jun", "jul", "aug", "sep", "okt", "nov", "dec"}};

// The first entry of each language is its main locale.
const LocaleData kLocales[] = {
    {0x0409, "en", "US", "English", "United States", ",", ".", ",", "M/d/yyyy",
     "dddd, MMMM d, yyyy", "h:mm:ss tt", "AM", "PM", "$", 1, &kEnglish},
    {0x0809, "en", "GB", "English", "United Kingdom", ",", ".", ",", "dd/MM/yyyy", "dd MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "£", 0, &kEnglish},
    {0x0C09, "en", "AU", "English", "Australia", ",", ".", ",", "d/MM/yyyy", "dddd, d MMMM yyyy",
     "h:mm:ss tt", "AM", "PM", "$", 0, &kEnglish},
    {0x1409, "en", "NZ", "English", "New Zealand", ",", ".", ",", "d/MM/yyyy", "dddd, d MMMM yyyy",
     "h:mm:ss tt", "a.m.", "p.m.", "$", 0, &kEnglish},
    {0x1809, "en", "IE", "English", "Ireland", ",", ".", ",", "dd/MM/yyyy", "dd MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "€", 0, &kEnglish},
    {0x0407, "de", "DE", "German", "Germany", ".", ",", ";", "dd.MM.yyyy", "dddd, d. MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "€", 0, &kGerman},
    {0x0C07, "de", "AT", "German", "Austria", ".", ",", ";", "dd.MM.yyyy", "dddd, d. MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "€", 0, &kGerman},
    {0x0807, "de", "CH", "German", "Switzerland", "'", ".", ";", "dd.MM.yyyy", "dddd, d. MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "CHF", 0, &kGerman},
    {0x040C, "fr", "FR", "French", "France", " ", ",", ";", "dd/MM/yyyy", "dddd d MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "€", 0, &kFrench},
    {0x080C, "fr", "BE", "French", "Belgium", " ", ",", ";", "dd/MM/yyyy", "dddd d MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "€", 0, &kFrench},
    {0x100C, "fr", "CH", "French", "Switzerland", "'", ".", ";", "dd.MM.yyyy", "dddd, d MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "CHF", 0, &kFrench},
    {0x0410, "it", "IT", "Italian", "Italy", ".", ",", ";", "dd/MM/yyyy", "dddd d MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "€", 0, &kItalian},
    {0x0810, "it", "CH", "Italian", "Switzerland", "'", ".", ";", "dd.MM.yyyy", "dddd, d MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "CHF", 0, &kItalian},
    {0x0C0A, "es", "ES", "Spanish", "Spain", ".", ",", ";", "dd/MM/yyyy",
     "dddd, d' de 'MMMM' de 'yyyy", "H:mm:ss", "a. m.", "p. m.", "€", 0, &kSpanish},
    {0x0416, "pt", "BR", "Portuguese", "Brazil", ".", ",", ";", "dd/MM/yyyy",
     "dddd, d' de 'MMMM' de 'yyyy", "HH:mm:ss", "AM", "PM", "R$", 0, &kPortuguese},
    {0x0816, "pt", "PT", "Portuguese", "Portugal", " ", ",", ";", "dd/MM/yyyy",
     "dddd, d' de 'MMMM' de 'yyyy", "HH:mm:ss", "AM", "PM", "€", 0, &kPortuguese},
    {0x0413, "nl", "NL", "Dutch", "Netherlands", ".", ",", ";", "d-M-yyyy", "dddd d MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "€", 0, &kDutch},
    {0x0813, "nl", "BE", "Dutch", "Belgium", ".", ",", ";", "d/MM/yyyy", "dddd d MMMM yyyy",
     "H:mm:ss", "AM", "PM", "€", 0, &kDutch},
    {0x041D, "sv", "SE", "Swedish", "Sweden", " ", ",", ";", "yyyy-MM-dd", "'den 'd MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "kr", 0, &kEnglish},
    {0x0406, "da", "DK", "Danish", "Denmark", ".", ",", ";", "dd-MM-yyyy", "d. MMMM yyyy",
     "HH:mm:ss", "AM", "PM", "kr.", 0, &kEnglish},
    {0x0414, "nb", "NO", "Norwegian Bokmål", "Norway", " ", ",", ";", "dd.MM.yyyy", "d. MMMM yyyy",
     "HH:mm:ss", "a.m.", "p.m.", "kr", 0, &kEnglish},
    {0x040B, "fi", "FI", "Finnish", "Finland", " ", ",", ";", "d.M.yyyy", "d. MMMM yyyy", "H:mm:ss",
     "ap.", "ip.", "€", 0, &kEnglish},
    {0x0415, "pl", "PL", "Polish", "Poland", " ", ",", ";", "dd.MM.yyyy", "d MMMM yyyy", "HH:mm:ss",
     "AM", "PM", "zł", 0, &kEnglish},
    {0x0405, "cs", "CZ", "Czech", "Czechia", " ", ",", ";", "dd.MM.yyyy", "d. MMMM yyyy", "H:mm:ss",
     "dop.", "odp.", "Kč", 0, &kEnglish},
    {0x0419, "ru", "RU", "Russian", "Russia", " ", ",", ";", "dd.MM.yyyy", "d MMMM yyyy", "H:mm:ss",
     "AM", "PM", "₽", 0, &kEnglish},
    {0x041F, "tr", "TR", "Turkish", "Turkey", ".", ",", ";", "dd.MM.yyyy", "d MMMM yyyy dddd",
     "HH:mm:ss", "ÖÖ", "ÖS", "₺", 0, &kEnglish},
    {0x0411, "ja", "JP", "Japanese", "Japan", ",", ".", ",", "yyyy/MM/dd", "yyyy'年'M'月'd'日'",
     "H:mm:ss", "午前", "午後", "¥", 0, &kEnglish},
    {0x0804, "zh", "CN", "Chinese", "China", ",", ".", ",", "yyyy/M/d", "yyyy'年'M'月'd'日'",
     "H:mm:ss", "上午", "下午", "¥", 0, &kEnglish},
    {0x0404, "zh", "TW", "Chinese", "Taiwan", ",", ".", ",", "yyyy/M/d", "yyyy'年'M'月'd'日'",
     "tt hh:mm:ss", "上午", "下午", "NT$", 0, &kEnglish},
    {0x0412, "ko", "KR", "Korean", "Korea", ",", ".", ",", "yyyy-MM-dd",
     "yyyy'년' M'월' d'일' dddd", "tt h:mm:ss", "오전", "오후", "₩", 0, &kEnglish},
};

std::string Lower(std::string text) {
    for (auto& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Upper(std::string text) {
    for (auto& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

const LocaleData* MainLocaleOfLanguage(const std::string& language) {
    for (const auto& data : kLocales) {
        if (language == data.language) {
            return &data;
        }
    }
    return nullptr;
}

// The locale named by the environment, as GetSystemDefaultLCID describes.
LCID EnvironmentLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            return LocaleFromName(value);
        }
    }
    return kEnglishUnitedStates;
}

} // namespace

const MonthNames& EnglishMonths() {
    return kEnglish;
}

const LocaleData* FindLocale(LCID lcid) {
    LCID id = lcid & 0xFFFF;
    if (id == LOCALE_NEUTRAL || id == LOCALE_USER_DEFAULT || id == LOCALE_SYSTEM_DEFAULT) {
        id = EnvironmentLocale();
    }
    for (const auto& data : kLocales) {
        if (data.lcid == id) {
            return &data;
        }
    }
    // A language without a country (or with one the table lacks): the language's main locale.
    const LCID primary = id & 0x3FF;
    for (const auto& data : kLocales) {
        if ((data.lcid & 0x3FF) == primary) {
            return &data;
        }
    }
    return nullptr;
}

DateOrder OrderOf(const LocaleData& data) {
    for (const char* p = data.shortDate; *p; ++p) {
        if (*p == 'M') {
            return DateOrder::MonthDayYear;
        }
        if (*p == 'd') {
            return DateOrder::DayMonthYear;
        }
        if (*p == 'y') {
            return DateOrder::YearMonthDay;
        }
    }
    return DateOrder::MonthDayYear;
}

} // namespace detail

using detail::LocaleData;

LCID LocaleFromName(const std::string& name) {
    std::string base = name.substr(0, name.find_first_of(".@"));
    if (base.empty() || base == "C" || base == "POSIX") {
        return kEnglishUnitedStates;
    }
    const auto split = base.find_first_of("_-");
    const std::string language = detail::Lower(base.substr(0, split));
    const std::string country =
        split == std::string::npos ? std::string() : detail::Upper(base.substr(split + 1));
    for (const auto& data : detail::kLocales) {
        if (language == data.language && country == data.country) {
            return data.lcid;
        }
    }
    // Norwegian is named three ways.
    const std::string known = language == "no" || language == "nn" ? std::string("nb") : language;
    if (const auto* main = detail::MainLocaleOfLanguage(known)) {
        return main->lcid;
    }
    return kEnglishUnitedStates;
}

LCID GetSystemDefaultLCID() {
    return detail::EnvironmentLocale();
}

LCID GetUserDefaultLCID() {
    return detail::EnvironmentLocale();
}

LANGID GetSystemDefaultLangID() {
    return static_cast<LANGID>(GetSystemDefaultLCID() & 0xFFFF);
}

LANGID GetUserDefaultLangID() {
    return static_cast<LANGID>(GetUserDefaultLCID() & 0xFFFF);
}

namespace {

// The setting's text; false when lctype is not one the table answers.
bool SettingText(const LocaleData& data, LCTYPE lctype, std::string& text) {
    char number[16];
    switch (lctype) {
    case LOCALE_ILANGUAGE:
        std::snprintf(number, sizeof number, "%04X", static_cast<unsigned>(data.lcid));
        text = number;
        return true;
    case LOCALE_SLIST:
        text = data.list;
        return true;
    case LOCALE_IMEASURE:
        text = std::to_string(data.measure);
        return true;
    case LOCALE_SDECIMAL:
    case LOCALE_SMONDECIMALSEP:
        text = data.decimal;
        return true;
    case LOCALE_STHOUSAND:
    case LOCALE_SMONTHOUSANDSEP:
        text = data.thousand;
        return true;
    case LOCALE_SGROUPING:
        text = "3;0";
        return true;
    case LOCALE_IDIGITS:
    case LOCALE_ICURRDIGITS:
        text = "2";
        return true;
    case LOCALE_SCURRENCY:
        text = data.currency;
        return true;
    case LOCALE_SDATE: {
        const char* p = data.shortDate;
        while (*p && std::strchr("dMy", *p)) {
            ++p;
        }
        text = std::string(1, *p ? *p : '/');
        return true;
    }
    case LOCALE_STIME:
        text = ":";
        return true;
    case LOCALE_SSHORTDATE:
        text = data.shortDate;
        return true;
    case LOCALE_SLONGDATE:
        text = data.longDate;
        return true;
    case LOCALE_IDATE:
        text = std::to_string(static_cast<int>(detail::OrderOf(data)));
        return true;
    case LOCALE_ITIME:
        text = std::strchr(data.timeFormat, 'H') ? "1" : "0";
        return true;
    case LOCALE_S1159:
        text = data.am;
        return true;
    case LOCALE_S2359:
        text = data.pm;
        return true;
    case LOCALE_SISO639LANGNAME:
        text = data.language;
        return true;
    case LOCALE_SISO3166CTRYNAME:
        text = data.country;
        return true;
    case LOCALE_SNAME:
        text = std::string(data.language) + "-" + data.country;
        return true;
    case LOCALE_SENGLANGUAGE:
        text = data.englishLanguage;
        return true;
    case LOCALE_SENGCOUNTRY:
        text = data.englishCountry;
        return true;
    case LOCALE_STIMEFORMAT:
        text = data.timeFormat;
        return true;
    case LOCALE_IPAPERSIZE:
        text = data.measure == 0 ? "9" : "1";
        return true;
    default:
        break;
    }
    if (lctype >= LOCALE_SMONTHNAME1 && lctype < LOCALE_SMONTHNAME1 + 12) {
        text = data.months->full[lctype - LOCALE_SMONTHNAME1];
        return true;
    }
    if (lctype >= LOCALE_SABBREVMONTHNAME1 && lctype < LOCALE_SABBREVMONTHNAME1 + 12) {
        text = data.months->abbreviated[lctype - LOCALE_SABBREVMONTHNAME1];
        return true;
    }
    return false;
}

} // namespace

int GetLocaleInfoA(LCID lcid, LCTYPE lctype, char* data, int cchData) {
    const LocaleData* locale = detail::FindLocale(lcid);
    std::string text;
    if (!locale || cchData < 0 || (!data && cchData != 0) ||
        !SettingText(*locale, lctype & ~LOCALE_NOUSEROVERRIDE, text)) {
        return 0;
    }
    const int needed = static_cast<int>(text.size()) + 1;
    if (cchData == 0) {
        return needed;
    }
    if (cchData < needed) {
        return 0;
    }
    std::memcpy(data, text.c_str(), text.size() + 1);
    return needed;
}

std::string LocaleInfo(LCID lcid, LCTYPE lctype) {
    const int size = GetLocaleInfoA(lcid, lctype, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    GetLocaleInfoA(lcid, lctype, text.data(), size);
    text.resize(static_cast<std::size_t>(size - 1));
    return text;
}

std::vector<LCID> KnownLocales() {
    std::vector<LCID> ids;
    for (const auto& data : detail::kLocales) {
        ids.push_back(data.lcid);
    }
    return ids;
}

PaperSize DefaultPaperSize(LCID lcid) {
    const LocaleData* data = detail::FindLocale(lcid);
    return data && data->measure == 0 ? PaperSize::A4 : PaperSize::Letter;
}

} // namespace foliant::locale
