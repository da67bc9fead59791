#include "design/Edit.h"

#include "engine/Area.h"
#include "engine/core/EngineError.h"
#include "engine/page/FontMetrics.h"

namespace foliant::design {

namespace {

template <typename T>
const T& Nth(const std::vector<std::shared_ptr<T>>& list, int index, const std::string& what) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        throw engine::EngineError("The report has no " + what + ".");
    }
    return *list[static_cast<std::size_t>(index)];
}

std::string Place(int area, int section) {
    return "area " + std::to_string(area + 1) + ", section " + std::to_string(section + 1);
}

} // namespace

engine::Section& SectionAt(const engine::Report& report, const SectionPath& path) {
    const auto& area = Nth(report.Areas(), path.area, "area " + std::to_string(path.area + 1));
    return const_cast<engine::Section&>(
        Nth(area.Sections(), path.section, Place(path.area, path.section)));
}

engine::ReportObject& ObjectAt(const engine::Report& report, const ObjectPath& path) {
    const auto& section = SectionAt(report, path.Section());
    return const_cast<engine::ReportObject&>(
        Nth(section.Objects(), path.object,
            "object " + std::to_string(path.object + 1) + " in " + Place(path.area, path.section)));
}

std::optional<ObjectPath> PathOf(const engine::Report& report, const engine::ReportObject& object) {
    const auto& areas = report.Areas();
    for (std::size_t a = 0; a < areas.size(); ++a) {
        const auto& sections = areas[a]->Sections();
        for (std::size_t s = 0; s < sections.size(); ++s) {
            const auto& objects = sections[s]->Objects();
            for (std::size_t o = 0; o < objects.size(); ++o) {
                if (objects[o].get() == &object) {
                    return ObjectPath{static_cast<int>(a), static_cast<int>(s),
                                      static_cast<int>(o)};
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<ObjectPath> PathOfIndex(const engine::Report& report, int index) {
    const auto objects = report.AllObjects();
    if (index < 0 || static_cast<std::size_t>(index) >= objects.size()) {
        return std::nullopt;
    }
    return PathOf(report, *objects[static_cast<std::size_t>(index)]);
}

ObjectState CaptureObject(const engine::ReportObject& object) {
    ObjectState state;
    if (object.Kind() == engine::ObjectKind::Text) {
        state.text = object.text();
    }
    state.left = object.Left();
    state.top = object.Top();
    state.width = object.ObjectWidth();
    state.height = object.ObjectHeight();
    state.align = object.HorizontalAlign();
    state.format = object.Format();
    return state;
}

SectionState CaptureSection(const engine::Section& section) {
    return {section.SectionHeight(), section.NewPageBefore()};
}

ObjectState FontSized(ObjectState state, std::optional<int> size) {
    state.format.fontSize = size;
    if (size) {
        engine::page::Font font;
        font.size = *size;
        state.height = std::max(state.height, engine::page::LineHeight(font));
    }
    return state;
}

bool CanStartPage(const engine::Section& section) {
    const auto area = section.GetArea();
    if (!area) {
        return false;
    }
    const auto kind = area->AreaKind();
    return kind != engine::AreaKind::PageHeader && kind != engine::AreaKind::PageFooter &&
           kind != engine::AreaKind::ReportHeader;
}

namespace {

void SetAll(engine::ReportObject& object, const ObjectState& state) {
    if (object.Kind() == engine::ObjectKind::Text) {
        object.SetText(state.text);
    }
    object.SetLeft(state.left);
    object.SetTop(state.top);
    object.SetObjectWidth(state.width);
    object.SetObjectHeight(state.height);
    object.SetHorizontalAlign(state.align);
    object.SetFormat(state.format);
}

} // namespace

void ApplyObject(engine::ReportObject& object, const ObjectState& state) {
    const ObjectState before = CaptureObject(object);
    try {
        SetAll(object, state);
    } catch (const engine::EngineError&) {
        SetAll(object, before);
        throw;
    }
}

void ApplySection(engine::Section& section, const SectionState& state) {
    section.SetSectionHeight(state.height);
    section.SetNewPageBefore(state.newPageBefore);
}

bool Edit::Empty() const {
    if (const auto* o = std::get_if<ObjectEdit>(&change)) {
        return o->before == o->after;
    }
    const auto& s = std::get<SectionEdit>(change);
    return s.before == s.after;
}

Edit ObjectChange(const engine::Report& report, const ObjectPath& path, ObjectState after,
                  std::string label) {
    return {std::move(label), ObjectEdit{path, CaptureObject(ObjectAt(report, path)), after}};
}

Edit SectionChange(const engine::Report& report, const SectionPath& path, SectionState after,
                   std::string label) {
    return {std::move(label), SectionEdit{path, CaptureSection(SectionAt(report, path)), after}};
}

void ApplyEdit(const engine::Report& report, const Edit& edit, bool forward) {
    if (const auto* o = std::get_if<ObjectEdit>(&edit.change)) {
        ApplyObject(ObjectAt(report, o->path), forward ? o->after : o->before);
        return;
    }
    const auto& s = std::get<SectionEdit>(edit.change);
    ApplySection(SectionAt(report, s.path), forward ? s.after : s.before);
}

} // namespace foliant::design
