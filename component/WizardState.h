#pragma once

#include "component/VbArray.h"
#include "engine/Report.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace foliant::forms {
class Form;
class CustomControl;
} // namespace foliant::forms

namespace foliant::Wizard {

// The memory every page and the report generation share. One instance exists per thread; it
// starts as 0, False, "", empty arrays and no objects. Group g is the g-th group below the root
// of the group tree; the summaries are stored group after group.
struct WizardState {
    std::int32_t ReportErrorNumber = 0;
    std::shared_ptr<engine::Report> CurrentReport;
    // The preview form (loaded, hidden) and its viewer control.
    std::shared_ptr<forms::Form> PreviewForm;
    forms::CustomControl* PreviewViewer = nullptr;
    bool ReportHasContent = false;

    VbArray<std::int16_t> GroupSummaryCount{"GroupSummaryCount"};
    VbArray<std::int16_t> GroupSortKind{"GroupSortKind"};
    VbArray<std::int16_t> GroupSortValue{"GroupSortValue"};
    VbArray<std::string> GroupSortField{"GroupSortField"};
    VbArray<std::string> GroupOthersLabel{"GroupOthersLabel"};

    VbArray<std::string> SummaryField{"SummaryField"};
    VbArray<bool> SummaryGrandTotal{"SummaryGrandTotal"};
    VbArray<std::int32_t> SummaryOperation{"SummaryOperation"};
    VbArray<std::string> SummaryParameter{"SummaryParameter"};

    VbArray<std::int16_t> SelectValueCount{"SelectValueCount"};
    VbArray<std::string> SelectValues{"SelectValues"};

    std::int32_t HelpWindow = 0;
    std::int16_t PageCount = 0;
    VbArray<std::int16_t> PageControlEnd{"PageControlEnd"};
    std::int16_t CurrentPage = 0;
};

// This thread's wizard state.
WizardState& State();
// Puts this thread's state back to its first-use values (tests start from it).
void ResetState();

// CurrentReport; throws AutomationError 91 when no report has been assigned.
engine::Report& RequireReport();

// The state's values and arrays as JSON (for dumps and test assertions).
nlohmann::json DumpWizardState();

} // namespace foliant::Wizard
