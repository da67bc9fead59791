#pragma once

#include "engine/Report.h"
#include "wizard/OneBasedArray.h"

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
    // The preview form QuickView and its viewer control while one is loaded; null otherwise.
    std::shared_ptr<forms::Form> PreviewForm;
    forms::CustomControl* PreviewViewer = nullptr;
    bool ReportHasContent = false;

    OneBasedArray<std::int16_t> GroupSummaryCount{"GroupSummaryCount"};
    OneBasedArray<std::int16_t> GroupSortKind{"GroupSortKind"};
    OneBasedArray<std::int16_t> GroupSortValue{"GroupSortValue"};
    OneBasedArray<std::string> GroupSortField{"GroupSortField"};
    OneBasedArray<std::string> GroupOthersLabel{"GroupOthersLabel"};

    OneBasedArray<std::string> SummaryField{"SummaryField"};
    OneBasedArray<bool> SummaryGrandTotal{"SummaryGrandTotal"};
    OneBasedArray<std::int32_t> SummaryOperation{"SummaryOperation"};
    OneBasedArray<std::string> SummaryParameter{"SummaryParameter"};

    OneBasedArray<std::int16_t> SelectValueCount{"SelectValueCount"};
    OneBasedArray<std::string> SelectValues{"SelectValues"};

    std::int32_t HelpWindow = 0;
    std::int16_t PageCount = 0;
    OneBasedArray<std::int16_t> PageControlEnd{"PageControlEnd"};
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
