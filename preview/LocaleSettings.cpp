#include "preview/LocaleSettings.h"

#include "platform/locale/Locale.h"

namespace foliant::preview {

namespace {

// The short time pattern: the locale's time pattern without its seconds ("h:mm:ss tt" gives
// "h:mm tt", "HH:mm:ss" gives "HH:mm").
std::string WithoutSeconds(std::string pattern) {
    const auto at = pattern.find('s');
    if (at == std::string::npos) {
        return pattern;
    }
    auto end = at;
    while (end < pattern.size() && pattern[end] == 's') {
        ++end;
    }
    auto begin = at;
    // The separator before the seconds goes with them.
    if (begin > 0 && pattern[begin - 1] != 'm' && pattern[begin - 1] != 'h' &&
        pattern[begin - 1] != 'H' && pattern[begin - 1] != ' ') {
        --begin;
    }
    pattern.erase(begin, end - begin);
    return pattern;
}

} // namespace

engine::run::LayoutSettings LocaleLayoutSettings() {
    namespace loc = foliant::locale;
    const loc::LCID lcid = loc::GetSystemDefaultLCID();
    engine::run::LayoutSettings settings;
    settings.paper = loc::DefaultPaperSize(lcid) == loc::PaperSize::A4
                         ? engine::run::PaperSize::A4
                         : engine::run::PaperSize::Letter;
    auto& format = settings.format;
    auto take = [lcid](loc::LCTYPE type, std::string& into) {
        const std::string value = loc::LocaleInfo(lcid, type);
        if (!value.empty()) {
            into = value;
        }
    };
    take(loc::LOCALE_STHOUSAND, format.thousandsSeparator);
    take(loc::LOCALE_SDECIMAL, format.decimalSeparator);
    take(loc::LOCALE_SCURRENCY, format.currencySymbol);
    take(loc::LOCALE_SSHORTDATE, format.shortDateFormat);
    take(loc::LOCALE_S1159, format.amText);
    take(loc::LOCALE_S2359, format.pmText);
    const std::string time = loc::LocaleInfo(lcid, loc::LOCALE_STIMEFORMAT);
    if (!time.empty()) {
        format.shortTimeFormat = WithoutSeconds(time);
    }
    // The locale table does not say where the currency symbol goes; the countries that write
    // a decimal comma write it after the amount ("12,50 €").
    format.currencySymbolAfter = format.decimalSeparator == ",";
    return settings;
}

} // namespace foliant::preview
