#pragma once

// How the design window names the parts of a report in its structure panel: each area with
// its group field, each section, each object with its kind and its field or text.

#include "engine/Report.h"

#include <string>

namespace foliant::design {

// "Page Header", "Group Header 1: {Customer.Country}", "Details".
std::string AreaCaption(const engine::Area& area);
// "Section PH".
std::string SectionCaption(const engine::Section& section);
// "Field", "Summary", "Special Field", "Group Name", "Formula", "Text", ….
std::string ObjectKindName(const engine::ReportObject& object);
// A field object's field ("{Orders.Amount}", "Sum of {Orders.Amount}", "PrintDate") or a text
// object's text in quotes.
std::string ObjectContent(const engine::ReportObject& object);

} // namespace foliant::design
