#include "engine/ReportFile.h"

#include "engine/AtomicFile.h"
#include "engine/FileAccess.h"
#include "engine/ReportFileFormat.h"
#include "engine/core/EngineError.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace foliant::engine {

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxFileSize = 64u * 1024u * 1024u;

// A report nests a handful of levels of arrays and objects. Far deeper JSON can only be
// hostile, and reading it would recurse until the stack ran out.
constexpr int kMaxNesting = 64;

// True when the JSON text nests arrays and objects deeper than kMaxNesting.
bool NestedTooDeeply(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            i += c == '\\' ? 1 : 0;
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting) {
                return true;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

EngineError CannotRead(const std::string& path, const std::string& problem) {
    return EngineError("Cannot read report " + path + ": " + problem + ".");
}

ReportJson ParseReportText(const std::string& text, const std::string& path) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        throw CannotRead(path, "the file is empty");
    }
    if (NestedTooDeeply(text)) {
        throw CannotRead(path, "the file is nested too deeply (more than " +
                                   std::to_string(kMaxNesting) + " levels of arrays and objects)");
    }
    try {
        return ReportJson::parse(text);
    } catch (const ReportJson::parse_error& e) {
        if (e.byte >= text.size()) {
            throw CannotRead(path, "the file is truncated (unexpected end of JSON at byte " +
                                       std::to_string(text.size()) + ")");
        }
        throw CannotRead(path, "the file is not valid JSON (syntax error at byte " +
                                   std::to_string(e.byte) + ")");
    } catch (const ReportJson::out_of_range&) {
        throw CannotRead(path, "the file holds a number too large to read");
    }
}

} // namespace

fs::path AbsoluteNormal(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return (ec ? fs::path(path) : p).lexically_normal();
}

void SaveReportToFile(const Report& report, const std::string& path, int option) {
    if (option != 0) {
        throw EngineError("Cannot save the report to " + path + ": save option " +
                          std::to_string(option) + " is not supported (use 0).");
    }
    if (path.empty()) {
        throw EngineError("Cannot save the report: no file name was given.");
    }
    WriteFileAtomically(path, SerializeReport(report, path));
}

std::shared_ptr<Report> LoadReportFromText(const std::string& text, const std::string& path) {
    const ReportJson doc = ParseReportText(text, path);
    try {
        auto report = ReadReportDocument(doc, path);
        report->SetFilePath(path);
        return report;
    } catch (const ReportFileDamaged& d) {
        throw CannotRead(path, d.problem);
    } catch (const EngineError& e) {
        std::string why = e.Description();
        if (!why.empty() && why.back() == '.') {
            why.pop_back();
        }
        throw CannotRead(path, why);
    } catch (const ReportJson::exception& e) {
        throw CannotRead(path,
                         std::string("the file holds an unexpected value (") + e.what() + ")");
    }
}

std::shared_ptr<Report> CopyReport(const Report& report) {
    try {
        const ReportJson doc = ReportJson::parse(SerializeReport(report, report.FilePath()));
        auto copy = ReadReportDocument(doc, report.FilePath(), report.GetDataSource());
        copy->SetFilePath(report.FilePath());
        return copy;
    } catch (const ReportFileDamaged& d) {
        throw EngineError("Cannot copy the report: " + d.problem + ".");
    } catch (const ReportJson::exception& e) {
        throw EngineError(std::string("Cannot copy the report: ") + e.what() + ".");
    }
}

std::shared_ptr<Report> LoadReportFromFile(const std::string& path) {
    if (path.empty()) {
        throw EngineError("Cannot read the report: no file name was given.");
    }
    std::string text;
    try {
        text = ReadRegularFile(path, kMaxFileSize);
    } catch (const FileError& e) {
        throw CannotRead(path, e.Reason());
    }
    return LoadReportFromText(text, path);
}

} // namespace foliant::engine
