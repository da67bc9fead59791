#include "resources/Language.h"

#include <array>
#include <utility>

namespace foliant::resources {

std::string LanguageCode(locale::LCID lcid) {
    static constexpr std::array<std::pair<locale::LCID, const char*>, 8> kCodes = {{
        {0x04, "chs"},
        {0x07, "de"},
        {0x0A, "es"},
        {0x0C, "fr"},
        {0x10, "it"},
        {0x11, "jp"},
        {0x12, "ko"},
        {0x16, "pt"},
    }};
    const locale::LCID primary = lcid & 0xFF;
    for (const auto& [language, code] : kCodes) {
        if (language == primary) {
            return code;
        }
    }
    return "en";
}

std::string SystemLanguageCode() {
    return LanguageCode(locale::GetSystemDefaultLCID());
}

} // namespace foliant::resources
