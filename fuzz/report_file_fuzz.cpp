// Report files come from disk and may be damaged or hostile. Loading must either give a whole
// report or throw EngineError; a report that loads must save to a file that loads again into
// the same report.
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace foliant::engine;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string path = "/nonexistent-fuzz-folder/report.rpt";
    std::shared_ptr<Report> report;
    try {
        report = LoadReportFromText(text, path);
    } catch (const EngineError&) {
        return 0;
    }
    const std::string saved = SerializeReport(*report, path);
    std::shared_ptr<Report> again;
    try {
        again = LoadReportFromText(saved, path);
    } catch (const EngineError&) {
        std::abort(); // a report the engine wrote must read back
    }
    if (SerializeReport(*again, path) != saved) {
        std::abort(); // the round trip must not change the report
    }
    return 0;
}
