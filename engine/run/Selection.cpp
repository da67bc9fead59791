#include "engine/run/Selection.h"

#include "engine/EngineError.h"

#include <sqlite3.h>

namespace foliant::engine::run {

struct SelectionFilter::Impl {
    std::string text;
};

SelectionFilter::SelectionFilter(const Report& report, Date) : impl_(std::make_unique<Impl>()) {
    impl_->text = report.GetSelectionFormulaText();
    if (impl_->text.find_first_not_of(" \t\r\n") != std::string::npos) {
        throw EngineError("The record selection formula cannot be applied: this engine has no "
                          "formula evaluator.");
    }
}

SelectionFilter::~SelectionFilter() = default;

std::vector<std::shared_ptr<FieldDefinition>> SelectionFilter::Fields() const {
    return {};
}

std::vector<std::shared_ptr<FieldDefinition>>
SelectionFilter::FormulaReferences(const FieldDefinition&) const {
    return {};
}

SelectionWhere SelectionFilter::Where(const std::vector<std::shared_ptr<FieldDefinition>>&) const {
    return {};
}

bool SelectionFilter::Selects(const std::vector<std::shared_ptr<FieldDefinition>>&,
                              const std::vector<Value>&) const {
    return true;
}

Value SelectionFilter::EvaluateField(const FieldDefinition&,
                                     const std::vector<std::shared_ptr<FieldDefinition>>&,
                                     const std::vector<Value>&) const {
    return {};
}

void BindParameters(sqlite3_stmt* statement, const std::vector<Value>& parameters) {
    int index = 1;
    for (const auto& p : parameters) {
        int rc = SQLITE_OK;
        if (const auto* i = std::get_if<std::int64_t>(&p)) {
            rc = sqlite3_bind_int64(statement, index, *i);
        } else if (const auto* d = std::get_if<double>(&p)) {
            rc = sqlite3_bind_double(statement, index, *d);
        } else if (const auto* s = std::get_if<std::string>(&p)) {
            rc = sqlite3_bind_text(statement, index, s->c_str(), static_cast<int>(s->size()),
                                   SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_null(statement, index);
        }
        if (rc != SQLITE_OK) {
            throw EngineError("Cannot bind value " + std::to_string(index) +
                              " of the report's query: " + sqlite3_errstr(rc) + ".");
        }
        ++index;
    }
}

} // namespace foliant::engine::run
