#include "platform/help/Sitemap.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>

namespace foliant::help {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The character an entity after "&" stands for; nullopt leaves the "&" as it is.
std::optional<std::string> Entity(std::string_view name) {
    if (name == "amp")
        return "&";
    if (name == "lt")
        return "<";
    if (name == "gt")
        return ">";
    if (name == "quot")
        return "\"";
    if (name == "apos")
        return "'";
    if (name.size() > 1 && name.front() == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        char* end = nullptr;
        const unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (!digits.empty() && end != nullptr && *end == '\0' && code > 0 && code < 0x110000) {
            std::string out;
            AppendUtf8(out, code);
            return out;
        }
    }
    return std::nullopt;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto semicolon = text.find(';', i);
        if (text[i] == '&' && semicolon != std::string_view::npos && semicolon - i <= 10) {
            if (const auto replaced = Entity(text.substr(i + 1, semicolon - i - 1))) {
                out += *replaced;
                i = semicolon;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The value of attribute `name` inside one tag's text, "" when absent.
std::string Attribute(std::string_view tag, std::string_view name) {
    const std::string lower = Lower(tag);
    for (auto at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
        auto pos = at + name.size();
        const bool startsWord = at > 0 && std::isspace(static_cast<unsigned char>(lower[at - 1]));
        while (pos < lower.size() && std::isspace(static_cast<unsigned char>(lower[pos]))) {
            ++pos;
        }
        if (!startsWord || pos >= lower.size() || lower[pos] != '=') {
            continue;
        }
        ++pos;
        while (pos < tag.size() && std::isspace(static_cast<unsigned char>(tag[pos]))) {
            ++pos;
        }
        if (pos >= tag.size()) {
            return {};
        }
        const char quote = tag[pos];
        if (quote == '"' || quote == '\'') {
            const auto end = tag.find(quote, pos + 1);
            return Unescape(tag.substr(
                pos + 1, end == std::string_view::npos ? std::string_view::npos : end - pos - 1));
        }
        auto end = pos;
        while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) &&
               tag[end] != '>') {
            ++end;
        }
        return Unescape(tag.substr(pos, end - pos));
    }
    return {};
}

// Builds the tree while the tags go by.
class Builder {
public:
    Builder() { levels_.push_back(&root_); }

    void Tag(std::string_view tag) {
        const std::string lower = Lower(tag.substr(0, tag.find_first_of(" \t\r\n>")));
        if (lower == "<ul") {
            // A list right after an entry holds that entry's children.
            auto* siblings = levels_.back();
            levels_.push_back(siblings->empty() || !openable_ ? siblings
                                                              : &siblings->back().children);
            openable_ = false;
        } else if (lower == "</ul") {
            if (levels_.size() > 1) {
                levels_.pop_back();
            }
            openable_ = false;
        } else if (lower == "<object" && Lower(Attribute(tag, "type")) == "text/sitemap") {
            entry_ = SitemapEntry{};
        } else if (lower == "<param" && entry_) {
            const std::string name = Lower(Attribute(tag, "name"));
            if (name == "name" && entry_->name.empty()) {
                entry_->name = Attribute(tag, "value");
            } else if (name == "local" && entry_->local.empty()) {
                entry_->local = Attribute(tag, "value");
            }
        } else if (lower == "</object" && entry_) {
            levels_.back()->push_back(std::move(*entry_));
            entry_.reset();
            openable_ = true;
        }
    }

    std::vector<SitemapEntry> Take() { return std::move(root_); }

private:
    std::vector<SitemapEntry> root_;
    std::vector<std::vector<SitemapEntry>*> levels_;
    std::optional<SitemapEntry> entry_;
    bool openable_ = false;
};

void FlattenInto(const std::vector<SitemapEntry>& entries, std::vector<const SitemapEntry*>& out) {
    for (const auto& entry : entries) {
        out.push_back(&entry);
        FlattenInto(entry.children, out);
    }
}

} // namespace

std::vector<SitemapEntry> ParseSitemap(std::string_view text) {
    Builder builder;
    for (auto open = text.find('<'); open != std::string_view::npos; open = text.find('<', open)) {
        const auto close = text.find('>', open);
        if (close == std::string_view::npos) {
            break;
        }
        builder.Tag(text.substr(open, close - open + 1));
        open = close + 1;
    }
    return builder.Take();
}

std::vector<const SitemapEntry*> Flatten(const std::vector<SitemapEntry>& entries) {
    std::vector<const SitemapEntry*> out;
    FlattenInto(entries, out);
    return out;
}

} // namespace foliant::help
