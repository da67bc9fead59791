#pragma once

// Looking for a text in laid-out pages, as the viewer's find does: every text run that holds
// the text, ignoring the case of ASCII letters, in page order and within a page in the order
// the runs were laid out.

#include "engine/page/PageModel.h"

#include <cstddef>
#include <string>
#include <vector>

namespace foliant::preview {

struct TextMatch {
    std::size_t page = 0; // 0-based index into Document::pages
    std::size_t item = 0; // index into Page::items (a TextRun)
    friend bool operator==(const TextMatch&, const TextMatch&) = default;
};

// Nothing for an empty text.
std::vector<TextMatch> FindInDocument(const engine::page::Document& document,
                                      const std::string& text);

} // namespace foliant::preview
