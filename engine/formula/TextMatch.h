#pragma once

// Case-insensitive text matching for `like` and `startswith`. Text is UTF-8; characters are
// read the way SQLite reads them, so that a `?` covers the same bytes in both places.

#include <string_view>

namespace foliant::engine::formula {

// Whether `text` matches `pattern`, where * stands for any run of characters and ? for exactly
// one; letters match regardless of case (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
bool MatchesLike(std::string_view text, std::string_view pattern);

// Whether `text` begins with `prefix`, regardless of case as above.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

} // namespace foliant::engine::formula
