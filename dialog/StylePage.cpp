// Pages 6 and 7: style and title, saving and viewing.
#include "dialog/frmWizard.h"
#include "platform/shell/Shell.h"
#include "resources/Resources.h"

#include <exception>

namespace foliant::dialog {

namespace {

// The first style preview bitmap; style n shows bitmap 103 + n.
constexpr int kFirstStylePreview = 103;
// "Report1.rpt", the file name offered when the report has no title.
constexpr int kDefaultReportFile = 275;

} // namespace

void frmWizard::StyleList_Click() {
    if (StyleList.ListIndex() >= 0) {
        StylePicture.SetPicture(
            forms::Picture::Resource(kFirstStylePreview + StyleList.ListIndex()));
    }
}

void frmWizard::Browse_Click() {
    // The path a person picks goes into SaveText; a cancel, or any failure of the dialog,
    // leaves SaveText as it was. Finish checks whatever path ends up there.
    try {
        CommonDialog1.SetInitDir(shell::CurrentDirectory());
        CommonDialog1.SetFileName(TitleText.Text().empty()
                                      ? resources::LoadResString(kDefaultReportFile)
                                      : TitleText.Text() + ".rpt");
        CommonDialog1.ShowSave();
        SaveText.SetText(CommonDialog1.FileName());
    } catch (const std::exception&) {
    }
}

} // namespace foliant::dialog
