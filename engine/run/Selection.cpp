#include "engine/run/Selection.h"

#include "engine/ReportFieldCatalog.h"
#include "engine/core/EngineError.h"
#include "engine/formula/Formula.h"
#include "engine/formula/SqlTranslation.h"
#include "engine/run/Query.h"

#include <algorithm>

namespace foliant::engine::run {

namespace {

struct Compiled {
    formula::CheckedFormula formula;
    std::vector<std::shared_ptr<FieldDefinition>> fields; // one per formula.Fields()
};

} // namespace

struct SelectionFilter::Impl {
    const Report& report;
    Date today;
    std::map<std::string, Value> parameters;
    Compiled selection;
    mutable std::map<const FieldDefinition*, std::shared_ptr<Compiled>> formulas;

    Impl(const Report& r, Date t, std::map<std::string, Value> p)
        : report(r), today(t), parameters(std::move(p)) {}

    std::vector<std::shared_ptr<FieldDefinition>> Resolve(const formula::CheckedFormula& f) const {
        std::vector<std::shared_ptr<FieldDefinition>> out;
        for (const auto& ref : f.Fields()) {
            auto def = report.LookupFieldDefinition(ref.name);
            if (!def) {
                throw EngineError("The formula " + f.Text() + " uses " + ref.name +
                                  ", which the report does not have.");
            }
            out.push_back(std::move(def));
        }
        return out;
    }

    const Compiled& Formula(const FieldDefinition& f) const {
        auto found = formulas.find(&f);
        if (found != formulas.end()) {
            return *found->second;
        }
        auto compiled = std::make_shared<Compiled>();
        try {
            compiled->formula =
                formula::CompileFormulaField(f.DefinitionText(), ReportFieldCatalog(report));
        } catch (const formula::FormulaError& e) {
            throw EngineError("The formula " + f.Name() + " is not valid: " + e.Description());
        }
        compiled->fields = Resolve(compiled->formula);
        return *formulas.emplace(&f, std::move(compiled)).first->second;
    }

    Value FieldValue(const FieldDefinition& def, const RecordView& record) const;
};

namespace {

// The evaluator's view of one record: each field of a formula from the query's row, the
// report's parameters, or (for formula fields) their own formula.
class RowSource : public formula::RecordSource {
public:
    RowSource(const SelectionFilter::Impl& impl,
              const std::vector<std::shared_ptr<FieldDefinition>>& fields, const RecordView& record)
        : impl_(impl), fields_(fields), record_(record) {}
    Value FieldValue(std::size_t index, const formula::FieldReference&) const override {
        return impl_.FieldValue(*fields_[index], record_);
    }

private:
    const SelectionFilter::Impl& impl_;
    const std::vector<std::shared_ptr<FieldDefinition>>& fields_;
    const RecordView& record_;
};

} // namespace

Value SelectionFilter::Impl::FieldValue(const FieldDefinition& def,
                                        const RecordView& record) const {
    for (std::size_t i = 0; i < record.columns.size(); ++i) {
        if (record.columns[i].get() == &def) {
            return record.row[i];
        }
    }
    switch (def.Kind()) {
    case FieldKind::Parameter: {
        const auto p = parameters.find(def.ShortName());
        return p != parameters.end() ? p->second : Value{};
    }
    case FieldKind::Formula: {
        const Compiled& c = Formula(def);
        return formula::Evaluate(c.formula, RowSource(*this, c.fields, record), today);
    }
    default:
        return {};
    }
}

SelectionFilter::SelectionFilter(const Report& report, Date today,
                                 std::map<std::string, Value> parameters)
    : impl_(std::make_unique<Impl>(report, today, std::move(parameters))) {
    try {
        impl_->selection.formula = formula::CompileSelectionFormula(
            report.GetSelectionFormulaText(), ReportFieldCatalog(report));
    } catch (const formula::FormulaError& e) {
        throw EngineError("The record selection formula is not valid: " + e.Description());
    }
    impl_->selection.fields = impl_->Resolve(impl_->selection.formula);
}

SelectionFilter::~SelectionFilter() = default;

std::vector<std::shared_ptr<FieldDefinition>> SelectionFilter::Fields() const {
    return impl_->selection.fields;
}

std::vector<std::shared_ptr<FieldDefinition>>
SelectionFilter::FormulaReferences(const FieldDefinition& f) const {
    return impl_->Formula(f).fields;
}

SelectionWhere
SelectionFilter::Where(SourceConnection& connection,
                       const std::vector<std::shared_ptr<FieldDefinition>>& read) const {
    const Compiled& s = impl_->selection;
    if (s.formula.IsEmpty()) {
        return {};
    }
    std::map<std::size_t, formula::SqlStorage> storages; // of the fields mapped to columns
    const formula::SqlColumnMapper mapper =
        [&](std::size_t index,
            const formula::FieldReference&) -> std::optional<formula::SqlColumn> {
        const auto& def = s.fields[index];
        if (def->Kind() != FieldKind::Database ||
            std::find(read.begin(), read.end(), def) == read.end()) {
            return std::nullopt;
        }
        const ValueType t = def->ValueType();
        formula::SqlStorage storage;
        if (IsNumericType(t)) {
            storage = formula::SqlStorage::Number;
        } else if (IsTextType(t)) {
            storage = formula::SqlStorage::Text;
        } else if (t == ValueType::Date) {
            storage = formula::SqlStorage::IsoDate;
        } else if (t == ValueType::DateTime) {
            storage = formula::SqlStorage::IsoDateTime;
        } else {
            return std::nullopt;
        }
        auto mismatch = connection.StorageMismatch(*def, storage);
        if (!mismatch) {
            return std::nullopt;
        }
        storages[index] = storage;
        return formula::SqlColumn{ColumnExpression(*def), storage, std::move(*mismatch)};
    };
    const auto where =
        formula::TranslateToSql(s.formula, mapper, impl_->today, connection.Dialect());
    SelectionWhere out;
    out.clause = where.clause;
    out.parameters = where.parameters;
    out.exact = where.exact;
    for (const std::size_t field : where.checked) {
        out.checked.emplace_back(s.fields[field], storages.at(field));
    }
    return out;
}

bool SelectionFilter::Selects(const RecordView& record) const {
    const Compiled& s = impl_->selection;
    if (s.formula.IsEmpty()) {
        return true;
    }
    return formula::Selects(s.formula, RowSource(*impl_, s.fields, record), impl_->today);
}

Value SelectionFilter::EvaluateField(const FieldDefinition& f, const RecordView& record) const {
    return impl_->FieldValue(f, record);
}

} // namespace foliant::engine::run
