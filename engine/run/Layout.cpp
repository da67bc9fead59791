#include "engine/run/Layout.h"

#include "engine/run/LayoutTrace.h"

#include "engine/page/FontMetrics.h"

#include <algorithm>
#include <ctime>

namespace foliant::engine::run {

int PaperWidth(PaperSize paper) {
    return paper == PaperSize::A4 ? 11906 : 12240;
}

int PaperHeight(PaperSize paper) {
    return paper == PaperSize::A4 ? 16838 : 15840;
}

namespace {

enum class Deferred { TotalPageCount, PageNofM };

struct RenderedSection {
    std::vector<page::PageItem> items; // relative to the section's top left corner
    std::vector<std::pair<std::size_t, Deferred>> deferred;
    std::vector<std::pair<std::size_t, int>> sources; // item -> the object that drew it
    int height = 0;
    bool table = false; // a band of the style's grid
    int tableTop = 0;   // where in the band the grid starts
};

constexpr int kColumnGap = 240; // the gap the wizard leaves between columns
constexpr int kGridThickness = 10;
constexpr std::uint64_t kProgressEvery = 4096; // records between two progress reports
constexpr int kShadow = 80;                    // how far a drop shadow reaches
constexpr int kFrameOutset = 60;               // a frame stands this far outside the bands it holds
constexpr int kFrameInset = 40; // and an inner group's frame this much inside its outer one

TimeOfDay LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return TimeOfDay{local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec};
}

// The type a field's values are shown as: a summary of money that is itself an amount of
// money (an average, a maximum, a median, …) shows as money.
ValueType ShownType(const FieldDefinition& def) {
    if (def.Kind() != FieldKind::Summary || !def.GetSummarizedField() ||
        def.GetSummarizedField()->ValueType() != ValueType::Currency) {
        return def.ValueType();
    }
    switch (def.GetSummaryOperation()) {
    case SummaryOperation::Count:
    case SummaryOperation::DistinctCount:
    case SummaryOperation::SampleVariance:
    case SummaryOperation::PopulationVariance:
    case SummaryOperation::Correlation:
    case SummaryOperation::Covariance:
        return def.ValueType();
    default:
        return ValueType::Currency;
    }
}

bool IsNumberValue(const Value& v) {
    return std::holds_alternative<std::int64_t>(v) || std::holds_alternative<double>(v);
}

class Layouter {
public:
    Layouter(const RunResult& run, const LayoutSettings& settings, ObjectTrace* trace = nullptr)
        : trace_(trace), run_(run), report_(*run.report), settings_(settings),
          style_(StyleFor(report_.GetLayoutStyle())),
          printTime_(settings.printTime ? *settings.printTime : LocalTimeNow()),
          width_(PaperWidth(settings.paper)), height_(PaperHeight(settings.paper)) {
        for (const auto& rt : report_.RunningTotals()) {
            running_.emplace(rt.get(), SummaryAccumulator(rt->GetSummaryOperation()));
        }
        path_.push_back(&run_.tree->Root());
        const auto objects = report_.AllObjects();
        for (std::size_t i = 0; i < objects.size(); ++i) {
            objectIndex_.emplace(objects[i].get(), static_cast<int>(i));
        }
        // The width the style's rules, grid and boxes span: as wide as the widest band's
        // objects, at most the printable width.
        const int printable = width_ - 2 * kPageMargin;
        for (const auto& o : report_.AllObjects()) {
            contentWidth_ = std::max(contentWidth_, o->Left() + o->ObjectWidth());
        }
        contentWidth_ = contentWidth_ > 0 ? std::min(contentWidth_, printable) : printable;
        if (const auto details = report_.FindSection("D")) {
            for (const auto& o : details->Objects()) {
                if (o->Left() > 0 && o->Left() < contentWidth_) {
                    columnEdges_.push_back(o->Left() - kColumnGap / 2);
                }
            }
            std::sort(columnEdges_.begin(), columnEdges_.end());
            columnEdges_.erase(std::unique(columnEdges_.begin(), columnEdges_.end()),
                               columnEdges_.end());
        }
    }

    page::Document Run() {
        Start();
        Walk(run_.tree->Root());
        Finish();
        FillPageCounts(document_.pages.size());
        return std::move(document_);
    }

    // Streaming a report that shows the page count: its number of pages, found by an earlier
    // pass, fills each page's count before the page is handed over.
    void KnowPageCount(std::size_t pages) { knownPages_ = pages; }

    // Laying out while the run reads (a report without groups): the first page, then each
    // record as it is read (the run's only stored row), then the report footer. Each page
    // goes to the sink once it is finished.
    void Stream(PageSink sink) { sink_ = std::move(sink); }
    void Start() {
        document_.title = report_.GetTitleText();
        pageFooterHeight_ = 0;
        if (const auto pf = report_.FindArea("PF")) {
            for (const auto& s : pf->Sections()) {
                pageFooterHeight_ += Render(*s).height;
            }
        }
        record_ = FirstRecord(run_.tree->Root());
        NewPage();
    }
    void Record(std::uint32_t record) {
        record_ = record;
        lastRead_ = record;
        LayOutRecord(record);
    }
    void Finish() {
        record_ = lastRead_ ? lastRead_ : LastRecord(run_.tree->Root());
        EmitArea(report_.FindArea("RF"));
        FinishPage();
    }

private:
    static std::optional<std::uint32_t> FirstRecord(const GroupNode& node) {
        if (!node.children.empty()) {
            return FirstRecord(*node.children.front());
        }
        if (!node.records.empty()) {
            return node.records.front();
        }
        return std::nullopt;
    }
    static std::optional<std::uint32_t> LastRecord(const GroupNode& node) {
        if (!node.children.empty()) {
            return LastRecord(*node.children.back());
        }
        if (!node.records.empty()) {
            return node.records.back();
        }
        return std::nullopt;
    }

    void Walk(const GroupNode& node) {
        const int levels = run_.tree->Levels();
        if (node.Level() == levels) {
            if (node.records.empty()) {
                // A run that kept no record numbers still counts its records.
                recordNumber_ += node.recordCount;
            }
            for (const std::uint32_t r : node.records) {
                record_ = r;
                LayOutRecord(r);
            }
            return;
        }
        for (const auto& child : node.children) {
            path_.push_back(child.get());
            if (child->Level() == levels) {
                ++groupNumber_;
            }
            record_ = FirstRecord(*child);
            const int top = EmitArea(report_.GroupHeader(child->Level()), LeadHeight(*child));
            if (top == freshTop_) {
                // Headers opening a page leave it fresh for a break before what they head.
                freshTop_ = y_;
            }
            if (style_.groupFrame) {
                openGroups_.push_back({child->Level(), top});
            }
            Walk(*child);
            record_ = LastRecord(*child);
            EmitArea(report_.GroupFooter(child->Level()));
            if (style_.groupFrame) {
                CloseGroupFrame(openGroups_.back());
                openGroups_.pop_back();
            }
            path_.pop_back();
        }
    }

    // The details of one record.
    void LayOutRecord(std::uint32_t r) {
        ++recordNumber_;
        const auto laidOut = static_cast<std::uint64_t>(recordNumber_);
        if (settings_.progress && laidOut % kProgressEvery == 0 && !settings_.progress(laidOut)) {
            throw RunCancelled();
        }
        for (auto& [def, acc] : running_) {
            acc.Add(run_.StoredValue(r, *def->GetSummarizedField()));
        }
        EmitArea(report_.FindArea("D"));
    }

    // Pages begun so far, those handed to the sink included.
    std::size_t PageCount() const { return pagesSent_ + document_.pages.size(); }

    void NewPage() {
        page::Page p;
        p.number = static_cast<int>(PageCount()) + 1;
        p.width = width_;
        p.height = height_;
        document_.pages.push_back(std::move(p));
        if (trace_ != nullptr) {
            trace_->emplace_back();
        }
        y_ = kPageMargin;
        bottom_ = height_ - kPageMargin - pageFooterHeight_;
        if (PageCount() == 1) {
            for (const auto& s : Sections(report_.FindArea("RH"))) {
                Place(Render(*s));
            }
        }
        const int headerTop = y_;
        for (const auto& s : Sections(report_.FindArea("PH"))) {
            Place(Band(*s));
        }
        // The rule goes under a page header that takes room on the page.
        if (y_ > headerTop && style_.ruleUnderPageHeader) {
            AddRule(y_);
            if (style_.doubleRules) {
                AddRule(y_ + 3 * style_.ruleThickness);
                y_ += 4 * style_.ruleThickness;
            }
        }
        if (y_ > headerTop && style_.headerFrame) {
            AddBox(headerTop, y_, 0, *style_.headerFrame);
        }
        bodyTop_ = y_;
        freshTop_ = y_;
        for (auto& open : openGroups_) {
            open.top = y_;
        }
    }

    void AddRule(int y) {
        page::Line rule;
        rule.x1 = kPageMargin;
        rule.x2 = kPageMargin + contentWidth_;
        rule.y1 = rule.y2 = y;
        rule.thickness = style_.ruleThickness;
        rule.colour = style_.ruleColour;
        document_.pages.back().items.emplace_back(rule);
    }

    // A frame round the bands from top to bottom (page coordinates), inset for inner groups
    // so nested frames stay apart.
    void AddBox(int top, int bottom, int inset, page::Colour colour) {
        page::Box box;
        box.rect = {kPageMargin - kFrameOutset + inset, top,
                    contentWidth_ + 2 * (kFrameOutset - inset), bottom - top};
        box.thickness = style_.frameThickness;
        box.colour = colour;
        document_.pages.back().items.emplace_back(box);
    }

    struct OpenGroup {
        int level;
        int top; // where its frame starts on the current page
    };

    void CloseGroupFrame(const OpenGroup& open) {
        if (y_ > open.top) {
            AddBox(open.top, y_, (open.level - 1) * kFrameInset, *style_.groupFrame);
        }
    }

    // The drop shadow right of and under the table on the page.
    void AddShadow() {
        if (!style_.dropShadow || tableTop_ < 0 || tableBottom_ <= tableTop_) {
            return;
        }
        auto& items = document_.pages.back().items;
        page::Fill right;
        right.rect = {kPageMargin + contentWidth_, tableTop_ + kShadow, kShadow,
                      tableBottom_ - tableTop_};
        right.colour = style_.shadowColour;
        page::Fill under;
        under.rect = {kPageMargin + kShadow, tableBottom_, contentWidth_, kShadow};
        under.colour = style_.shadowColour;
        items.emplace_back(right);
        items.emplace_back(under);
    }

    void FinishPage() {
        for (const auto& open : openGroups_) {
            CloseGroupFrame(open);
        }
        AddShadow();
        tableTop_ = -1;
        tableBottom_ = -1;
        y_ = height_ - kPageMargin - pageFooterHeight_;
        bottom_ = height_;
        for (const auto& s : Sections(report_.FindArea("PF"))) {
            Place(Render(*s));
        }
        if (sink_) {
            if (knownPages_) {
                FillPageCounts(*knownPages_);
            }
            deferred_.clear(); // they stand on the page handed over
            sink_(std::move(document_.pages.back()));
            document_.pages.pop_back();
            ++pagesSent_;
        }
    }

    // The page counts on the pages held, out of total pages.
    void FillPageCounts(std::size_t total) {
        const std::string of = std::to_string(total);
        for (const auto& [pageIndex, itemIndex, kind] : deferred_) {
            auto& run = std::get<page::TextRun>(document_.pages[pageIndex].items[itemIndex]);
            const std::size_t number = pagesSent_ + pageIndex + 1;
            run.text = kind == Deferred::TotalPageCount
                           ? of
                           : "Page " + std::to_string(number) + " of " + of;
        }
    }

    static std::vector<std::shared_ptr<Section>> Sections(const std::shared_ptr<Area>& area) {
        return area ? area->Sections() : std::vector<std::shared_ptr<Section>>{};
    }

    // The room a group's first record needs after the group's header: the headers of the
    // groups inside it and the first details. A group header keeps that much room with it, so
    // it is never left alone at the bottom of a page.
    int LeadHeight(const GroupNode& node) {
        if (node.Level() == run_.tree->Levels()) {
            return AreaHeight(report_.FindArea("D"));
        }
        if (node.children.empty()) {
            return 0;
        }
        const GroupNode& first = *node.children.front();
        return AreaHeight(report_.GroupHeader(first.Level())) + LeadHeight(first);
    }

    int AreaHeight(const std::shared_ptr<Area>& area) {
        int height = 0;
        for (const auto& s : Sections(area)) {
            height += Band(*s).height;
        }
        return height;
    }

    // Places the area's sections; keepWithNext: room to keep free under the last one (when a
    // page can hold both at all). Returns where the first of them was placed.
    int EmitArea(const std::shared_ptr<Area>& area, int keepWithNext = 0) {
        const auto sections = Sections(area);
        std::optional<int> top;
        for (std::size_t i = 0; i < sections.size(); ++i) {
            RenderedSection r = Band(*sections[i]);
            if (r.height == 0 && r.items.empty()) {
                continue;
            }
            int need = r.height;
            if (i + 1 == sections.size() && r.height + keepWithNext <= bottom_ - bodyTop_) {
                need += keepWithNext;
            }
            const bool breakAsked = sections[i]->NewPageBefore() && y_ > freshTop_;
            if (breakAsked || (y_ + need > bottom_ && y_ > bodyTop_)) {
                FinishPage();
                NewPage();
                // Again on its new page, so that a page number in it is this page's.
                r = Band(*sections[i]);
            }
            if (!top) {
                top = y_;
            }
            Place(std::move(r));
        }
        return top.value_or(y_);
    }

    // Puts a rendered section at the current position; items that would start below the
    // space left are cut.
    void Place(RenderedSection r) {
        auto& page = document_.pages.back();
        std::vector<std::size_t> kept(r.items.size(), SIZE_MAX);
        for (std::size_t i = 0; i < r.items.size(); ++i) {
            auto& item = r.items[i];
            bool visible = true;
            std::visit(
                [&](auto& it) {
                    using T = std::decay_t<decltype(it)>;
                    if constexpr (std::is_same_v<T, page::Line>) {
                        it.x1 += kPageMargin;
                        it.x2 += kPageMargin;
                        it.y1 += y_;
                        it.y2 += y_;
                        visible = std::min(it.y1, it.y2) < bottom_;
                    } else if constexpr (std::is_same_v<T, page::Fill> ||
                                         std::is_same_v<T, page::Box>) {
                        it.rect.left += kPageMargin;
                        it.rect.top += y_;
                        visible = it.rect.top < bottom_;
                    } else {
                        it.box.left += kPageMargin;
                        it.box.top += y_;
                        visible = it.box.top < bottom_;
                    }
                },
                item);
            if (visible) {
                kept[i] = page.items.size();
                page.items.push_back(std::move(item));
            }
        }
        if (trace_ != nullptr) {
            auto& traced = trace_->back();
            traced.resize(page.items.size(), -1);
            for (const auto& [index, object] : r.sources) {
                if (kept[index] != SIZE_MAX) {
                    traced[kept[index]] = object;
                }
            }
        }
        for (const auto& [index, kind] : r.deferred) {
            if (kept[index] != SIZE_MAX) {
                deferred_.push_back({document_.pages.size() - 1, kept[index], kind});
            }
        }
        if (r.table) {
            if (tableTop_ < 0) {
                tableTop_ = y_ + r.tableTop;
            }
            tableBottom_ = y_ + r.height;
        }
        y_ += r.height;
    }

    static void Prepend(RenderedSection& r, page::PageItem item) {
        r.items.insert(r.items.begin(), std::move(item));
        for (auto& d : r.deferred) {
            ++d.first;
        }
        for (auto& s : r.sources) {
            ++s.first;
        }
    }

    static page::Line HLine(int x1, int x2, int y, int thickness, page::Colour colour) {
        page::Line line;
        line.x1 = x1;
        line.x2 = x2;
        line.y1 = line.y2 = y;
        line.thickness = thickness;
        line.colour = colour;
        return line;
    }

    // A section rendered with its style's look: spacing, fills, grid and rules (coordinates
    // relative to the band, as Render gives them).
    RenderedSection Band(const Section& section) {
        const auto area = section.GetArea();
        const AreaKind kind = area ? area->AreaKind() : AreaKind::Details;
        if (kind == AreaKind::Details && section.Objects().empty()) {
            // Details that show nothing print nothing: a report of groups and totals alone is
            // not a blank line (or an empty shaded or gridded row) per record.
            return {};
        }
        RenderedSection r = Render(section);
        if (kind == AreaKind::PageFooter || kind == AreaKind::ReportHeader ||
            (r.items.empty() && r.height == 0)) {
            return r;
        }
        if (kind == AreaKind::GroupFooter) {
            r.height += style_.spacing;
        }
        const page::Rect band{0, 0, contentWidth_, r.height};
        // In the page header only the headings' line (its lowest line of objects) is a row of
        // the table; the title and date stand above it.
        int tableTop = 0;
        if (kind == AreaKind::PageHeader) {
            for (const auto& o : section.Objects()) {
                tableTop = std::max(tableTop, std::min(o->Top(), r.height));
            }
        }
        const page::Rect tableBand{0, tableTop, contentWidth_, r.height - tableTop};
        if (style_.shading && kind == AreaKind::Details && recordNumber_ % 2 == 1) {
            Prepend(r, page::Fill{band, style_.shadingColour});
        }
        if (style_.groupBand && kind == AreaKind::GroupHeader) {
            Prepend(r, page::Fill{band, *style_.groupBand});
        }
        if (style_.dropShadow && kind != AreaKind::Details) {
            Prepend(r, page::Fill{tableBand,
                                  kind == AreaKind::GroupHeader || kind == AreaKind::GroupFooter
                                      ? style_.groupHeadingFill
                                      : style_.headingFill});
        }
        if (style_.grid) {
            r.table = true;
            r.tableTop = tableTop;
            r.items.emplace_back(page::Box{tableBand, kGridThickness, style_.gridColour});
            if (kind != AreaKind::GroupHeader) { // a group's name spans the row
                for (const int x : columnEdges_) {
                    page::Line line;
                    line.x1 = line.x2 = x;
                    line.y1 = tableTop;
                    line.y2 = r.height;
                    line.thickness = kGridThickness;
                    line.colour = style_.gridColour;
                    r.items.emplace_back(line);
                }
            }
        }
        if (style_.subtotalRules && kind == AreaKind::GroupFooter) {
            for (const auto& o : section.Objects()) {
                if (o->Kind() == ObjectKind::Field && o->field()->Kind() == FieldKind::Summary) {
                    r.items.emplace_back(HLine(o->Left(), o->Left() + o->ObjectWidth(), o->Top(),
                                               10, style_.groupRuleColour));
                }
            }
        }
        if (style_.groupRule && style_.groupBreak == GroupBreak::Leading &&
            kind == AreaKind::GroupHeader) {
            r.items.emplace_back(HLine(0, contentWidth_, r.height, 10, style_.groupRuleColour));
        }
        if (style_.groupRule && style_.groupBreak == GroupBreak::Trailing &&
            kind == AreaKind::GroupFooter) {
            r.items.emplace_back(HLine(0, contentWidth_, 0, 10, style_.groupRuleColour));
        }
        if (kind == AreaKind::ReportFooter) {
            const bool totals =
                std::any_of(section.Objects().begin(), section.Objects().end(), [](const auto& o) {
                    return o->Kind() == ObjectKind::Field &&
                           o->field()->Kind() == FieldKind::Summary;
                });
            // The rule sets grand totals off from the records above them.
            if (style_.ruleOverReportFooter && totals) {
                r.items.emplace_back(
                    HLine(0, contentWidth_, 0, style_.ruleThickness, style_.ruleColour));
                if (style_.doubleRules) {
                    r.items.emplace_back(HLine(0, contentWidth_, -3 * style_.ruleThickness,
                                               style_.ruleThickness, style_.ruleColour));
                }
            }
            if (style_.footerFrame) {
                r.items.emplace_back(
                    page::Box{{-kFrameOutset, 0, contentWidth_ + 2 * kFrameOutset, r.height},
                              style_.frameThickness,
                              *style_.footerFrame});
            }
        }
        return r;
    }

    // How far the object could reach to its left without touching another object of the
    // section that shares its lines, or the page margin.
    static int FreeRoomLeftOf(const Section& section, const ReportObject& object) {
        constexpr int kGap = 120;
        int edge = 0;
        const int top = object.Top();
        const int bottom = object.Top() + object.ObjectHeight();
        for (const auto& other : section.Objects()) {
            if (other.get() == &object) {
                continue;
            }
            const int otherRight = other->Left() + other->ObjectWidth();
            const bool sharesLines =
                other->Top() < bottom && other->Top() + other->ObjectHeight() > top;
            if (sharesLines && otherRight <= object.Left()) {
                edge = std::max(edge, otherRight + kGap);
            } else if (sharesLines && other->Left() < object.Left()) {
                return 0; // already overlapping: nothing to borrow
            }
        }
        return std::max(0, object.Left() - edge);
    }

    // How many lines a wrapped text may take. A section grows to show its text, but never
    // beyond a page, which could not hold it; a page header or footer, which every page
    // repeats, to no more than a quarter of one, so that records keep their room. What does
    // not fit is cut.
    std::size_t MaxLines(const std::shared_ptr<Area>& area, const ReportObject& object,
                         int lineHeight) const {
        const AreaKind kind = area ? area->AreaKind() : AreaKind::Details;
        const bool repeated = kind == AreaKind::PageHeader || kind == AreaKind::PageFooter;
        const int page = height_ - 2 * kPageMargin - pageFooterHeight_;
        const int room = (repeated ? page / 4 : page) - std::max(0, object.Top());
        return static_cast<std::size_t>(std::max(1, room / lineHeight));
    }

    RenderedSection Render(const Section& section) {
        RenderedSection out;
        out.height = section.SectionHeight();
        const auto area = section.GetArea();
        const bool pageHeader = area && area->AreaKind() == AreaKind::PageHeader;
        const bool groupLine = area && ((style_.groupBreak == GroupBreak::Trailing &&
                                         area->AreaKind() == AreaKind::GroupFooter) ||
                                        (style_.groupBreak == GroupBreak::Leading &&
                                         area->AreaKind() == AreaKind::GroupHeader));
        for (const auto& object : section.Objects()) {
            page::Font font = pageHeader ? style_.heading : style_.body;
            page::Colour colour = style_.text;
            // The line that shows a group's name and totals is set like the name; grand
            // totals are bold.
            if (groupLine) {
                font = style_.groupName;
                if (style_.groupBand) {
                    colour = style_.groupNameColour;
                }
            } else if (area && area->AreaKind() == AreaKind::ReportFooter) {
                font.bold = true;
            }
            std::string text;
            bool wrap = true;
            bool numeric = false;
            std::optional<Deferred> deferred;
            if (object->Kind() == ObjectKind::Text) {
                text = object->text();
            } else {
                const auto def = object->field();
                if (def->Kind() == FieldKind::Special && def->Name() == "ReportTitle") {
                    font = style_.title;
                } else if (def->Kind() == FieldKind::GroupName) {
                    font = style_.groupName;
                    // A band style's name colour is chosen for its band: a name standing
                    // anywhere else keeps the ordinary text colour, or it could vanish.
                    colour = style_.groupBand && !groupLine ? style_.text : style_.groupNameColour;
                }
                if (def->Kind() == FieldKind::Special &&
                    (def->Name() == "TotalPageCount" || def->Name() == "PageNofM")) {
                    deferred = def->Name() == "TotalPageCount" ? Deferred::TotalPageCount
                                                               : Deferred::PageNofM;
                }
                const Value value = FieldValue(*def);
                text = FormatValue(value, ShownType(*def), settings_.format);
                numeric = IsNumberValue(value);
                wrap = !numeric;
            }
            font = FormattedFont(font, object->Format());
            colour = FormattedColour(colour, object->Format());
            HorizontalAlignment align = object->HorizontalAlign();
            if (align == HorizontalAlignment::Default) {
                align = numeric ? HorizontalAlignment::Right : HorizontalAlignment::Left;
            }
            int left = object->Left();
            int width = object->ObjectWidth();
            const int lineHeight = page::LineHeight(font);
            std::vector<std::string> lines;
            if (!wrap && align == HorizontalAlignment::Right &&
                page::TextWidth(text, font) > width) {
                // A right-aligned number wider than its box (a grand total under its column,
                // say) borrows the free room to its left before it gives up.
                const int room = FreeRoomLeftOf(section, *object);
                const int needed = page::TextWidth(text, font) - width;
                if (needed <= room) {
                    left -= needed;
                    width += needed;
                }
            }
            if (wrap) {
                lines = page::WrapText(text, width, font, MaxLines(area, *object, lineHeight));
            } else if (page::TextWidth(text, font) > width) {
                // A number that does not fit shows as #s rather than as a wrong value.
                lines.push_back(std::string(
                    static_cast<std::size_t>(std::max(1, width / page::CharWidth(font))), '#'));
            } else {
                lines.push_back(text);
            }
            const int grown =
                lines.size() > 1
                    ? std::max(object->ObjectHeight(), static_cast<int>(lines.size()) * lineHeight)
                    : object->ObjectHeight();
            for (std::size_t i = 0; i < lines.size(); ++i) {
                page::TextRun run;
                run.box = {left, object->Top() + static_cast<int>(i) * lineHeight, width,
                           lines.size() > 1 ? lineHeight : object->ObjectHeight()};
                run.text = lines[i];
                run.font = font;
                run.colour = colour;
                run.align = align;
                if (deferred) {
                    out.deferred.emplace_back(out.items.size(), *deferred);
                }
                out.sources.emplace_back(out.items.size(), objectIndex_.at(object.get()));
                out.items.emplace_back(std::move(run));
            }
            out.height = std::max(out.height, object->Top() + grown);
        }
        return out;
    }

    Value FieldValue(const FieldDefinition& def) {
        switch (def.Kind()) {
        case FieldKind::Database:
        case FieldKind::SqlExpression:
        case FieldKind::Formula:
        case FieldKind::Parameter:
            return record_ ? run_.StoredValue(*record_, def) : Value{};
        case FieldKind::Summary:
            return run_.SummaryValue(path_, def);
        case FieldKind::GroupName: {
            const auto group = def.GroupOfName().lock();
            if (!group || group->number < 1 ||
                static_cast<std::size_t>(group->number) >= path_.size()) {
                return {};
            }
            const GroupNode& node = *path_[static_cast<std::size_t>(group->number)];
            if (node.others) {
                return settings_.othersLabel;
            }
            return node.key;
        }
        case FieldKind::RunningTotal: {
            const auto found = running_.find(&def);
            return found != running_.end() ? found->second.Result() : Value{};
        }
        case FieldKind::Special:
            return SpecialValue(def.Name());
        }
        return {};
    }

    Value SpecialValue(const std::string& name) {
        if (name == "PrintDate") {
            return run_.runDate;
        }
        if (name == "PrintTime") {
            return printTime_;
        }
        if (name == "ReportTitle") {
            return report_.GetTitleText();
        }
        if (name == "PageNumber") {
            return static_cast<std::int64_t>(PageCount());
        }
        if (name == "TotalPageCount" || name == "PageNofM") {
            return std::string(); // filled in when the page count is known
        }
        if (name == "RecordNumber") {
            return recordNumber_;
        }
        if (name == "GroupNumber") {
            return groupNumber_;
        }
        if (name == "FileName") {
            return report_.FilePath();
        }
        return {};
    }

    struct Pending {
        std::size_t page;
        std::size_t item;
        Deferred kind;
    };

    ObjectTrace* trace_;
    PageSink sink_;
    std::size_t pagesSent_ = 0;
    std::optional<std::uint32_t> lastRead_; // laying out while reading: the last record read
    const RunResult& run_;
    const Report& report_;
    const LayoutSettings& settings_;
    LayoutStyle style_;
    TimeOfDay printTime_;
    int width_;
    int height_;
    page::Document document_;
    int y_ = 0;
    int bottom_ = 0;
    int bodyTop_ = 0;
    int freshTop_ = 0; // a new page before a section is needless while nothing but headers
                       // stands above this
    int pageFooterHeight_ = 0;
    std::vector<const GroupNode*> path_;
    std::optional<std::uint32_t> record_;
    std::int64_t recordNumber_ = 0;
    std::int64_t groupNumber_ = 0;
    std::map<const FieldDefinition*, SummaryAccumulator> running_;
    std::map<const ReportObject*, int> objectIndex_;
    std::vector<Pending> deferred_;
    std::optional<std::size_t> knownPages_;
    int contentWidth_ = 0;
    std::vector<int> columnEdges_;
    std::vector<OpenGroup> openGroups_;
    int tableTop_ = -1;
    int tableBottom_ = -1;
};

} // namespace

page::Document LayOutReport(const RunResult& run, const LayoutSettings& settings) {
    return Layouter(run, settings).Run();
}

page::Document LayOutReportTraced(const RunResult& run, const LayoutSettings& settings,
                                  ObjectTrace& trace) {
    trace.clear();
    page::Document document = Layouter(run, settings, &trace).Run();
    trace.resize(document.pages.size());
    for (std::size_t p = 0; p < document.pages.size(); ++p) {
        trace[p].resize(document.pages[p].items.size(), -1);
    }
    return document;
}

page::Document RenderReport(const Report& report, const RunOptions& options,
                            const LayoutSettings& settings) {
    const RunResult run = RunReport(report, options);
    return LayOutReport(run, settings);
}

namespace {

// Whether an object anywhere shows the total page count, known only once every page is laid out.
bool ShowsPageCount(const Report& report) {
    for (const auto& o : report.AllObjects()) {
        const auto f = o->Kind() == ObjectKind::Field ? o->field() : nullptr;
        if (f && f->Kind() == FieldKind::Special &&
            (f->Name() == "TotalPageCount" || f->Name() == "PageNofM")) {
            return true;
        }
    }
    return false;
}

// Whether laying the report out as its records are read gives the pages laying out the whole
// run gives: no groups, no page count, summaries (complete only at the end) only in the
// report footer, and no record field in the report or page header or the page footer (which
// show the first record, or the record a page breaks at, before it is read).
bool LaysOutWhileReading(const Report& report) {
    if (!report.Groups().empty() || ShowsPageCount(report)) {
        return false;
    }
    for (const auto& area : report.Areas()) {
        const AreaKind kind = area->AreaKind();
        for (const auto& section : area->Sections()) {
            for (const auto& o : section->Objects()) {
                const auto f = o->Kind() == ObjectKind::Field ? o->field() : nullptr;
                const FieldKind k = f ? f->Kind() : FieldKind::Special;
                const bool record = k == FieldKind::Database || k == FieldKind::Formula ||
                                    k == FieldKind::SqlExpression;
                const bool edge = kind == AreaKind::ReportHeader || kind == AreaKind::PageHeader ||
                                  kind == AreaKind::PageFooter;
                if ((k == FieldKind::Summary && kind != AreaKind::ReportFooter) ||
                    (record && edge)) {
                    return false;
                }
            }
        }
    }
    return true;
}

// Lays the report out as the run reads its records.
class LayingOutWhileReading final : public RecordListener {
public:
    LayingOutWhileReading(const LayoutSettings& settings, const PageSink& sink)
        : settings_(settings), sink_(sink) {}
    void Started(const RunResult& run) override {
        layouter_.emplace(run, settings_);
        layouter_->Stream(sink_);
        layouter_->Start();
    }
    void Read(const RunResult&) override { layouter_->Record(0); }
    void Finished(const RunResult&) override { layouter_->Finish(); }
    bool Done() const { return layouter_.has_value(); }

private:
    const LayoutSettings& settings_;
    const PageSink& sink_;
    std::optional<Layouter> layouter_;
};

} // namespace

void RenderReportPages(const Report& report, const RunOptions& options,
                       const LayoutSettings& settings, const PageSink& sink) {
    RunOptions reading = options;
    LayingOutWhileReading listener(settings, sink);
    if (LaysOutWhileReading(report)) {
        reading.listener = &listener;
    }
    const RunResult run = RunReport(report, reading);
    if (listener.Done()) {
        return;
    }
    // A report that shows the page count is laid out twice, so that its pages still stream:
    // once to count them, then with the count known. Both passes print the same time.
    LayoutSettings fixed = settings;
    if (!fixed.printTime) {
        fixed.printTime = LocalTimeNow();
    }
    Layouter layouter(run, fixed);
    if (ShowsPageCount(report)) {
        std::size_t pages = 0;
        Layouter counting(run, fixed);
        counting.Stream([&pages](page::Page&&) { ++pages; });
        counting.Run();
        layouter.KnowPageCount(pages);
    }
    layouter.Stream(sink);
    layouter.Run();
}

} // namespace foliant::engine::run
