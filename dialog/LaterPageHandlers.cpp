// The add button of the selection page, as the database tree's double click presses it. It adds
// nothing yet: the page's own unit takes over its handler (and this file goes) when that page
// is built.
#include "dialog/frmWizard.h"

namespace foliant::dialog {

void frmWizard::AddSelect_Click() {}

} // namespace foliant::dialog
