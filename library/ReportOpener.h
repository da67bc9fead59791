#pragma once

// ReportOpener: the creatable class through which a host without its own report engine gets a
// report to hand to VRStandardWizard. The reports it returns are the engine's own objects,
// so the wizard works on exactly the report the host holds.

#include "platform/automation/Dispatch.h"
#include "platform/automation/Server.h"

#include <memory>
#include <string>

namespace foliant::component {

inline constexpr GUID CLSID_ReportOpener =
    automation::Guid("{78F8F7F1-8941-4A85-944C-1041AFF273F6}");
inline constexpr GUID IID__ReportOpener =
    automation::Guid("{7A410E95-DBC8-445C-93B0-EA23E793DDFE}");
inline constexpr const char* kReportOpenerProgId = "geodyneFoliant.ReportOpener";

inline constexpr DISPID DISPID_NewReport = 1;
inline constexpr DISPID DISPID_OpenReport = 2;
inline constexpr DISPID DISPID_SaveReport = 3;
inline constexpr DISPID DISPID_DescribeReport = 4;

class ReportOpener : public automation::Dispatchable {
public:
    // A new, empty columnar report over the SQLite database at path. The engine's error when
    // the database cannot be opened.
    std::shared_ptr<automation::Object> NewReport(std::string databasePath);
    // The report saved in the file at path. The engine's error, naming the file and the
    // problem, when it cannot be read.
    std::shared_ptr<automation::Object> OpenReport(std::string path);
    // Saves report to path. Type mismatch (13) for an object that is not a report, 91 for
    // none; the engine's error when the file cannot be written (an existing file is then left
    // as it was).
    void SaveReport(std::shared_ptr<automation::Object> report, std::string path);
    // The report's structure as JSON text: data source, fields, areas with their sections and
    // objects, groups, summaries, sorts, formula, title, style. Errors as for SaveReport.
    std::string DescribeReport(std::shared_ptr<automation::Object> report);

protected:
    const automation::DispatchTable& Dispatch() const override;
};

// The class as the component library registers it.
automation::CoClassInfo ReportOpenerClass();

} // namespace foliant::component
