// Help: opening the help file in the system's language at the topic of the page shown, and
// closing the help window the wizard opened.
#include "dialog/frmWizard.h"
#include "platform/help/HtmlHelp.h"
#include "platform/help/Installation.h"
#include "platform/shell/Shell.h"
#include "resources/Language.h"
#include "wizard/WizardState.h"

#include <array>

namespace foliant::Wizard {

void OpenHelp(std::intptr_t owner, const std::string& path) {
    const help::HWND window = help::HtmlHelpA(owner, path.c_str(), help::HH_DISPLAY_TOPIC, 0);
    State().HelpWindow = static_cast<std::int32_t>(window);
}

std::string PageHelpTopic(int page) {
    static constexpr std::array<const char*, 7> kTopics = {
        "fields.htm",    "grouping.htm", "summaries.htm", "groupsorting.htm",
        "selection.htm", "style.htm",    "output.htm"};
    return page >= 1 && page <= static_cast<int>(kTopics.size()) ? kTopics[page - 1]
                                                                 : "overview.htm";
}

void CloseHelpWindow() {
    const WizardState& s = State();
    if (s.HelpWindow == 0) {
        return;
    }
    // The handle is kept: a close addressed to a window that has gone does nothing.
    shell::SendMessageA(static_cast<shell::HWND>(s.HelpWindow), shell::WM_CLOSE, 0, 0);
    // Give the help viewer a moment to go before the dialog does.
    shell::Sleep(40);
}

} // namespace foliant::Wizard

namespace foliant::dialog {

// The language's help file from its registered folder, else from the component's; the English
// file of that folder when the language has none; else the bare "Addins_" name, which the help
// viewer looks up itself. Each opens at the topic of the page shown.
void frmWizard::cmdHelp_Click() {
    const std::string code = resources::SystemLanguageCode();
    const std::string name = "Wizards_" + code + ".chm";
    std::string folder = help::RegisteredHelpFolder(help::kHelpFolderKey, name);
    if (folder.empty()) {
        folder = help::ComponentHelpFolder();
    }
    const std::string topic = "::/" + Wizard::PageHelpTopic(Wizard::State().CurrentPage);
    for (const std::string& file : {name, std::string("Wizards_en.chm")}) {
        const std::string path = shell::JoinPath(folder, file);
        if (shell::FileExists(path)) {
            Wizard::OpenHelp(hWnd(), path + topic);
            return;
        }
    }
    Wizard::OpenHelp(hWnd(), "Addins_" + code + ".chm" + topic);
}

} // namespace foliant::dialog
