#pragma once

#include "engine/core/Api.h"

#include "engine/Report.h"

#include <memory>
#include <string>

namespace foliant::engine {

// Report files (".rpt") are JSON documents: {"format": "foliant-report", "version": 1, …}
// holding everything in the report, the data source's path (relative to the report file
// when the database lies in the report's folder or below it) and the data source's schema.

// The report file's text for a report that will be saved at reportPath.
FOLIANT_ENGINE_API std::string SerializeReport(const Report& report, const std::string& reportPath);

// Writes the report file atomically: a temporary file in the same folder, flushed to disk and
// renamed over the target. When saving fails an existing file is left as it was. Throws
// EngineError naming the file and the reason. option must be 0.
FOLIANT_ENGINE_API void SaveReportToFile(const Report& report, const std::string& path,
                                         int option = 0);

// Reads a report file. Checks the format, the version and every reference; a truncated,
// damaged, foreign or newer file throws EngineError "Cannot read report PATH: PROBLEM." and
// no report is returned.
FOLIANT_ENGINE_API std::shared_ptr<Report> LoadReportFromFile(const std::string& path);
// The same from the text of a report file; path names the file in messages and anchors a
// relative data source path.
FOLIANT_ENGINE_API std::shared_ptr<Report> LoadReportFromText(const std::string& text,
                                                              const std::string& path);

// An independent copy of the report over the same data source, made through the report
// file's document: whatever a report file keeps, the copy has, and changing one never changes
// the other. Throws EngineError when the report cannot be copied.
FOLIANT_ENGINE_API std::shared_ptr<Report> CopyReport(const Report& report);

// The report's structure as indented JSON: data source, field definitions, areas with their
// sections and objects, groups, summaries, summary sorts, formula, title, style.
FOLIANT_ENGINE_API std::string DescribeReport(const Report& report);

} // namespace foliant::engine
