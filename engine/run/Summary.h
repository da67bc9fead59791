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
// Memory: constant for the moment-based operations; the values kept for median and
// percentile; at most N values for Nth largest/smallest; one entry per distinct value for
// distinct count, mode and Nth most frequent.

#include "engine/core/Types.h"
#include "engine/core/Value.h"
#include "engine/run/Values.h"

#include <cstdint>
#include <map>
#include <vector>

namespace foliant::engine::run {

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

private:
    void AddNumber(double x);
    void TrimKept();

    SummaryOperation op_;
    int number_;
    std::int64_t count_ = 0;
    // Sum: exact integer sum while every value is a whole number and it fits.
    bool integral_ = true;
    std::int64_t intSum_ = 0;
    long double sum_ = 0;
    // Mean and sum of squared deviations (Welford), for average and the variances.
    long double mean_ = 0;
    long double m2_ = 0;
    // Pairs: means, co-moment and the second field's squared deviations.
    long double meanY_ = 0;
    long double m2Y_ = 0;
    long double coMoment_ = 0;
    long double weightSum_ = 0;
    long double weightedSum_ = 0;
    Value extreme_;
    std::vector<double> numbers_;                   // median, percentile
    std::vector<Value> kept_;                       // Nth largest / smallest
    std::map<Value, std::int64_t, ValueLess> freq_; // distinct count, mode, Nth most frequent
};

} // namespace foliant::engine::run
