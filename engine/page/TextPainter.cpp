#include "engine/page/TextPainter.h"

#include "engine/page/FontMetrics.h"

#include <algorithm>

namespace foliant::engine::page {

namespace {

int Column(int x) {
    return (x + TextPainter::kColumnWidth / 2) / TextPainter::kColumnWidth;
}

std::vector<std::string> CodePoints(const std::string& text) {
    std::vector<std::string> out;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 || out.empty()) {
            out.emplace_back(1, c);
        } else {
            out.back() += c;
        }
    }
    return out;
}

} // namespace

void TextPainter::BeginPage(const Page& page) {
    grid_.assign(static_cast<std::size_t>(std::max(1, page.height / kRowHeight)), {});
}

void TextPainter::DrawText(const TextRun& run) {
    const int row = (run.box.top + kRowHeight / 2) / kRowHeight;
    if (row < 0 || row >= static_cast<int>(grid_.size())) {
        return;
    }
    const int first = std::max(0, Column(run.box.left));
    const int last = Column(run.box.Right()); // one past the last column
    const int room = last - first;
    if (room <= 0) {
        return;
    }
    std::vector<std::string> chars = CodePoints(run.text);
    const int length = static_cast<int>(chars.size());
    int start = first;
    if (run.align == HorizontalAlignment::Right) {
        start = last - length;
    } else if (run.align == HorizontalAlignment::Centre) {
        start = first + (room - length) / 2;
    }
    if (length > room) {
        start = first; // a run wider than its box shows its beginning
    }
    auto& cells = grid_[static_cast<std::size_t>(row)];
    for (int i = 0; i < length; ++i) {
        const int column = start + i;
        if (column < first || column >= last) {
            continue;
        }
        if (static_cast<int>(cells.size()) <= column) {
            cells.resize(static_cast<std::size_t>(column) + 1, " ");
        }
        cells[static_cast<std::size_t>(column)] = chars[static_cast<std::size_t>(i)];
    }
}

void TextPainter::EndPage(const Page&) {
    if (pages_++ > 0) {
        text_ += "\f\n";
    }
    std::vector<std::string> lines;
    for (const auto& cells : grid_) {
        std::string line;
        for (const auto& c : cells) {
            line += c;
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
    }
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    for (const auto& l : lines) {
        text_ += l + "\n";
    }
}

std::string RenderText(const Document& document) {
    TextPainter painter;
    PaintDocument(document, painter);
    return painter.Text();
}

} // namespace foliant::engine::page
