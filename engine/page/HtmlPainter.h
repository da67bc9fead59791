#pragma once

#include "engine/core/Api.h"

// HTML output: one self-contained document, each page a white sheet of its real size with every
// item absolutely positioned on it (1 point = 20 twips). Text is escaped; runs are clipped to
// their boxes.

#include "engine/page/Painter.h"

#include <string>

namespace foliant::engine::page {

class FOLIANT_ENGINE_API HtmlPainter : public Painter {
public:
    void BeginDocument(const Document& document) override;
    void BeginPage(const Page& page) override;
    void DrawFill(const Fill& fill) override;
    void DrawBox(const Box& box) override;
    void DrawLine(const Line& line) override;
    void DrawText(const TextRun& run) override;
    void EndPage(const Page& page) override;
    void EndDocument(const Document& document) override;

    const std::string& Html() const { return html_; }

private:
    std::string html_;
};

FOLIANT_ENGINE_API std::string RenderHtml(const Document& document);

// Text with &, <, >, " and ' escaped for HTML.
FOLIANT_ENGINE_API std::string EscapeHtml(const std::string& text);

} // namespace foliant::engine::page
