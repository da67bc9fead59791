// Finish: the formula check, the report file's name, the build, the save and the output the
// person chose (the preview, nothing more, or the program registered for report files).

#include "dialog/frmWizard.h"
#include "generate/LayoutBuilder.h"
#include "generate/WizardChoices.h"
#include "platform/forms/Backend.h"
#include "platform/forms/FormsError.h"
#include "platform/shell/Shell.h"
#include "resources/Resources.h"
#include "wizard/WizardState.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace foliant::Wizard {

namespace {

using resources::LoadResString;

constexpr int kNeedReportFile = 127;
constexpr int kWarningTitle = 128;
constexpr int kCannotStartDesigner = 129;
constexpr int kErrorTitle = 131;
constexpr int kDefaultReportFile = 275;
constexpr int kSaveAsTitle = 319;
constexpr int kAlreadyExists = 320;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string DescriptionOf(const std::exception& error) {
    const auto* described = dynamic_cast<const automation::AutomationError*>(&error);
    return described ? described->Description() : error.what();
}

void ShowError(const std::string& text, int icon = 0) {
    forms::MsgBox(text, forms::vbOKOnly | icon, LoadResString(kErrorTitle));
}

// The file dialog preset from the title, until a name is chosen. A cancel gives nothing; in
// mode 2 the person is first asked whether to go on without a file, and No shows the dialog
// again.
std::optional<std::string> ChooseReportFile(dialog::frmWizard& f, OutputMode mode,
                                            const std::string& title) {
    for (;;) {
        f.CommonDialog1.SetInitDir(shell::CurrentDirectory());
        f.CommonDialog1.SetFileName(title.empty() ? LoadResString(kDefaultReportFile)
                                                  : title + ".rpt");
        try {
            f.CommonDialog1.ShowSave();
            return WithReportExtension(f.CommonDialog1.FileName());
        } catch (const forms::FormsError& error) {
            if (error.Number() != forms::kCancelError) {
                throw;
            }
        }
        if (mode != OutputMode::Designer ||
            forms::MsgBox(LoadResString(kNeedReportFile), forms::vbYesNo,
                          LoadResString(kWarningTitle)) == forms::vbYes) {
            return std::nullopt;
        }
    }
}

// The name typed in SaveText, completed: a folder gets the title and the extension, any name
// the extension. Empty when the file exists and the person does not want it replaced.
std::optional<std::string> TypedReportFile(const std::string& typed, const std::string& title) {
    std::string name = typed;
    if (shell::IsFolderPath(name) && !title.empty()) {
        name = shell::JoinPath(name, title + ".rpt");
    } else if (shell::IsFolderPath(name)) {
        // A folder without a title: the separator a person typed is the platform's.
        name = shell::JoinPath(name, "");
    }
    name = WithReportExtension(name);
    if (shell::FileExists(name) &&
        forms::MsgBox(name + LoadResString(kAlreadyExists), forms::vbYesNo | forms::vbExclamation,
                      LoadResString(kSaveAsTitle)) != forms::vbYes) {
        return std::nullopt;
    }
    return name;
}

// The report choices the dialog and the state hold now.
generate::ReportChoices CollectChoices(dialog::frmWizard& f) {
    generate::DialogChoices choices;
    for (int i = 0; i < f.ReportFieldList1.ListCount(); ++i) {
        choices.fields.push_back({f.ReportFieldList1.List(i), f.ReportFieldList1.ItemData(i)});
    }
    for (const forms::Node* node = f.GroupTreeView.Nodes().Item(1).Child(); node != nullptr;
         node = node->Child()) {
        choices.groups.push_back({node->Text(), GroupOrderOf(*node)});
    }
    choices.selectionFormula = generate::BuildSelectionFormula(FilteredFields(), RequireReport());
    choices.title = f.TitleText.Text();
    choices.style = std::clamp(f.StyleList.ListIndex(), 0, 9);
    return generate::ChoicesFromWizard(State(), choices);
}

// Saves under name; after a failure (shown) asks for another name until a save succeeds or the
// person gives up. Returns the name saved under, or nothing.
std::optional<std::string> SaveWithRetry(dialog::frmWizard& f, OutputMode mode,
                                         std::optional<std::string> name,
                                         const std::string& title) {
    while (name && !SaveReportFile(*name, 0)) {
        name = ChooseReportFile(f, mode, title);
    }
    return name;
}

} // namespace

std::string WithReportExtension(const std::string& name) {
    std::string trimmed = Trimmed(name);
    std::string ending = trimmed.size() >= 4 ? trimmed.substr(trimmed.size() - 4) : trimmed;
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".rpt" ? trimmed : trimmed + ".rpt";
}

bool SaveReportFile(const std::string& name, int option) {
    try {
        RequireReport().SaveToFile(name, option);
        return true;
    } catch (const std::exception& error) {
        ShowError(DescriptionOf(error));
        return false;
    }
}

void LaunchDesigner(OutputMode mode, const std::string& name) {
    if (mode != OutputMode::Designer) {
        return;
    }
    char buffer[shell::kFindExecutableBuffer] = {};
    const auto found = shell::FindExecutableA(name.c_str(), "", buffer, sizeof buffer);
    const std::string program = Trimmed(buffer);
    if (found <= 32 || program.empty() ||
        shell::ShellExecuteA(CurrentWizardForm() ? CurrentWizardForm()->hWnd() : 0, "open",
                             program.c_str(), ("\"" + name + "\"").c_str(), "",
                             shell::SW_SHOWNORMAL) <= 32) {
        ShowError(LoadResString(kCannotStartDesigner), forms::vbExclamation);
    }
}

OutputMode ChosenOutputMode() {
    const dialog::frmWizard& f = WizardForm();
    if (f.VRWDesignerOption.Value()) {
        return OutputMode::Designer;
    }
    return f.SaveOption.Value() ? OutputMode::Later : OutputMode::Preview;
}

} // namespace foliant::Wizard

namespace foliant::dialog {

using Wizard::OutputMode;

void frmWizard::FinishCmd_Click() {
    if (!Wizard::CheckSelectionFormula()) {
        return;
    }
    const OutputMode mode = Wizard::ChosenOutputMode();
    const std::string title = TitleText.Text();
    std::optional<std::string> name;
    if (SaveText.Text().empty()) {
        name = Wizard::ChooseReportFile(*this, mode, title);
    } else {
        name = Wizard::TypedReportFile(SaveText.Text(), title);
        if (!name) {
            return; // the existing file stays; every choice is still there to change
        }
    }
    // A build that fails leaves the dialog open with every choice, so the person can change
    // what the report could not take.
    try {
        generate::BuildReportLayout(Wizard::RequireReport(), Wizard::CollectChoices(*this));
    } catch (const std::exception& error) {
        Wizard::ShowError(Wizard::DescriptionOf(error));
        return;
    }
    Hide();
    Wizard::CloseWizard();
    name = Wizard::SaveWithRetry(*this, mode, name, title);
    if (mode == OutputMode::Preview) {
        Wizard::ShowPreview();
    } else if (name) {
        Wizard::LaunchDesigner(mode, *name);
    }
}

} // namespace foliant::dialog
