#include "engine/LayoutStyle.h"

#include "engine/Report.h"
#include "engine/page/FontMetrics.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace foliant::engine {

namespace {

constexpr page::Colour kRed{0xd0, 0x10, 0x10};
constexpr page::Colour kBlue{0x10, 0x30, 0xd0};
constexpr page::Colour kMaroon{0x80, 0x00, 0x00};
constexpr page::Colour kTeal{0x00, 0x80, 0x80};

const char* const kNames[kStyleCount] = {"Standard",
                                         "Leading Break",
                                         "Trailing Break",
                                         "Table",
                                         "Drop Table",
                                         "Executive, Leading Break",
                                         "Executive, Trailing Break",
                                         "Shading",
                                         "Red/Blue Border",
                                         "Maroon/Teal Box"};

} // namespace

LayoutStyle StyleFor(int number) {
    if (number < 0 || number >= kStyleCount) {
        number = 0;
    }
    LayoutStyle s;
    s.name = kNames[number];
    s.heading.bold = true;
    s.title.bold = true;
    s.groupName.bold = true;
    switch (number) {
    case 0: // plain: bold headings, a rule under the page header, subtotals ruled off
        s.subtotalRules = true;
        break;
    case 1:
        s.groupBreak = GroupBreak::Leading;
        s.groupRule = true;
        break;
    case 2:
        s.groupBreak = GroupBreak::Trailing;
        s.groupRule = true;
        break;
    case 3:
    case 4:
        s.grid = true;
        s.dropShadow = number == 4;
        s.ruleUnderPageHeader = false; // the grid draws the lines
        s.ruleOverReportFooter = false;
        break;
    case 5:
    case 6:
        s.groupBreak = number == 5 ? GroupBreak::Leading : GroupBreak::Trailing;
        for (page::Font* f : {&s.body, &s.heading, &s.title, &s.groupName}) {
            f->family = "Serif";
        }
        s.title.size = 240;
        s.title.italic = true;
        s.doubleRules = true;
        s.groupRule = true;
        s.groupRuleColour = page::Colour{0x10, 0x10, 0x10};
        s.spacing = 240;
        break;
    case 7:
        s.shading = true;
        s.subtotalRules = true;
        break;
    case 8:
        s.groupBreak = GroupBreak::Leading;
        s.headerFrame = kRed;
        s.footerFrame = kRed;
        s.groupFrame = kBlue;
        s.groupNameColour = kBlue;
        s.ruleColour = kRed;
        s.ruleUnderPageHeader = false; // the red box closes the page header
        s.ruleOverReportFooter = false;
        break;
    case 9:
        s.groupBreak = GroupBreak::Leading;
        s.headerFrame = kMaroon;
        s.footerFrame = kMaroon;
        s.groupFrame = kTeal;
        s.groupBand = kTeal;
        s.groupNameColour = page::kWhite;
        s.ruleColour = kMaroon;
        s.ruleUnderPageHeader = false;
        s.ruleOverReportFooter = false;
        break;
    default:
        break;
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Arranging a report for its style.

namespace {

constexpr int kGap = 240; // between summaries placed side by side

bool Overlap(const ReportObject& a, const ReportObject& b) {
    return a.Left() < b.Left() + b.ObjectWidth() && b.Left() < a.Left() + a.ObjectWidth() &&
           a.Top() < b.Top() + b.ObjectHeight() && b.Top() < a.Top() + a.ObjectHeight();
}

bool IsSummaryObject(const ReportObject& o) {
    return o.Kind() == ObjectKind::Field && o.field()->Kind() == FieldKind::Summary;
}

std::shared_ptr<Section> FirstSection(const std::shared_ptr<Area>& area) {
    return area && !area->Sections().empty() ? area->Sections().front() : nullptr;
}

// The detail columns: where each field is shown.
struct DetailColumns {
    struct Column {
        int left;
        int width;
    };
    std::map<const FieldDefinition*, Column> byField;
    int right = 0;
    bool any = false;
    int secondLeft = std::numeric_limits<int>::max(); // the second column's left
};

DetailColumns FindDetailColumns(const std::shared_ptr<Section>& details) {
    DetailColumns columns;
    if (!details) {
        return columns;
    }
    for (const auto& o : details->Objects()) {
        if (o->Kind() != ObjectKind::Field) {
            continue;
        }
        columns.byField.emplace(o->field().get(),
                                DetailColumns::Column{o->Left(), o->ObjectWidth()});
        columns.right = std::max(columns.right, o->Left() + o->ObjectWidth());
        if (o->Left() > 0) {
            columns.secondLeft = std::min(columns.secondLeft, o->Left());
        }
        columns.any = true;
    }
    return columns;
}

// A report footer with grand totals gets its label.
void LabelGrandTotals(const std::shared_ptr<Area>& rf) {
    if (!rf || rf->Sections().empty()) {
        return;
    }
    bool totals = false;
    bool labelled = false;
    for (const auto& section : rf->Sections()) {
        for (const auto& o : section->Objects()) {
            totals = totals || IsSummaryObject(*o);
            labelled = labelled || (o->Kind() == ObjectKind::Text && o->text() == kGrandTotalLabel);
        }
    }
    if (totals && !labelled) {
        rf->Sections().front()->PlaceTextObject(kGrandTotalLabel, 0, 0);
    }
}

// Objects as high as the style's font for them needs.
void FitHeights(const Area& area, const Section& section, const LayoutStyle& style) {
    for (const auto& o : section.Objects()) {
        page::Font font = area.AreaKind() == AreaKind::PageHeader ? style.heading : style.body;
        if (o->Kind() == ObjectKind::Field) {
            const auto def = o->field();
            if (def->Kind() == FieldKind::Special && def->Name() == "ReportTitle") {
                font = style.title;
            } else if (def->Kind() == FieldKind::GroupName) {
                font = style.groupName;
            }
        }
        font = FormattedFont(font, o->Format());
        o->SetObjectHeight(std::max(o->ObjectHeight(), page::LineHeight(font)));
    }
}

// Puts summaries under their columns, the others side by side after the last one, all on the
// section's top line; everything else stays where it is. Returns the objects left in place
// and the summaries moved.
std::pair<std::vector<std::shared_ptr<ReportObject>>, std::vector<std::shared_ptr<ReportObject>>>
PlaceSummaries(const Section& section, bool movable, const DetailColumns& columns) {
    std::vector<std::shared_ptr<ReportObject>> fixed;
    std::vector<std::shared_ptr<ReportObject>> moving;
    int next = columns.any ? columns.right + kGap : 0;
    for (const auto& o : section.Objects()) {
        if (!movable || !IsSummaryObject(*o)) {
            fixed.push_back(o);
            continue;
        }
        const auto column = columns.byField.find(o->field()->GetSummarizedField().get());
        if (column != columns.byField.end()) {
            o->SetLeft(column->second.left);
            o->SetObjectWidth(column->second.width);
        } else {
            o->SetLeft(next);
            next += o->ObjectWidth() + kGap;
        }
        o->SetTop(0);
        moving.push_back(o);
    }
    return {fixed, moving};
}

// No two objects overlap: each one, in turn, moves down below whatever placed object it
// covers. Tops only grow, so this ends. Returns the lowest bottom.
int SettleOverlaps(const std::vector<std::shared_ptr<ReportObject>>& fixed,
                   const std::vector<std::shared_ptr<ReportObject>>& moving) {
    std::vector<const ReportObject*> placed;
    int bottom = 0;
    for (const auto& list : {fixed, moving}) {
        for (const auto& o : list) {
            for (bool moved = true; moved;) {
                moved = false;
                for (const ReportObject* p : placed) {
                    if (Overlap(*o, *p)) {
                        o->SetTop(p->Top() + p->ObjectHeight());
                        moved = true;
                    }
                }
            }
            placed.push_back(o.get());
            bottom = std::max(bottom, o->Top() + o->ObjectHeight());
        }
    }
    return bottom;
}

void ArrangeSection(const Area& area, Section& section, const LayoutStyle& style,
                    const DetailColumns& columns) {
    const bool movable = area.AreaKind() == AreaKind::GroupHeader ||
                         area.AreaKind() == AreaKind::GroupFooter ||
                         area.AreaKind() == AreaKind::ReportFooter;
    FitHeights(area, section, style);
    const auto [fixed, moving] = PlaceSummaries(section, movable, columns);
    section.SetSectionHeight(std::max(section.SectionHeight(), SettleOverlaps(fixed, moving)));
}

} // namespace

void Report::ArrangeForStyle() {
    const LayoutStyle style = StyleFor(style_);
    const DetailColumns columns = FindDetailColumns(FirstSection(FindArea("D")));
    for (const auto& group : groups_) {
        ArrangeGroupForStyle(*group, style, columns.secondLeft);
    }
    LabelGrandTotals(FindArea("RF"));
    for (const auto& area : areas_) {
        for (const auto& section : area->sections_) {
            ArrangeSection(*area, *section, style, columns);
        }
    }
}

// Summaries and the group's name move between its header and footer as the style wants; a
// group whose name is shown nowhere there gets it, in the first column's room so that totals
// can stand beside it.
void Report::ArrangeGroupForStyle(const Group& group, const LayoutStyle& style,
                                  int secondColumnLeft) {
    const auto header = FirstSection(group.header.lock());
    const auto footer = FirstSection(group.footer.lock());
    if (!header || !footer) {
        return;
    }
    const auto summariesIn = style.groupBreak == GroupBreak::Leading ? header : footer;
    const auto nameIn = style.groupBreak == GroupBreak::Trailing ? footer : header;
    for (const auto& section : {header, footer}) {
        const auto objects = section->objects_; // a copy: moving changes the list
        for (const auto& o : objects) {
            if (IsSummaryObject(*o)) {
                MoveObject(o, summariesIn);
            } else if (o->Shows(*group.nameField)) {
                MoveObject(o, nameIn);
            }
        }
    }
    const bool named = std::any_of(nameIn->objects_.begin(), nameIn->objects_.end(),
                                   [&](const auto& o) { return o->Shows(*group.nameField); });
    if (!named) {
        const auto name = nameIn->PlaceFieldObject(group.nameField, 0, 0);
        if (secondColumnLeft > kGap) {
            name->SetObjectWidth(std::min(name->ObjectWidth(), secondColumnLeft - kGap));
        }
    }
}

// Moves an object to the end of another section's objects.
void Report::MoveObject(const std::shared_ptr<ReportObject>& object,
                        const std::shared_ptr<Section>& to) {
    const auto from = object->GetSection();
    if (from == to) {
        return;
    }
    auto& objects = from->objects_;
    objects.erase(std::find(objects.begin(), objects.end(), object));
    object->section_ = to;
    to->objects_.push_back(object);
}

} // namespace foliant::engine
