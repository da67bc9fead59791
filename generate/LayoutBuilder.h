#pragma once

// The layout builder: writes the wizard's choices into a report through the engine's
// operations only. It sets no font, colour or line itself; the style the engine applies does.
//
// BuildReportLayout is all or nothing: it builds on a copy of the report and puts the copy's
// content in place only when every step succeeded. When an engine operation fails, its error
// goes on unchanged and the report is exactly as it was before the call. This is the one call
// Finish makes.
//
// The steps below it work on the report they are given in place, and stop where an engine
// error arises; they are exposed for the layout tests.

#include "engine/Report.h"
#include "generate/ReportChoices.h"

#include <vector>

namespace foliant::generate {

// Twips between columns, below the title and the print date, and between summaries.
inline constexpr int kColumnGap = 240;

// The whole build, in order: what an earlier build placed is cleared (ClearWizardOutput, when
// HoldsWizardOutput), the selection formula (when not empty), the title and print date, the
// columns, the groups with their summaries and grand totals, the group sorting, then the
// style. All or nothing (see above); throws the engine's error.
void BuildReportLayout(engine::Report& report, const ReportChoices& choices);

// Whether the report shows what a build places, so that building again must clear it first:
// a field in the details, a group, the print date or title field in the page header, or a
// summary in the report footer. A report that holds only objects a build never places (a
// text in the page header, say) is built upon as it is.
bool HoldsWizardOutput(const engine::Report& report);

// Removes what a build placed, so that building again gives the same report and not a second
// copy of everything: from the page header every text object, the print date and the title
// field; from the details every field object; every group with its sections, summaries and
// sorts; from the report footer every summary and every grand-total label. Other objects
// (in the report header, the page footer, a page number in the page header) stay.
void ClearWizardOutput(engine::Report& report);

// The title, set on the report (the empty title too, so a title removed in the wizard does not
// come back when the report is opened in it again), shown when not empty by a "ReportTitle"
// field at the top left of the page header; and the print date below it. Returns the top of
// the headings: the print date's bottom plus kColumnGap.
int PlaceTitleAndDate(engine::Report& report, const std::string& title);

// One column per choice, left to right from left 0 with kColumnGap between them: the field in
// the details at top 0, its heading in the page header at headingTop, as wide as the field and,
// when the field keeps the default alignment, right-aligned over numbers and left-aligned over
// anything else. The heading is the field's name after the table name (or after a formula's,
// parameter's, running total's or SQL expression's sign). Raises the details and page header
// heights to hold the last column; never lowers them. Returns the left of the next column.
int PlaceColumns(engine::Report& report, const std::vector<ColumnChoice>& columns, int headingTop);

// Inserts the groups outermost first, each on its field (grouped each day for dates and
// date-times, each time value for times, each value otherwise) in its record order, and places
// its summaries. Throws EngineError naming a group field the report does not have.
void AddGroupsAndSummaries(engine::Report& report, const std::vector<GroupChoice>& groups);

// The summaries of group g (1 = outermost) in its footer, each kColumnGap right of the one
// before, starting kColumnGap right of the footer's last object, on that object's line; the
// grand totals among them on the report footer's top line from left 0, kColumnGap apart.
void PlaceGroupSummaries(engine::Report& report, int g,
                         const std::vector<SummaryChoice>& summaries);

// Orders each group's groups by the group's summary of its sort field: Top N or Bottom N on
// the group header, Sort All as a summary sort. A group without a summary of that field is
// left unsorted.
void ApplyGroupSorting(engine::Report& report, const std::vector<GroupChoice>& groups);

} // namespace foliant::generate
