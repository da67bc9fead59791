#include "wizard/WizardState.h"

namespace foliant::Wizard {

namespace {

thread_local WizardState state;

template <typename T> nlohmann::json Array(const OneBasedArray<T>& array) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& value : array.Values()) {
        out.push_back(value);
    }
    return out;
}

} // namespace

WizardState& State() {
    return state;
}

void ResetState() {
    // A preview form goes with the state; the caller never holds it past a run.
    state = WizardState{};
}

engine::Report& RequireReport() {
    if (!state.CurrentReport) {
        throw automation::AutomationError(automation::kObjectNotSet, "Foliant",
                                          "Object variable not set: no report has been assigned "
                                          "to VellumReport.");
    }
    return *state.CurrentReport;
}

nlohmann::json DumpWizardState() {
    const WizardState& s = state;
    return nlohmann::json{
        {"ReportErrorNumber", s.ReportErrorNumber},
        {"CurrentReport", static_cast<bool>(s.CurrentReport)},
        {"PreviewViewer", s.PreviewViewer != nullptr},
        {"ReportHasContent", s.ReportHasContent},
        {"GroupSummaryCount", Array(s.GroupSummaryCount)},
        {"GroupSortKind", Array(s.GroupSortKind)},
        {"GroupSortValue", Array(s.GroupSortValue)},
        {"GroupSortField", Array(s.GroupSortField)},
        {"GroupOthersLabel", Array(s.GroupOthersLabel)},
        {"SummaryField", Array(s.SummaryField)},
        {"SummaryGrandTotal", Array(s.SummaryGrandTotal)},
        {"SummaryOperation", Array(s.SummaryOperation)},
        {"SummaryParameter", Array(s.SummaryParameter)},
        {"SelectValueCount", Array(s.SelectValueCount)},
        {"SelectValues", Array(s.SelectValues)},
        {"HelpWindow", s.HelpWindow},
        {"PageCount", s.PageCount},
        {"PageControlEnd", Array(s.PageControlEnd)},
        {"CurrentPage", s.CurrentPage},
    };
}

} // namespace foliant::Wizard
