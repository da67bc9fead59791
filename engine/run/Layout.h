#pragma once

#include "engine/core/Api.h"

// Laying a run out into pages: report header once (first), page header at the top of every
// page, for each group its header, its records' details and its footer, the report footer at
// the end, page footer at the bottom of every page.
// - A section is never split: one that does not fit in what is left of a page starts the next
//   page; one taller than a whole page is placed alone on a fresh page and cut at the footer.
// - A group header is not left alone at the bottom of a page: it goes with its first record.
// - Special fields are filled in and values formatted by type. Text, dates and times wrap
//   within their object (the object and its section grow to hold the lines); a number too
//   wide for its object shows as #s.
// - Text is measured with the engine's font-metric model (FontMetrics.h).
// - The report's style decides fonts and colours and adds its rules, grid lines, fills, drop
//   shadow and boxes around the sections' bands (LayoutStyle.h); none of them moves text within its
//   section (a style's wider spacing adds room under bands).

#include "engine/LayoutStyle.h"
#include "engine/page/PageModel.h"
#include "engine/run/Format.h"
#include "engine/run/Runner.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace foliant::engine::run {

enum class PaperSize { Letter, A4 };

// Twips.
FOLIANT_ENGINE_API int PaperWidth(PaperSize paper);
FOLIANT_ENGINE_API int PaperHeight(PaperSize paper);
inline constexpr int kPageMargin = 360; // a quarter inch on every side

struct LayoutSettings {
    PaperSize paper = PaperSize::Letter;
    FormatSettings format;
    // The time PrintTime shows; the current time when not set. (PrintDate is the run's date.)
    std::optional<TimeOfDay> printTime;
    // The group name shown for the group that gathers the groups beyond Top N / Bottom N.
    std::string othersLabel = "Others";
    // Told the number of records laid out so far, now and then; returning false ends the
    // layout with RunCancelled.
    std::function<bool(std::uint64_t recordsLaidOut)> progress;
};

// How each style draws (LayoutStyle.h).
using engine::LayoutStyle;
using engine::StyleFor;

// Lays the run out. Never throws for a run RunReport produced.
FOLIANT_ENGINE_API page::Document LayOutReport(const RunResult& run,
                                               const LayoutSettings& settings = {});

// Runs the report and lays it out: the whole road from a report to its pages, which any
// painter then draws (page::RenderText, page::RenderHtml, the Qt painter). Throws what
// RunReport throws.
FOLIANT_ENGINE_API page::Document RenderReport(const Report& report, const RunOptions& options = {},
                                               const LayoutSettings& settings = {});

// Receives the pages of a report one at a time, in order, each once it is finished.
using PageSink = std::function<void(page::Page&&)>;

// The same pages as RenderReport, handed to the sink as each is finished, so that exporting a
// long report does not hold all its pages. A report without groups, whose grand totals and
// record fields stand only in the details and the report footer, is laid out while its
// records are read, so that it never holds all its records either. A report that shows the
// total page count is laid out twice: once to count its pages, then handing them over.
FOLIANT_ENGINE_API void RenderReportPages(const Report& report, const RunOptions& options,
                                          const LayoutSettings& settings, const PageSink& sink);

} // namespace foliant::engine::run
