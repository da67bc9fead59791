#include "platform/forms/Utf8.h"

namespace foliant::forms::utf8 {

namespace {

// The length of the valid sequence starting at `i`, or 0 when none starts there.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
        length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
    } else if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

char32_t DecodeNext(std::string_view text, std::size_t& offset) {
    const std::size_t length = SequenceLength(text, offset);
    const auto lead = static_cast<unsigned char>(text[offset]);
    if (length <= 1) {
        ++offset;
        return lead;
    }
    char32_t cp = lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[offset + k]) & 0x3F);
    }
    offset += length;
    return cp;
}

std::string Encode(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

int Length(std::string_view text) {
    int n = 0;
    for (std::size_t i = 0; i < text.size(); ++n) {
        const std::size_t length = SequenceLength(text, i);
        i += length == 0 ? 1 : length;
    }
    return n;
}

std::size_t Offset(std::string_view text, int index) {
    std::size_t i = 0;
    for (int n = 0; n < index && i < text.size(); ++n) {
        const std::size_t length = SequenceLength(text, i);
        i += length == 0 ? 1 : length;
    }
    return i;
}

std::size_t Next(std::string_view text, std::size_t offset) {
    if (offset >= text.size()) {
        return text.size();
    }
    const std::size_t length = SequenceLength(text, offset);
    return offset + (length == 0 ? 1 : length);
}

std::size_t Previous(std::string_view text, std::size_t offset) {
    // A character longer than one byte is a whole sequence ending at `offset`; there is at most
    // one, since its lead byte is never a continuation byte of another.
    for (std::size_t length = 4; length >= 2; --length) {
        if (offset >= length && SequenceLength(text, offset - length) == length) {
            return offset - length;
        }
    }
    return offset == 0 ? 0 : offset - 1;
}

bool IsWellFormed(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace foliant::forms::utf8
