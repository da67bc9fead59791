#pragma once

// Routines of the wizard module that run a wizard: the page table, the run itself and the
// import of an existing report's content into the dialog and the state.

#include "wizard/WizardState.h"

#include <cstdint>

namespace foliant::Wizard {

// String ids the component uses.
inline constexpr int kNotColumnarText = 249;

// Number of the error raised when a wizard is shown while one is open in the same thread.
inline constexpr std::int32_t kFormAlreadyDisplayed = 400;

// The body of DisplayReportWizard: builds the page table, starts the group, summary and
// selection arrays and ReportHasContent afresh, loads the dialog with cmdBack disabled, shows
// page 1, imports the report and shows the dialog modally. Returns when the dialog has been
// unloaded. Throws AutomationError kFormAlreadyDisplayed, changing nothing, while a wizard is
// open in this thread; a run that fails unloads its dialog before the error goes on.
void RunWizard();

// Appends a page of n controls to PageControlEnd (running totals).
void AppendPageSize(std::int16_t n);
// Appends the seven pages: PageControlEnd becomes 11, 22, 37, 54, 67, 74, 83.
void BuildPageTable();

// Raises the non-columnar error when kind is not columnar (1): ReportErrorNumber decreases by one
// and an AutomationError with that number, no source and string 249 is thrown.
void CheckReportKind(int kind);

// Reads the report's detail fields, groups with their summaries and group sorting, style and
// title into the loaded dialog and the state.
void ImportReport();

// Makes the picture provider of the forms layer hand out the library's resources (bitmaps by
// id, image-list keys and arrows by name). Safe to call more than once.
void RegisterResourcePictures();

} // namespace foliant::Wizard
