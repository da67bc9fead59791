// The add buttons of the grouping and summaries pages, as the database tree's double
// click presses them. They add nothing yet: each page's own unit takes over its handler (and
// this file loses it) when that page is built.
#include "dialog/frmWizard.h"

namespace foliant::dialog {

void frmWizard::AddGroup_Click() {}

void frmWizard::AddTotal_Click() {}

} // namespace foliant::dialog
