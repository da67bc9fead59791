#pragma once

// The edits the design window makes to a report: an object's text, place, size, alignment,
// font and colour, and a section's height and page break. Each edit holds the state before
// and after, so it can be undone and done again; objects and sections are named by their
// place in the report, which no edit changes.

#include "engine/Report.h"

#include <optional>
#include <string>
#include <variant>

namespace foliant::design {

// Places in the report, 0-based: areas in print order, sections of an area, objects of a
// section in the order they were placed.
struct SectionPath {
    int area = 0;
    int section = 0;
    friend bool operator==(const SectionPath&, const SectionPath&) = default;
};

struct ObjectPath {
    int area = 0;
    int section = 0;
    int object = 0;
    SectionPath Section() const { return {area, section}; }
    friend bool operator==(const ObjectPath&, const ObjectPath&) = default;
};

// The object or section at a place; throws EngineError naming the place when there is none.
engine::ReportObject& ObjectAt(const engine::Report& report, const ObjectPath& path);
engine::Section& SectionAt(const engine::Report& report, const SectionPath& path);
// The place of an object of the report, or of the object at index (Report::AllObjects order,
// as the page model names objects); nothing when it is not the report's.
std::optional<ObjectPath> PathOf(const engine::Report& report, const engine::ReportObject& object);
std::optional<ObjectPath> PathOfIndex(const engine::Report& report, int index);

// What an edit can change about an object. `text` is a text object's text (empty for field
// objects, whose text is their field's value).
struct ObjectState {
    std::string text;
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    engine::HorizontalAlignment align = engine::HorizontalAlignment::Default;
    engine::ObjectFormat format; // the font and colour chosen over the report's style
    friend bool operator==(const ObjectState&, const ObjectState&) = default;
};

struct SectionState {
    int height = 0;
    bool newPageBefore = false;
    friend bool operator==(const SectionState&, const SectionState&) = default;
};

ObjectState CaptureObject(const engine::ReportObject& object);
SectionState CaptureSection(const engine::Section& section);
// Sets the whole state. All or nothing: when the engine refuses a value (a negative position,
// a width of nothing, an unknown font family) it throws EngineError and the object is as it
// was.
void ApplyObject(engine::ReportObject& object, const ObjectState& state);
void ApplySection(engine::Section& section, const SectionState& state);

// The state with the font size chosen (twips; nothing for the style's size), made tall enough
// for a line of text at the new size so the text is not cut.
ObjectState FontSized(ObjectState state, std::optional<int> size);

// Whether a "new page before" has any effect on the section: page headers and footers come
// on every page and the report header opens the first.
bool CanStartPage(const engine::Section& section);

struct ObjectEdit {
    ObjectPath path;
    ObjectState before;
    ObjectState after;
};

struct SectionEdit {
    SectionPath path;
    SectionState before;
    SectionState after;
};

// One step of undo: what it is called in the Edit menu ("Move", "Font Size") and the change.
struct Edit {
    std::string label;
    std::variant<ObjectEdit, SectionEdit> change;
    // Whether it changes nothing (and so is no step worth undoing).
    bool Empty() const;
};

// The edit that gives the object the state `after`, made from its present state.
Edit ObjectChange(const engine::Report& report, const ObjectPath& path, ObjectState after,
                  std::string label);
Edit SectionChange(const engine::Report& report, const SectionPath& path, SectionState after,
                   std::string label);

// Does (forward) or undoes the edit on the report. Throws EngineError, changing nothing, when
// the engine refuses the values or the place is not in the report.
void ApplyEdit(const engine::Report& report, const Edit& edit, bool forward = true);

} // namespace foliant::design
