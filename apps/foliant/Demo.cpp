#include "apps/foliant/Demo.h"

#include "apps/foliant/Export.h"
#include "apps/foliant/ReportSettings.h"
#include "dialog/frmWizard.h"
#include "engine/ReportFile.h"
#include "engine/page/TextPainter.h"
#include "engine/run/Layout.h"
#include "platform/shell/Shell.h"
#include "script/Script.h"

#include <sstream>
#include <stdexcept>

namespace foliant::app {

namespace {

// A text as a script's quoted argument.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The name Finish saves under: ".rpt" is added unless the name ends so.
std::string SavedName(const std::string& reportPath) {
    return Wizard::WithReportExtension(reportPath);
}

std::string PdfNameFor(const std::string& saved) {
    return saved.substr(0, saved.size() - 4) + ".pdf";
}

} // namespace

std::string DemoScript(const std::string& reportPath, int style, bool replaceExisting) {
    std::ostringstream s;
    s << "# Page 1: the fields to show, one column each\n"
         "node DatabaseTreeView \"CustomerName\"\nclick Add\n"
         "node DatabaseTreeView \"OrderDate\"\nclick Add\n"
         "node DatabaseTreeView \"Amount\"\nclick Add\nclick cmdNext\n"
         "# Page 2: a group per country\n"
         "node DatabaseTreeView \"Country\"\nclick AddGroup\nclick cmdNext\n"
         "# Page 3: each country's sum of amounts (and the grand total) and number of orders\n"
         "node DatabaseTreeView \"Amount\"\nclick AddTotal\n"
         "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo 6\n"
         "click GrandTotalCheck\nclick cmdNext\n"
         "# Page 4: the five countries with the largest sums\n"
         "select TopNSortCombo 0\nselect TopNTotalCombo 0\ntype TopNText \"5\"\nclick cmdNext\n"
         "# Page 5: only orders over 100\n"
         "node DatabaseTreeView \"Amount\"\nclick AddSelect\n"
         "select ConditionCombo 7\ntype ConditionTextCombo \"100\"\nclick cmdNext\n"
         "# Page 6: the style and the title\n"
      << "select StyleList " << style << "\n"
      << "type TitleText \"Sales by Country\"\nclick cmdNext\n"
         "# Page 7: where the report goes; it is looked at later\n"
      << "type SaveText " << Quoted(reportPath) << "\nclick SaveOption\n"
      << (replaceExisting ? "answer Yes\n" : "") << "click FinishCmd\n";
    return s.str();
}

void RunDemo(const std::string& databasePath, const std::string& reportPath, int style,
             std::ostream& out, int argc, char** argv) {
    // Names Finish would complete into another file than the one asked for are refused here.
    if (Trimmed(reportPath).empty()) {
        throw std::runtime_error("Cannot save the report: no file name was given.");
    }
    if (shell::FolderExists(reportPath) || shell::IsFolderPath(reportPath)) {
        throw std::runtime_error("Cannot save the report to " + reportPath +
                                 ": it is a folder, not a file.");
    }
    const std::string saved = SavedName(reportPath);
    const auto report = engine::Report::CreateOverDatabase(databasePath);
    std::ostringstream dumps;
    script::RunScript(script::ParseScript(DemoScript(reportPath, style, shell::FileExists(saved))),
                      report, dumps);
    if (!shell::FileExists(saved)) {
        throw std::runtime_error("The walk through the wizard ended without saving " + saved + ".");
    }
    auto document =
        engine::run::RenderReport(*engine::LoadReportFromFile(saved), {}, LocaleLayoutSettings());
    ExportCommand pdf;
    pdf.report = saved;
    pdf.format = ExportFormat::Pdf;
    pdf.formatOption = "--pdf";
    pdf.out = PdfNameFor(saved);
    if (RunExport(pdf, argc, argv) != 0) {
        throw std::runtime_error("The report was saved to " + saved + ", but not its PDF.");
    }
    document.pages.resize(std::min<std::size_t>(document.pages.size(), 1));
    out << engine::page::RenderText(document) << "\n"
        << "The report: " << saved << "\n"
        << "Its PDF:    " << pdf.out << "\n";
}

} // namespace foliant::app
