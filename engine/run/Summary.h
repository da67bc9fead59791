#pragma once

// One summary's running state over the values of a group (or of the whole report).
//
// Rules every operation keeps:
// - Nulls are skipped. For correlation, covariance and weighted average a record counts only
//   when both its values are numbers.
// - Over no values: sum, count and distinct count give 0; every other operation gives null.
// - Sample variance and sample standard deviation need two values (null for one).
// - Correlation is null when either field's values do not vary.
// - Covariance is the population covariance: the mean of (x − mean x)(y − mean y).
// - Weighted average is Σ x·w / Σ w over the pairs; null when Σ w is 0.
// - Median: the middle value, or the mean of the two middle values for an even count.
// - Pth percentile: linear interpolation between the closest ranks, rank = P/100 · (n − 1)
//   counted from 0 in ascending order (so P = 50 is the median, P = 100 the maximum); P above
//   100 counts as 100.
// - Nth largest / Nth smallest: equal values each take a place (in 5, 5, 3 the 2nd largest
//   is 5); null when there are fewer than N values.
// - Mode and Nth most frequent: values ranked by how often they occur; values occurring
//   equally often rank in ascending value order, so the smaller value wins a tie. Nth most
//   frequent is null when there are fewer than N distinct values.
// - Maximum, minimum, mode, Nth largest/smallest/most frequent and distinct count work on
//   text, dates and times as well, in the order of CompareValues.
// Memory: each accumulator keeps only what its operation needs (80 bytes, plus for
// correlation and covariance a small block of their own); the numbers themselves for median
// and percentile (8 bytes each, twice that at most while their list grows); at most 2N + 16
// values for Nth largest/smallest; one entry per distinct value for distinct count, mode and
// Nth most frequent.

#include "engine/core/Types.h"
#include "engine/core/Value.h"
#include "engine/run/Values.h"

#include <cstdint>
#include <map>
#include <memory>
#include <variant>
#include <vector>

namespace foliant::engine::run {

// What a database computed for one group's summary. For count, sum, average, the variances,
// correlation, covariance and weighted average it is the state their Merge needs; for maximum
// and minimum the extreme value; for the rest only their final value (they cannot take in
// more values afterwards).
struct SummaryParts {
    std::int64_t count = 0; // values (pairs) summarized
    long double sum = 0;    // sum and average: the values' sum
    long double mean = 0;   // the variances and pairs: the (first) values' mean and squared
    long double m2 = 0;     // deviations
    long double meanY = 0;  // correlation and covariance: the second values' mean and squared
    long double m2Y = 0;    // deviations, and the co-moment
    long double coMoment = 0;
    long double weights = 0; // weighted average: sums of the weights and the weighted values
    long double weighted = 0;
    Value value; // maximum, minimum: the extreme; distinct count and ranked operations: the value
};

class SummaryAccumulator {
public:
    // number: N of Nth largest/smallest/most frequent, P of Pth percentile (at least 1).
    explicit SummaryAccumulator(SummaryOperation op, int number = 0);

    SummaryOperation Operation() const { return op_; }

    // Adds one record's value; second is the second field's value (correlation, covariance,
    // weighted average), ignored by other operations.
    void Add(const Value& value, const Value& second = {});
    // Adds everything another accumulator of the same operation and number has seen.
    void Merge(const SummaryAccumulator& other);
    // The summary's value now (see the rules above).
    Value Result() const;

    // An accumulator holding what a database computed (see SummaryParts).
    static SummaryAccumulator FromParts(SummaryOperation op, int number, const SummaryParts& parts);
    // Whether FromParts keeps enough of the operation's state to merge.
    static bool MergesFromParts(SummaryOperation op);

private:
    // Sum and average: the sum, and for a sum the exact integer sum while every value is a
    // whole number and it fits.
    struct Totals {
        long double sum = 0;
        std::int64_t whole = 0;
        bool integral = true;
    };
    // The variances and standard deviations: mean and sum of squared deviations (Welford).
    struct Moments {
        long double mean = 0;
        long double m2 = 0;
    };
    // Weighted average: sums of the weights and of the weighted values.
    struct Weights {
        long double weights = 0;
        long double weighted = 0;
    };
    // Correlation and covariance: both fields' means and squared deviations, and the co-moment.
    struct Covariation {
        long double meanX = 0;
        long double meanY = 0;
        long double m2X = 0;
        long double m2Y = 0;
        long double coMoment = 0;
    };
    using Frequencies = std::map<Value, std::int64_t, ValueLess>;
    // One of these, as the operation needs: Totals; Moments; Weights; Covariation (held apart,
    // as the largest and the rarest); the maximum or minimum so far; the numbers kept for median
    // and percentile; the values kept for Nth largest/smallest; how often each value occurs.
    // Count needs nothing but count_.
    using State =
        std::variant<std::monostate, Totals, Moments, Weights, std::unique_ptr<Covariation>, Value,
                     std::vector<double>, std::vector<Value>, Frequencies>;
    static State StateFor(SummaryOperation op);

    void AddPair(double x, double y);
    void MergePair(const SummaryAccumulator& other);
    void MergeMoments(const SummaryAccumulator& other);
    void TrimKept();
    Value MomentResult() const;
    Value PairResult() const;
    Value RankedResult() const;

    SummaryOperation op_;
    int number_;
    std::int64_t count_ = 0;
    State state_;
};

} // namespace foliant::engine::run
