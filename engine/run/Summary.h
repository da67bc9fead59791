#pragma once

// One summary's running state over the values of a group (or of the whole report).
//
// Rules every operation keeps:
// - Nulls are skipped. For correlation, covariance and weighted average a record counts only
//   when both its values are numbers.
// - Over no values: sum, count and distinct count give 0; every other operation gives null.
// - Sample variance and sample standard deviation need two values (null for one).
// - Correlation is null when either field's values do not vary.
// - Sum and average take whole numbers as they are, so an average of whole numbers beyond
//   double precision comes out as exact as the database's own.
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
// Memory: the states of a group level's summaries lie in one block per group, laid out once per
// level (see SummaryLayout); summaries of the same field share a state where their operations
// keep the same one (see SummaryState.h). Median and percentile keep the numbers themselves
// (8 bytes each, twice that at most while their list grows); Nth largest/smallest at most
// 2N + 16 values; distinct count, mode and Nth most frequent one entry per distinct value.

#include "engine/core/Types.h"
#include "engine/core/Value.h"
#include "engine/run/Values.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace foliant::engine {
class FieldDefinition;
}

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

// How one summary is computed: its operation, N or P, and the fields it reads. Summaries of a
// level that read the same fields share a state where they can; fields left null are never
// shared.
struct SummaryRule {
    SummaryOperation operation = SummaryOperation::Sum;
    int number = 0; // N of Nth largest/smallest/most frequent, P of Pth percentile
    const FieldDefinition* field = nullptr;
    const FieldDefinition* second = nullptr; // correlation, covariance, weighted average
    // Whether its value is set whole from a database (SummaryLayout::Set) instead of being
    // computed from the records.
    bool fromDatabase = false;
};

// A record's value and second value (correlation, covariance, weighted average) for a summary.
using SummaryInputs = std::pair<const Value&, const Value&>;

namespace state {
enum class Kind : std::uint8_t;
}

// The states of one group level's summaries, laid out once in a block of exactly the bytes
// they need; each group of the level holds one such block.
class SummaryLayout {
public:
    explicit SummaryLayout(std::vector<SummaryRule> rules);

    std::size_t Summaries() const { return rules_.size(); }
    const SummaryRule& Rule(std::size_t summary) const { return rules_[summary]; }
    std::size_t BlockBytes() const { return bytes_; }

    // A block with every state empty (nullptr when there is nothing to keep); FreeBlock ends it.
    std::byte* NewBlock() const;
    void FreeBlock(std::byte* block) const;

    // Adds one record: input(s) gives summary s's inputs.
    template <typename Input> void Add(std::byte* block, const Input& input) const {
        for (const Slot& slot : slots_) {
            const auto [x, y] = input(slot.reader);
            if (!IsNull(x)) {
                AddTo(block, slot, x, y);
            }
        }
    }
    // Adds everything another block of this layout has seen.
    void Merge(std::byte* into, const std::byte* from) const;
    // Summary s's value now (see the rules above).
    Value Result(const std::byte* block, std::size_t summary) const;
    // Summary s as a database computed it (see SummaryParts and MergesFromParts).
    void Set(std::byte* block, std::size_t summary, const SummaryParts& parts) const;

private:
    // One state: its kind, where it lies in the block, and the first summary reading it.
    struct Slot {
        state::Kind kind;
        std::uint32_t offset = 0;
        std::size_t reader = 0;
    };
    void AddTo(std::byte* block, const Slot& slot, const Value& x, const Value& y) const;

    std::vector<SummaryRule> rules_;
    std::vector<Slot> slots_;
    std::vector<std::size_t> slotOf_; // by summary
    std::size_t bytes_ = 0;
};

// One summary on its own (running totals, and the summary rules' own tests).
class SummaryAccumulator {
public:
    // number: N of Nth largest/smallest/most frequent, P of Pth percentile (at least 1).
    explicit SummaryAccumulator(SummaryOperation op, int number = 0);
    SummaryAccumulator(SummaryAccumulator&& other) noexcept;
    SummaryAccumulator& operator=(SummaryAccumulator&& other) = delete;
    ~SummaryAccumulator();

    // Adds one record's value; second is the second field's value (correlation, covariance,
    // weighted average), ignored by other operations.
    void Add(const Value& value, const Value& second = {});
    // Adds everything another accumulator of the same operation and number has seen.
    void Merge(const SummaryAccumulator& other);
    // The summary's value now (see the rules above).
    Value Result() const;

    // Whether a state set from SummaryParts can merge with others.
    static bool MergesFromParts(SummaryOperation op);

private:
    std::unique_ptr<const SummaryLayout> layout_;
    std::byte* block_ = nullptr;
};

} // namespace foliant::engine::run
