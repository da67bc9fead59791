#pragma once

// The language the wizard speaks: a short code chosen by the primary language of the system's
// locale. It names the string table the dialog's texts come from and the help file Help opens.

#include "platform/locale/Locale.h"

#include <string>

namespace foliant::resources {

// The code of a locale's primary language (the low 8 bits of lcid): "chs" Chinese, "de"
// German, "es" Spanish, "fr" French, "it" Italian, "jp" Japanese, "ko" Korean, "pt"
// Portuguese; "en" for every other language.
std::string LanguageCode(locale::LCID lcid);

// The code of the system's locale (locale::GetSystemDefaultLCID).
std::string SystemLanguageCode();

} // namespace foliant::resources
