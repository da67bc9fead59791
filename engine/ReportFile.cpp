#include "engine/ReportFile.h"

#include "engine/AtomicFile.h"
#include "engine/ReportFileFormat.h"
#include "engine/core/EngineError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace foliant::engine {

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxFileSize = 64u * 1024u * 1024u;

EngineError CannotRead(const std::string& path, const std::string& problem) {
    return EngineError("Cannot read report " + path + ": " + problem + ".");
}

ReportJson ParseReportText(const std::string& text, const std::string& path) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        throw CannotRead(path, "the file is empty");
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

std::shared_ptr<Report> LoadReportFromFile(const std::string& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        throw CannotRead(path, "the file does not exist");
    }
    if (fs::is_directory(status)) {
        throw CannotRead(path, "it is a folder, not a file");
    }
    const auto size = fs::file_size(path, ec);
    if (!ec && size > kMaxFileSize) {
        throw CannotRead(path, "the file is too large to be a report (" + std::to_string(size) +
                                   " bytes)");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw CannotRead(path,
                         std::string("the file cannot be opened (") + std::strerror(errno) + ")");
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        throw CannotRead(path, "the file cannot be read");
    }
    return LoadReportFromText(buffer.str(), path);
}

} // namespace foliant::engine
