#include "engine/formula/TextMatch.h"

#include <cstddef>
#include <vector>

namespace foliant::engine::formula {

namespace {

// Reads one character at `i` and moves past it. A lead byte takes every continuation byte that
// follows it; a malformed sequence reads as U+FFFD and never as an ASCII character.
char32_t ReadChar(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0xC0) {
        return lead;
    }
    char32_t c = lead < 0xE0   ? lead & 0x1F
                 : lead < 0xF0 ? lead & 0x0F
                 : lead < 0xF8 ? lead & 0x07
                               : lead & 0x03;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) {
        c = ((c << 6) + (static_cast<unsigned char>(s[i]) & 0x3F)) & 0x7FFFFFFF;
        ++i;
    }
    if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE) {
        return 0xFFFD;
    }
    return c;
}

char32_t Fold(char32_t c) {
    if (c >= 'A' && c <= 'Z') {
        return c + 32;
    }
    if (c < 0xC0) {
        return c;
    }
    if (c <= 0xDE) {
        return c == 0xD7 ? c : c + 32;
    }
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return c | 1;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return c % 2 == 1 ? c + 1 : c;
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) {
        return c + 32;
    }
    if (c >= 0x410 && c <= 0x42F) {
        return c + 32;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 80;
    }
    return c;
}

std::vector<char32_t> FoldedChars(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        out.push_back(Fold(ReadChar(s, i)));
    }
    return out;
}

} // namespace

bool MatchesLike(std::string_view text, std::string_view pattern) {
    const std::vector<char32_t> t = FoldedChars(text);
    const std::vector<char32_t> p = FoldedChars(pattern);
    // Greedy matching that returns to the last * on a mismatch: linear space, and time bounded
    // by the product of the two lengths.
    std::size_t ti = 0;
    std::size_t pi = 0;
    std::size_t starP = p.size() + 1; // none yet
    std::size_t starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == U'*') {
            starP = pi++;
            starT = ti;
        } else if (pi < p.size() && (p[pi] == U'?' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (starP <= p.size()) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*') {
        ++pi;
    }
    return pi == p.size();
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    const std::vector<char32_t> t = FoldedChars(text);
    const std::vector<char32_t> p = FoldedChars(prefix);
    if (p.size() > t.size()) {
        return false;
    }
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (t[i] != p[i]) {
            return false;
        }
    }
    return true;
}

} // namespace foliant::engine::formula
