#include "component/Wizard.h"

#include "dialog/frmWizard.h"
#include "preview/QuickView.h"
#include "resources/Resources.h"

namespace foliant::Wizard {

void CheckReportKind(int kind) {
    if (kind == static_cast<int>(engine::ReportKind::Columnar)) {
        return;
    }
    WizardState& s = State();
    s.ReportErrorNumber -= 1;
    throw automation::AutomationError(s.ReportErrorNumber, "",
                                      resources::LoadResString(kNotColumnarText));
}

void AppendPageSize(std::int16_t n) {
    WizardState& s = State();
    s.PageCount = static_cast<std::int16_t>(s.PageCount + 1);
    s.PageControlEnd.ReDimPreserve(s.PageCount);
    if (s.PageCount == 1) {
        s.PageControlEnd(1) = n;
    } else {
        s.PageControlEnd(s.PageCount) =
            static_cast<std::int16_t>(n + s.PageControlEnd(s.PageCount - 1));
    }
}

void BuildPageTable() {
    for (const std::int16_t n : {11, 11, 15, 17, 13, 7, 9}) {
        AppendPageSize(n);
    }
}

void RunWizard() {
    // A second run from inside the open dialog would replace the dialog whose handler is
    // running; the platform refuses to show a form modally twice.
    if (const dialog::frmWizard* open = CurrentWizardForm(); open != nullptr && open->Loaded()) {
        throw automation::AutomationError(
            kFormAlreadyDisplayed, "Foliant",
            "Form already displayed; can't show modally: the wizard is open.");
    }
    RegisterResourcePictures();
    WizardState& s = State();
    // The preview window is loaded hidden and its viewer kept for Finish's preview output.
    preview::LoadPreviewViewer();
    s.PageCount = 0;
    s.PageControlEnd.Erase();
    BuildPageTable();
    s.CurrentPage = 1;
    // Every run starts from what this report brings: the dialog is new (its group tree holds
    // only the root, its filtered-field list is empty), so the arrays that follow those lists
    // start empty and an earlier report's content does not count for this one.
    s.ReportHasContent = false;
    for (auto* array :
         {&s.GroupSummaryCount, &s.GroupSortKind, &s.GroupSortValue, &s.SelectValueCount}) {
        array->Erase();
    }
    for (auto* array : {&s.GroupSortField, &s.GroupOthersLabel, &s.SummaryField,
                        &s.SummaryParameter, &s.SelectValues}) {
        array->Erase();
    }
    s.SummaryOperation.Erase();
    s.SummaryGrandTotal.Erase();

    // A run that fails on the way leaves no dialog loaded behind it.
    try {
        dialog::frmWizard& form = NewWizardForm(); // loads the dialog
        form.cmdBack.SetEnabled(false);
        const int first = kLastCommonTag;
        const int last = kLastCommonTag + s.PageControlEnd(1);
        for (forms::Control* control : form.Controls()) {
            const int t = TagNumber(*control);
            if (t > first && t <= last) {
                control->SetVisible(true);
            }
        }
        ImportReport();
        form.Show(true);
    } catch (...) {
        if (dialog::frmWizard* open = CurrentWizardForm(); open != nullptr && open->Loaded()) {
            open->Unload();
        }
        throw;
    }
}

} // namespace foliant::Wizard
