// Page 6: style and title.
#include "dialog/frmWizard.h"

namespace foliant::dialog {

void frmWizard::StyleList_Click() {
    if (StyleList.ListIndex() >= 0) {
        StylePicture.SetPicture(forms::Picture::Resource(103 + StyleList.ListIndex()));
    }
}

} // namespace foliant::dialog
