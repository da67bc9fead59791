#include "engine/page/HtmlPainter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace foliant::engine::page {

namespace {

// Twips as points, without trailing zeros: 370 → "18.5pt".
std::string Pt(int twips) {
    // Twentieths of a point as exact decimals, whatever the host's C locale.
    const int whole = twips / 20;
    const int rest = std::abs(twips % 20) * 5; // hundredths
    std::string s = (twips < 0 && whole == 0 ? "-" : "") + std::to_string(whole);
    if (rest != 0) {
        s += "." + std::string(rest < 10 ? "0" : "") + std::to_string(rest);
    }
    while (s.find('.') != std::string::npos && s.back() == '0') {
        s.pop_back();
    }
    return s + "pt";
}

std::string Css(const Colour& c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.red, c.green, c.blue);
    return buf;
}

std::string Place(const Rect& r) {
    return "left:" + Pt(r.left) + ";top:" + Pt(r.top) + ";width:" + Pt(r.width) +
           ";height:" + Pt(r.height);
}

std::string Family(const std::string& family) {
    if (family == "Serif") {
        return "serif";
    }
    if (family == "Mono") {
        return "monospace";
    }
    return "sans-serif";
}

} // namespace

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void HtmlPainter::BeginDocument(const Document& document) {
    html_ += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
             EscapeHtml(document.title) +
             "</title>\n<style>\n"
             "body { background: #808080; margin: 0; padding: 12pt 0; }\n"
             ".page { position: relative; overflow: hidden; background: #ffffff; "
             "margin: 0 auto 12pt auto; }\n"
             ".page div { position: absolute; box-sizing: border-box; }\n"
             ".page .t { white-space: pre; overflow: hidden; line-height: 1.2; }\n"
             "</style>\n</head>\n<body>\n";
}

void HtmlPainter::BeginPage(const Page& page) {
    html_ += "<div class=\"page\" id=\"page" + std::to_string(page.number) +
             "\" style=\"width:" + Pt(page.width) + ";height:" + Pt(page.height) + "\">\n";
}

void HtmlPainter::DrawFill(const Fill& fill) {
    html_ += "<div style=\"" + Place(fill.rect) + ";background:" + Css(fill.colour) + "\"></div>\n";
}

void HtmlPainter::DrawBox(const Box& box) {
    html_ += "<div style=\"" + Place(box.rect) + ";border:" + Pt(box.thickness) + " solid " +
             Css(box.colour) + "\"></div>\n";
}

void HtmlPainter::DrawLine(const Line& line) {
    // Lines are horizontal or vertical rules: a thin filled rectangle.
    const int half = line.thickness / 2;
    Rect r;
    if (line.y1 == line.y2) {
        r = {std::min(line.x1, line.x2), line.y1 - half, std::abs(line.x2 - line.x1),
             line.thickness};
    } else {
        r = {line.x1 - half, std::min(line.y1, line.y2), line.thickness,
             std::abs(line.y2 - line.y1)};
    }
    html_ += "<div style=\"" + Place(r) + ";background:" + Css(line.colour) + "\"></div>\n";
}

void HtmlPainter::DrawText(const TextRun& run) {
    const char* align = "left";
    if (run.align == HorizontalAlignment::Right) {
        align = "right";
    } else if (run.align == HorizontalAlignment::Centre) {
        align = "center";
    }
    std::string style = Place(run.box) + ";font-family:" + Family(run.font.family) +
                        ";font-size:" + Pt(run.font.size) + ";color:" + Css(run.colour) +
                        ";text-align:" + align;
    if (run.font.bold) {
        style += ";font-weight:bold";
    }
    if (run.font.italic) {
        style += ";font-style:italic";
    }
    if (run.font.underline) {
        style += ";text-decoration:underline";
    }
    html_ += "<div class=\"t\" style=\"" + style + "\">" + EscapeHtml(run.text) + "</div>\n";
}

void HtmlPainter::EndPage(const Page&) {
    html_ += "</div>\n";
}

void HtmlPainter::EndDocument(const Document&) {
    html_ += "</body>\n</html>\n";
}

std::string RenderHtml(const Document& document) {
    HtmlPainter painter;
    PaintDocument(document, painter);
    return painter.Html();
}

} // namespace foliant::engine::page
