#pragma once

#include "engine/core/Api.h"

// Laying a run out while noting which report object drew each text of the pages, for a window
// that lets a person point at an object on a page.

#include "engine/run/Layout.h"

#include <vector>

namespace foliant::engine::run {

// For page p and item i of the pages: the index among the report's objects in print order
// (Report::AllObjects) of the object whose text the item is, or -1 for rules, boxes, fills and
// anything no object drew.
using ObjectTrace = std::vector<std::vector<int>>;

// LayOutReport, also filling `trace`.
// (One line, so the check of the engine's exports finds the name.)
// clang-format off
FOLIANT_ENGINE_API page::Document LayOutReportTraced(const RunResult& run, const LayoutSettings& settings,
                                                     ObjectTrace& trace);
// clang-format on

} // namespace foliant::engine::run
