#pragma once

// Finding a field of the wizard's report by its plain name (Table.Field, or a formula's
// "@Name"), and the value-type tests the summaries, selection and layout code build on.
// They change nothing.

#include "engine/FieldDefinition.h"
#include "engine/Report.h"

#include <memory>
#include <string>

namespace foliant::Wizard {

// The field definition of report whose braced name is "{" + name + "}", compared exactly and
// case-sensitively: first among the data source's table fields (tables and fields in order),
// then among the report's formulas. Null when neither has it.
std::shared_ptr<engine::FieldDefinition> FindFieldDefinition(const engine::Report& report,
                                                             const std::string& name);
// The same in CurrentReport. Throws AutomationError 91 when no report has been assigned.
std::shared_ptr<engine::FieldDefinition> FindFieldDefinition(const std::string& name);

// Whether the named field holds numbers (value types 1 to 8). False for a name that cannot
// be found.
bool IsNumericField(const std::string& name);

// Whether the named field holds dates or date-times (value types 10 and 16). False for a name
// that cannot be found.
bool IsDateField(const std::string& name);

} // namespace foliant::Wizard
