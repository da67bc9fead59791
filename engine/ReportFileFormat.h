#pragma once

// What the report file's reader and writers share: the JSON document, the format's name and
// version, and how a damaged file is reported while it is read.

#include "engine/Report.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <string>

namespace foliant::engine {

using ReportJson = nlohmann::ordered_json;

inline constexpr const char* kReportFormat = "foliant-report";
inline constexpr int kReportFormatVersion = 1;

// Raised while a report file is read; LoadReportFromText turns it into "Cannot read report
// PATH: PROBLEM.".
struct ReportFileDamaged {
    std::string problem;
};

// The path made absolute and normal, so that folders compare.
std::filesystem::path AbsoluteNormal(const std::string& path);

// The report a parsed report file describes. path names the file and anchors a relative data
// source path. With a data source given, the report is made over it instead of the one the
// document describes. Throws ReportFileDamaged, or EngineError from the model.
std::shared_ptr<Report> ReadReportDocument(const ReportJson& doc, const std::string& path,
                                           std::shared_ptr<DataSource> dataSource = nullptr);

} // namespace foliant::engine
