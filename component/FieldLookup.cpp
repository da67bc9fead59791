#include "component/FieldLookup.h"

#include "component/WizardState.h"
#include "engine/Report.h"

namespace foliant::Wizard {

namespace {

// The value-type code of the named field; 0 (no type) when it cannot be found.
int ValueTypeCode(const std::string& name) {
    const auto definition = FindFieldDefinition(name);
    return definition ? static_cast<int>(definition->ValueType()) : 0;
}

} // namespace

std::shared_ptr<engine::FieldDefinition> FindFieldDefinition(const std::string& name) {
    return FindFieldDefinition(RequireReport(), name);
}

std::shared_ptr<engine::FieldDefinition> FindFieldDefinition(const engine::Report& report,
                                                             const std::string& name) {
    const std::string braced = "{" + name + "}";
    for (const auto& table : report.GetDataSource()->GetTableList()->All()) {
        for (const auto& field : table->GetFieldList()->All()) {
            if (field->BracedName() == braced) {
                return field;
            }
        }
    }
    for (const auto& formula : report.Formulas()) {
        if (formula->BracedName() == braced) {
            return formula;
        }
    }
    return nullptr;
}

bool IsNumericField(const std::string& name) {
    const int type = ValueTypeCode(name);
    return type >= 1 && type <= 8;
}

bool IsDateField(const std::string& name) {
    const int type = ValueTypeCode(name);
    return type == 10 || type == 16;
}

} // namespace foliant::Wizard
