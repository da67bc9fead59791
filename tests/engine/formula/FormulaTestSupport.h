#pragma once

// A small report for formula tests: a catalog of named fields and records given as maps.

#include "engine/formula/Formula.h"

#include <map>
#include <string>
#include <utility>

namespace foliant::engine::formula::testing {

class MapCatalog : public FieldCatalog {
public:
    MapCatalog() {
        Add("{Orders.Amount}", ValueType::Currency);
        Add("{Orders.Quantity}", ValueType::Int32);
        Add("{Orders.OrderDate}", ValueType::Date);
        Add("{Orders.Shipped}", ValueType::DateTime);
        Add("{Orders.Paid}", ValueType::Boolean);
        Add("{Orders.PickupTime}", ValueType::Time);
        Add("{Orders.Photo}", ValueType::Picture);
        Add("{Customer.Name}", ValueType::String);
        Add("{Customer.Notes}", ValueType::LongText);
        Add("{@Total}", ValueType::Number, FieldKind::Formula);
        Add("{?Region}", ValueType::String, FieldKind::Parameter);
        Add("{#Running}", ValueType::Number, FieldKind::RunningTotal);
        Add("{%Upper}", ValueType::String, FieldKind::SqlExpression);
    }
    void Add(std::string name, ValueType type, FieldKind kind = FieldKind::Database) {
        fields_[std::move(name)] = FieldInfo{kind, type};
    }
    std::optional<FieldInfo> FindField(std::string_view name) const override {
        auto it = fields_.find(std::string(name));
        if (it == fields_.end()) {
            return std::nullopt;
        }
        return it->second;
    }

private:
    std::map<std::string, FieldInfo> fields_;
};

// A record: braced name -> value; a field not listed is null.
class MapRecord : public RecordSource {
public:
    MapRecord() = default;
    MapRecord(std::initializer_list<std::pair<const std::string, Value>> values)
        : values_(values) {}
    Value FieldValue(std::size_t, const FieldReference& field) const override {
        auto it = values_.find(field.name);
        return it == values_.end() ? Value{} : it->second;
    }

private:
    std::map<std::string, Value> values_;
};

inline Date D(int y, unsigned m, unsigned d) {
    return Date{DaysFromCivil(y, m, d)};
}

inline DateTime DT(int y, unsigned m, unsigned d, int h, int mi, int s) {
    return DateTime{static_cast<std::int64_t>(DaysFromCivil(y, m, d)) * 86400 + h * 3600 + mi * 60 +
                    s};
}

} // namespace foliant::engine::formula::testing
