#include "preview/FindText.h"

#include <algorithm>
#include <cctype>
#include <variant>

namespace foliant::preview {

namespace {

std::string Folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c < 0x80 ? std::tolower(c) : c);
    });
    return text;
}

} // namespace

std::vector<TextMatch> FindInDocument(const engine::page::Document& document,
                                      const std::string& text) {
    std::vector<TextMatch> matches;
    if (text.empty()) {
        return matches;
    }
    const std::string wanted = Folded(text);
    for (std::size_t p = 0; p < document.pages.size(); ++p) {
        const auto& items = document.pages[p].items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto* run = std::get_if<engine::page::TextRun>(&items[i]);
            if (run != nullptr && Folded(run->text).find(wanted) != std::string::npos) {
                matches.push_back({p, i});
            }
        }
    }
    return matches;
}

} // namespace foliant::preview
