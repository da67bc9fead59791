#pragma once

#include "engine/core/Api.h"

// The ten report styles: how each one draws (fonts, colours, rules, grid, shading, boxes) and
// where it wants a group's name and summaries (before the group's records or after them).
// The runner's layout reads the look; Report::ApplyLayoutStyle arranges the report's objects
// for it.

#include "engine/page/PageModel.h"

#include <optional>
#include <string>

namespace foliant::engine {

inline constexpr int kStyleCount = 10;

// The text object that labels the grand totals in the report footer.
inline constexpr const char* kGrandTotalLabel = "Grand Total:";

// Where a style shows a group's name and its summaries. Plain: the name before the records,
// the summaries after them.
enum class GroupBreak { Plain, Leading, Trailing };

struct LayoutStyle {
    std::string name;
    GroupBreak groupBreak = GroupBreak::Plain;

    page::Font body;
    page::Font heading;   // page header
    page::Font title;     // the ReportTitle field
    page::Font groupName; // a group's name field
    page::Colour text = page::kBlack;
    page::Colour groupNameColour = page::kBlack;

    // Rules: under the page header and over the report footer (doubled when asked), a short
    // rule over each group-footer summary, a light rule between a group's name line and its
    // records.
    bool ruleUnderPageHeader = true;
    bool ruleOverReportFooter = true;
    bool doubleRules = false;
    int ruleThickness = 20;
    page::Colour ruleColour = page::kBlack;
    bool subtotalRules = false;
    bool groupRule = false;
    page::Colour groupRuleColour{0x90, 0x90, 0x90};

    // Table: every band in a grid, a line between columns.
    bool grid = false;
    page::Colour gridColour{0x30, 0x30, 0x30};
    // Drop table: heading rows filled and a shadow right of and under the table on each page.
    bool dropShadow = false;
    page::Colour headingFill{0xc8, 0xc8, 0xc8};
    page::Colour groupHeadingFill{0xe4, 0xe4, 0xe4};
    page::Colour shadowColour{0x70, 0x70, 0x70};

    // Every other record filled.
    bool shading = false;
    page::Colour shadingColour{0xd8, 0xdc, 0xe2};

    // Boxes round the page header and report footer, round each group's sections, and a
    // band behind a group header.
    std::optional<page::Colour> headerFrame;
    std::optional<page::Colour> footerFrame;
    std::optional<page::Colour> groupFrame;
    std::optional<page::Colour> groupBand;
    int frameThickness = 30;

    // Extra room after each group, under its footer (twips).
    int spacing = 0;
};

// The look of style 0–9 ("Standard", "Leading Break", "Trailing Break", "Table", "Drop Table",
// "Executive, Leading Break", "Executive, Trailing Break", "Shading", "Red/Blue Border",
// "Maroon/Teal Box"). A number outside 0–9 gives "Standard".
FOLIANT_ENGINE_API LayoutStyle StyleFor(int style);

} // namespace foliant::engine
