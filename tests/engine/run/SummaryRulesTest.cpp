// The summary accumulator's stated rules, on hand-worked tables: each expected value with the
// reason it is right.

#include "engine/run/Summary.h"
#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

using Op = SummaryOperation;
using run::SummaryAccumulator;

Value Summarize(Op op, int number, const std::vector<Value>& xs,
                const std::vector<Value>& ys = {}) {
    SummaryAccumulator acc(op, number);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        acc.Add(xs[i], i < ys.size() ? ys[i] : Value{});
    }
    return acc.Result();
}

std::vector<Value> Ints(std::initializer_list<std::int64_t> xs) {
    return {xs.begin(), xs.end()};
}

struct Row {
    const char* why;
    Op op;
    int number;
    std::vector<Value> xs;
    Value want;
};

TEST(SummaryRulesTest, TiesInterpolationAndEmptyInputsFollowTheStatedRules) {
    const Value null;
    const std::vector<Row> rows = {
        {"even count: median is the mean of the two middle values 2 and 3", Op::Median, 0,
         Ints({3, 1, 2, 5}), 2.5},
        {"odd count: the middle value", Op::Median, 0, Ints({9, 1, 4}), 4.0},
        {"P=25 over 10,20,30,40,50: rank 0.25*4=1 → exactly 20", Op::Percentile, 25,
         Ints({50, 10, 40, 20, 30}), 20.0},
        {"P=30 over 10,20,30,40,50: rank 1.2 → 20 + 0.2*(30-20)", Op::Percentile, 30,
         Ints({50, 10, 40, 20, 30}), 22.0},
        {"P=1 over two values: rank 0.01 → 10 + 0.01*10", Op::Percentile, 1, Ints({20, 10}), 10.1},
        {"P above 100 counts as 100: the maximum", Op::Percentile, 500, Ints({3, 8, 1}), 8.0},
        {"equal values each take a place: 2nd largest of 5,5,3 is 5", Op::NthLargest, 2,
         Ints({5, 3, 5}), std::int64_t{5}},
        {"3rd largest of 5,5,3 is 3", Op::NthLargest, 3, Ints({5, 3, 5}), std::int64_t{3}},
        {"fewer values than N gives null", Op::NthSmallest, 4, Ints({5, 3, 5}), null},
        {"mode tie between 7 and 2 (twice each): the smaller, 2", Op::Mode, 0,
         Ints({7, 2, 9, 7, 2}), std::int64_t{2}},
        {"2nd most frequent: 7 (tied with 2 in count, after it in value)", Op::NthMostFrequent, 2,
         Ints({7, 2, 9, 7, 2}), std::int64_t{7}},
        {"3rd most frequent: 9, the only value seen once", Op::NthMostFrequent, 3,
         Ints({7, 2, 9, 7, 2}), std::int64_t{9}},
        {"fewer distinct values than N gives null", Op::NthMostFrequent, 4, Ints({7, 2, 9, 7, 2}),
         null},
        {"sum of no values is 0", Op::Sum, 0, {null, null}, std::int64_t{0}},
        {"count of no values is 0", Op::Count, 0, {null}, std::int64_t{0}},
        {"distinct count of no values is 0", Op::DistinctCount, 0, {}, std::int64_t{0}},
        {"average of no values is null", Op::Average, 0, {null}, null},
        {"sample variance of one value is null", Op::SampleVariance, 0, Ints({4}), null},
        {"population variance of one value is 0", Op::PopulationVariance, 0, Ints({4}), 0.0},
        {"1 and 1.0 are the same value for distinct count",
         Op::DistinctCount,
         0,
         {std::int64_t{1}, 1.0, null, 2.5},
         std::int64_t{2}},
        {"whole numbers sum exactly beyond double precision", Op::Sum, 0,
         Ints({9007199254740993, 1}), std::int64_t{9007199254740994}},
        {"a sum that overflows 64 bits carries on in floating point", Op::Sum, 0,
         Ints({INT64_MAX, INT64_MAX}), 2.0 * static_cast<double>(INT64_MAX)},
        {"text maximum in byte order: 'pear' > 'Plum' (lower case sorts after upper)",
         Op::Maximum,
         0,
         {std::string("Plum"), std::string("pear")},
         std::string("pear")},
        {"date minimum", Op::Minimum, 0, {Date{20}, null, Date{3}}, Date{3}},
    };
    for (const auto& r : rows) {
        const Value got = Summarize(r.op, r.number, r.xs);
        EXPECT_TRUE(test::SameValue(got, r.want) && got.index() == r.want.index())
            << r.why << ": got " << test::Show(got);
    }
}

TEST(SummaryRulesTest, PairsCountOnlyWhenBothValuesAreThere) {
    const Value null;
    // Pairs (1,2), (3,4), (5,6) count; (7,null) and (null,8) do not.
    const std::vector<Value> xs = {std::int64_t{1}, std::int64_t{3}, std::int64_t{5},
                                   std::int64_t{7}, null};
    const std::vector<Value> ys = {std::int64_t{2}, std::int64_t{4}, std::int64_t{6}, null,
                                   std::int64_t{8}};
    // y = x + 1 exactly: correlation 1; population covariance = var(x) = 8/3.
    EXPECT_DOUBLE_EQ(std::get<double>(Summarize(Op::Correlation, 0, xs, ys)), 1.0);
    EXPECT_DOUBLE_EQ(std::get<double>(Summarize(Op::Covariance, 0, xs, ys)), 8.0 / 3.0);
    // (1*2 + 3*4 + 5*6) / (2 + 4 + 6) = 44 / 12.
    EXPECT_DOUBLE_EQ(std::get<double>(Summarize(Op::WeightedAverage, 0, xs, ys)), 44.0 / 12.0);
    // A constant field does not vary: no correlation.
    EXPECT_TRUE(IsNull(Summarize(Op::Correlation, 0, Ints({1, 2, 3}), Ints({5, 5, 5}))));
    // Weights summing to 0: no weighted average.
    EXPECT_TRUE(IsNull(Summarize(Op::WeightedAverage, 0, Ints({1, 2}), Ints({1, -1}))));
}

TEST(SummaryRulesTest, MergingGivesWhatAddingEverythingToOneWouldGive) {
    // The Others group is made by merging groups: every operation must merge exactly.
    std::vector<Value> xs, ys;
    for (int i = 0; i < 200; ++i) {
        xs.push_back(i % 7 == 0 ? Value{} : Value{static_cast<double>((i * 37) % 101) / 4});
        ys.push_back(Value{static_cast<double>((i * 11) % 13) + 0.5});
    }
    for (int op = 0; op <= 18; ++op) {
        const auto operation = static_cast<Op>(op);
        const int number = SummaryNeedsNumber(operation) ? 3 : 0;
        SummaryAccumulator whole(operation, number);
        SummaryAccumulator a(operation, number), b(operation, number), c(operation, number);
        for (std::size_t i = 0; i < xs.size(); ++i) {
            whole.Add(xs[i], ys[i]);
            (i < 50 ? a : i < 120 ? b : c).Add(xs[i], ys[i]);
        }
        b.Merge(c);
        a.Merge(b);
        EXPECT_TRUE(test::SameValue(a.Result(), whole.Result()))
            << SummaryOperationName(operation) << ": merged " << test::Show(a.Result())
            << ", whole " << test::Show(whole.Result());
    }
}

TEST(SummaryRulesTest, NthLargestKeepsFewValuesYetAnswersRight) {
    SummaryAccumulator acc(Op::NthLargest, 3);
    for (std::int64_t i = 0; i < 100000; ++i) {
        acc.Add((i * 7919) % 100003);
    }
    // (i * 7919) mod 100003 over i < 100000 takes distinct values; the three largest of the
    // residues 0..100002 missing three values: computed by brute force below.
    std::vector<std::int64_t> all;
    for (std::int64_t i = 0; i < 100000; ++i) {
        all.push_back((i * 7919) % 100003);
    }
    std::sort(all.rbegin(), all.rend());
    EXPECT_EQ(std::get<std::int64_t>(acc.Result()), all[2]);
}

} // namespace
} // namespace foliant::engine
