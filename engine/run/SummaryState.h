#pragma once

// The running states summaries keep, one kind for each way of summarizing. A state takes in a
// record's values (nulls never reach it), merges another state of its kind, takes what a
// database computed, and answers for each operation that reads it. Summaries of the same field
// read one state where their operations keep the same one: sum and average read Totals; the
// variances and standard deviations read Moments; correlation and covariance read Covariation;
// median and percentile read Numbers; distinct count, mode and Nth most frequent read
// Frequencies.

#include "engine/run/Summary.h"

#include <cstdint>
#include <map>
#include <type_traits>
#include <vector>

namespace foliant::engine::run::state {

struct Count {
    std::int64_t count = 0;
    void Add(const Value&, const Value&, const SummaryRule&) { ++count; }
    void Merge(const Count& other, const SummaryRule&) { count += other.count; }
    void Set(const SummaryParts& parts) { count = parts.count; }
    Value Result(const SummaryRule&) const { return count; }
};

// Sum and average: the numbers' sum and count, and the exact integer sum while every value is a
// whole number and it fits.
struct Totals {
    long double sum = 0;
    std::int64_t whole = 0;
    std::int64_t count = 0;
    bool integral = true;
    void Add(const Value& x, const Value&, const SummaryRule&);
    void Merge(const Totals& other, const SummaryRule&);
    void Set(const SummaryParts& parts);
    Value Result(const SummaryRule& reader) const;
};

// Maximum or minimum (as the rule says): the extreme so far, null before any value.
struct Extreme {
    Value value;
    void Add(const Value& x, const Value&, const SummaryRule& rule);
    void Merge(const Extreme& other, const SummaryRule& rule) { Add(other.value, {}, rule); }
    void Set(const SummaryParts& parts) { value = parts.value; }
    Value Result(const SummaryRule&) const { return value; }
};

// The variances and standard deviations: mean and sum of squared deviations (Welford).
struct Moments {
    long double mean = 0;
    long double m2 = 0;
    std::int64_t count = 0;
    void Add(const Value& x, const Value&, const SummaryRule&);
    void Merge(const Moments& other, const SummaryRule&);
    void Set(const SummaryParts& parts);
    Value Result(const SummaryRule& reader) const;
};

// Correlation and covariance: both fields' means and squared deviations, and the co-moment,
// over the records where both are numbers.
struct Covariation {
    long double meanX = 0;
    long double meanY = 0;
    long double m2X = 0;
    long double m2Y = 0;
    long double coMoment = 0;
    std::int64_t count = 0;
    void Add(const Value& x, const Value& y, const SummaryRule&);
    void Merge(const Covariation& other, const SummaryRule&);
    void Set(const SummaryParts& parts);
    Value Result(const SummaryRule& reader) const;
};

// Weighted average: sums of the weights and of the weighted values.
struct Weights {
    long double weights = 0;
    long double weighted = 0;
    void Add(const Value& x, const Value& w, const SummaryRule&);
    void Merge(const Weights& other, const SummaryRule&);
    void Set(const SummaryParts& parts);
    Value Result(const SummaryRule&) const;
};

// Median and percentile: every number.
struct Numbers {
    std::vector<double> kept;
    void Add(const Value& x, const Value&, const SummaryRule&);
    void Merge(const Numbers& other, const SummaryRule&);
    Value Result(const SummaryRule& reader) const;
};

// Nth largest or smallest: the values that can still be the Nth (at most 2N + 16).
struct Kept {
    std::vector<Value> kept;
    void Add(const Value& x, const Value&, const SummaryRule& rule);
    void Merge(const Kept& other, const SummaryRule& rule);
    Value Result(const SummaryRule& reader) const;

private:
    void Trim(const SummaryRule& rule);
};

// Distinct count, mode and Nth most frequent: how often each value occurs.
struct Frequencies {
    std::map<Value, std::int64_t, ValueLess> seen;
    void Add(const Value& x, const Value&, const SummaryRule&) { ++seen[x]; }
    void Merge(const Frequencies& other, const SummaryRule&);
    Value Result(const SummaryRule& reader) const;
};

// A value a database computed whole, for an operation that cannot take in more values.
struct Final {
    Value value;
    void Set(const SummaryParts& parts) { value = parts.value; }
    Value Result(const SummaryRule&) const { return value; }
};

enum class Kind : std::uint8_t {
    Count,
    Totals,
    Extreme,
    Moments,
    Covariation,
    Weights,
    Numbers,
    Kept,
    Frequencies,
    Final
};

// The kind of state a summary keeps.
Kind KindOf(const SummaryRule& rule);

// Calls f with std::type_identity of the kind's state type.
template <typename F> decltype(auto) WithType(Kind kind, F&& f) {
    switch (kind) {
    case Kind::Count:
        return f(std::type_identity<Count>{});
    case Kind::Totals:
        return f(std::type_identity<Totals>{});
    case Kind::Extreme:
        return f(std::type_identity<Extreme>{});
    case Kind::Moments:
        return f(std::type_identity<Moments>{});
    case Kind::Covariation:
        return f(std::type_identity<Covariation>{});
    case Kind::Weights:
        return f(std::type_identity<Weights>{});
    case Kind::Numbers:
        return f(std::type_identity<Numbers>{});
    case Kind::Kept:
        return f(std::type_identity<Kept>{});
    case Kind::Frequencies:
        return f(std::type_identity<Frequencies>{});
    case Kind::Final:
        break;
    }
    return f(std::type_identity<Final>{});
}

} // namespace foliant::engine::run::state
