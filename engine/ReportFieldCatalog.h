#pragma once

#include "engine/Report.h"
#include "engine/formula/Formula.h"

#include <optional>
#include <string>
#include <string_view>

namespace foliant::engine {

// The fields a report's formulas may name, as the formula checker sees them: the data
// source's fields, the report's formulas, parameters, running totals and SQL expressions.
class ReportFieldCatalog : public formula::FieldCatalog {
public:
    explicit ReportFieldCatalog(const Report& report) : report_(report) {}

    std::optional<formula::FieldInfo> FindField(std::string_view bracedName) const override {
        const auto def = report_.LookupFieldDefinition(std::string(bracedName));
        if (!def) {
            return std::nullopt;
        }
        return formula::FieldInfo{def->Kind(), def->ValueType()};
    }

private:
    const Report& report_;
};

} // namespace foliant::engine
