#include "wizard/FieldLookup.h"

#include "wizard/WizardState.h"

namespace foliant::Wizard {

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
    const auto definition = FindFieldDefinition(name);
    return definition && engine::IsNumericType(definition->ValueType());
}

bool IsDateField(const std::string& name) {
    const auto definition = FindFieldDefinition(name);
    return definition && engine::IsDateType(definition->ValueType());
}

} // namespace foliant::Wizard
