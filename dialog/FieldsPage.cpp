// Page 1: fields to display.
#include "component/WizardState.h"
#include "dialog/frmWizard.h"

namespace foliant::Wizard {

bool IsFieldTag(const std::string& tag) {
    if (tag.empty()) {
        return false;
    }
    for (const auto& table : RequireReport().GetDataSource()->GetTableList()->All()) {
        if (table->TableName() == tag) {
            return false;
        }
    }
    return true;
}

std::string StripBraces(const std::string& text) {
    return text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
}

} // namespace foliant::Wizard
