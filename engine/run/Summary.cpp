#include "engine/run/Summary.h"

#include <algorithm>
#include <cmath>

namespace foliant::engine::run {

namespace {

bool IsMomentOperation(SummaryOperation op) {
    switch (op) {
    case SummaryOperation::SampleVariance:
    case SummaryOperation::SampleStdDev:
    case SummaryOperation::PopulationVariance:
    case SummaryOperation::PopulationStdDev:
        return true;
    default:
        return false;
    }
}

bool IsPairOperation(SummaryOperation op) {
    return op == SummaryOperation::Correlation || op == SummaryOperation::Covariance ||
           op == SummaryOperation::WeightedAverage;
}

bool UsesFrequencies(SummaryOperation op) {
    return op == SummaryOperation::DistinctCount || op == SummaryOperation::Mode ||
           op == SummaryOperation::NthMostFrequent;
}

} // namespace

SummaryAccumulator::SummaryAccumulator(SummaryOperation op, int number)
    : op_(op), number_(number), state_(StateFor(op)) {}

SummaryAccumulator::State SummaryAccumulator::StateFor(SummaryOperation op) {
    switch (op) {
    case SummaryOperation::Sum:
    case SummaryOperation::Average:
        return Totals{};
    case SummaryOperation::WeightedAverage:
        return Weights{};
    case SummaryOperation::Correlation:
    case SummaryOperation::Covariance:
        return std::make_unique<Covariation>();
    case SummaryOperation::Maximum:
    case SummaryOperation::Minimum:
        return Value{};
    case SummaryOperation::Median:
    case SummaryOperation::Percentile:
        return std::vector<double>{};
    case SummaryOperation::NthLargest:
    case SummaryOperation::NthSmallest:
        return std::vector<Value>{};
    default:
        break;
    }
    if (UsesFrequencies(op)) {
        return Frequencies{};
    }
    if (IsMomentOperation(op)) {
        return Moments{};
    }
    return std::monostate{};
}

void SummaryAccumulator::AddPair(double x, double y) {
    ++count_;
    if (auto* w = std::get_if<Weights>(&state_)) {
        w->weights += y;
        w->weighted += static_cast<long double>(x) * y;
        return;
    }
    Covariation& c = *std::get<std::unique_ptr<Covariation>>(state_);
    const long double n = static_cast<long double>(count_);
    const long double dx = x - c.meanX;
    const long double dy = y - c.meanY;
    c.meanX += dx / n;
    c.meanY += dy / n;
    c.m2X += dx * (x - c.meanX);
    c.m2Y += dy * (y - c.meanY);
    c.coMoment += dx * (y - c.meanY);
}

void SummaryAccumulator::Add(const Value& value, const Value& second) {
    if (IsNull(value)) {
        return;
    }
    if (IsPairOperation(op_)) {
        const auto x = NumberOf(value);
        const auto y = NumberOf(second);
        if (x && y) {
            AddPair(*x, *y);
        }
        return;
    }
    switch (op_) {
    case SummaryOperation::Sum: {
        auto& t = std::get<Totals>(state_);
        if (const auto* i = std::get_if<std::int64_t>(&value)) {
            ++count_;
            t.sum += static_cast<long double>(*i);
            if (t.integral && __builtin_add_overflow(t.whole, *i, &t.whole)) {
                t.integral = false;
            }
        } else if (const auto* d = std::get_if<double>(&value)) {
            ++count_;
            t.sum += *d;
            t.integral = false;
        }
        return;
    }
    case SummaryOperation::Average:
        if (const auto x = NumberOf(value)) {
            ++count_;
            std::get<Totals>(state_).sum += *x;
        }
        return;
    case SummaryOperation::Count:
        ++count_;
        return;
    case SummaryOperation::Maximum:
    case SummaryOperation::Minimum: {
        ++count_;
        auto& extreme = std::get<Value>(state_);
        const int c = CompareValues(value, extreme);
        if (IsNull(extreme) || (op_ == SummaryOperation::Maximum ? c > 0 : c < 0)) {
            extreme = value;
        }
        return;
    }
    case SummaryOperation::Median:
    case SummaryOperation::Percentile:
        if (const auto x = NumberOf(value)) {
            ++count_;
            std::get<std::vector<double>>(state_).push_back(*x);
        }
        return;
    case SummaryOperation::NthLargest:
    case SummaryOperation::NthSmallest: {
        ++count_;
        auto& kept = std::get<std::vector<Value>>(state_);
        kept.push_back(value);
        if (kept.size() > 2 * static_cast<std::size_t>(std::max(number_, 1)) + 16) {
            TrimKept();
        }
        return;
    }
    default:
        break;
    }
    if (UsesFrequencies(op_)) {
        ++count_;
        ++std::get<Frequencies>(state_)[value];
        return;
    }
    if (IsMomentOperation(op_)) {
        if (const auto x = NumberOf(value)) {
            ++count_;
            auto& m = std::get<Moments>(state_);
            const long double delta = *x - m.mean;
            m.mean += delta / static_cast<long double>(count_);
            m.m2 += delta * (*x - m.mean);
        }
    }
}

// Keeps only the N values that can still be the Nth largest (smallest).
void SummaryAccumulator::TrimKept() {
    auto& kept = std::get<std::vector<Value>>(state_);
    const std::size_t n = static_cast<std::size_t>(std::max(number_, 1));
    if (kept.size() <= n) {
        return;
    }
    const bool largest = op_ == SummaryOperation::NthLargest;
    std::nth_element(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(n - 1), kept.end(),
                     [largest](const Value& a, const Value& b) {
                         const int c = CompareValues(a, b);
                         return largest ? c > 0 : c < 0;
                     });
    kept.resize(n);
}

// Chan's parallel update of the means and squared deviations (count_ still this side's).
void SummaryAccumulator::MergeMoments(const SummaryAccumulator& other) {
    const long double na = static_cast<long double>(count_);
    const long double nb = static_cast<long double>(other.count_);
    const long double n = na + nb;
    auto& m = std::get<Moments>(state_);
    const auto& o = std::get<Moments>(other.state_);
    const long double d = o.mean - m.mean;
    m.m2 += o.m2 + d * d * na * nb / n;
    m.mean += d * nb / n;
}

void SummaryAccumulator::MergePair(const SummaryAccumulator& other) {
    if (auto* w = std::get_if<Weights>(&state_)) {
        const auto& o = std::get<Weights>(other.state_);
        w->weights += o.weights;
        w->weighted += o.weighted;
        return;
    }
    const long double na = static_cast<long double>(count_);
    const long double nb = static_cast<long double>(other.count_);
    const long double n = na + nb;
    Covariation& c = *std::get<std::unique_ptr<Covariation>>(state_);
    const Covariation& o = *std::get<std::unique_ptr<Covariation>>(other.state_);
    const long double dx = o.meanX - c.meanX;
    const long double dy = o.meanY - c.meanY;
    c.m2X += o.m2X + dx * dx * na * nb / n;
    c.m2Y += o.m2Y + dy * dy * na * nb / n;
    c.coMoment += o.coMoment + dx * dy * na * nb / n;
    c.meanX += dx * nb / n;
    c.meanY += dy * nb / n;
}

void SummaryAccumulator::Merge(const SummaryAccumulator& other) {
    if (other.count_ == 0 || other.op_ != op_) {
        return;
    }
    if (IsPairOperation(op_)) {
        MergePair(other);
    } else if (IsMomentOperation(op_)) {
        MergeMoments(other);
    } else if (auto* t = std::get_if<Totals>(&state_)) {
        const auto& o = std::get<Totals>(other.state_);
        t->sum += o.sum;
        if (!o.integral || (t->integral && __builtin_add_overflow(t->whole, o.whole, &t->whole))) {
            t->integral = false;
        }
    } else if (auto* extreme = std::get_if<Value>(&state_);
               extreme && (op_ == SummaryOperation::Maximum || op_ == SummaryOperation::Minimum)) {
        const auto& o = std::get<Value>(other.state_);
        const int c = CompareValues(o, *extreme);
        if (IsNull(*extreme) || (op_ == SummaryOperation::Maximum ? c > 0 : c < 0)) {
            *extreme = o;
        }
    } else if (auto* numbers = std::get_if<std::vector<double>>(&state_)) {
        const auto& o = std::get<std::vector<double>>(other.state_);
        numbers->insert(numbers->end(), o.begin(), o.end());
    } else if (auto* kept = std::get_if<std::vector<Value>>(&state_)) {
        const auto& o = std::get<std::vector<Value>>(other.state_);
        kept->insert(kept->end(), o.begin(), o.end());
        TrimKept();
    } else if (auto* freq = std::get_if<Frequencies>(&state_)) {
        for (const auto& [v, c] : std::get<Frequencies>(other.state_)) {
            (*freq)[v] += c;
        }
    }
    count_ += other.count_;
}

Value SummaryAccumulator::MomentResult() const {
    const long double n = static_cast<long double>(count_);
    const long double m2 = std::get<Moments>(state_).m2;
    const bool sample =
        op_ == SummaryOperation::SampleVariance || op_ == SummaryOperation::SampleStdDev;
    if (sample && count_ < 2) {
        return {};
    }
    const long double var = std::max<long double>(m2 / (sample ? n - 1 : n), 0);
    const bool variance =
        op_ == SummaryOperation::SampleVariance || op_ == SummaryOperation::PopulationVariance;
    return static_cast<double>(variance ? var : std::sqrt(var));
}

Value SummaryAccumulator::PairResult() const {
    if (const auto* w = std::get_if<Weights>(&state_)) {
        if (w->weights == 0) {
            return {};
        }
        return static_cast<double>(w->weighted / w->weights);
    }
    const Covariation& c = *std::get<std::unique_ptr<Covariation>>(state_);
    if (op_ == SummaryOperation::Covariance) {
        return static_cast<double>(c.coMoment / static_cast<long double>(count_));
    }
    if (c.m2X <= 0 || c.m2Y <= 0) {
        return {};
    }
    const long double r = c.coMoment / std::sqrt(c.m2X * c.m2Y);
    return static_cast<double>(std::clamp<long double>(r, -1, 1));
}

// Median, percentile, Nth largest/smallest, mode and Nth most frequent.
Value SummaryAccumulator::RankedResult() const {
    switch (op_) {
    case SummaryOperation::Median:
    case SummaryOperation::Percentile: {
        std::vector<double> v = std::get<std::vector<double>>(state_);
        std::sort(v.begin(), v.end());
        const long double p = op_ == SummaryOperation::Median ? 50.0L : std::clamp(number_, 0, 100);
        const long double rank = p / 100 * static_cast<long double>(v.size() - 1);
        const std::size_t lo = static_cast<std::size_t>(std::floor(rank));
        const std::size_t hi = std::min(lo + 1, v.size() - 1);
        const long double frac = rank - static_cast<long double>(lo);
        return static_cast<double>(v[lo] + (static_cast<long double>(v[hi]) - v[lo]) * frac);
    }
    case SummaryOperation::NthLargest:
    case SummaryOperation::NthSmallest: {
        const auto& kept = std::get<std::vector<Value>>(state_);
        if (number_ < 1 || kept.size() < static_cast<std::size_t>(number_)) {
            return {};
        }
        std::vector<Value> v = kept;
        const bool largest = op_ == SummaryOperation::NthLargest;
        std::sort(v.begin(), v.end(), [largest](const Value& a, const Value& b) {
            const int c = CompareValues(a, b);
            return largest ? c > 0 : c < 0;
        });
        return v[static_cast<std::size_t>(number_ - 1)];
    }
    default: {
        const auto& freq = std::get<Frequencies>(state_);
        const int n = op_ == SummaryOperation::Mode ? 1 : number_;
        if (n < 1 || freq.size() < static_cast<std::size_t>(n)) {
            return {};
        }
        // freq iterates in ascending value order; a stable sort by count keeps the smaller
        // value first among equally frequent ones.
        std::vector<std::pair<const Value*, std::int64_t>> ranked;
        ranked.reserve(freq.size());
        for (const auto& [v, c] : freq) {
            ranked.emplace_back(&v, c);
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        return *ranked[static_cast<std::size_t>(n - 1)].first;
    }
    }
}

bool SummaryAccumulator::MergesFromParts(SummaryOperation op) {
    return op == SummaryOperation::Sum || op == SummaryOperation::Average ||
           op == SummaryOperation::Count || op == SummaryOperation::Maximum ||
           op == SummaryOperation::Minimum || IsMomentOperation(op) || IsPairOperation(op);
}

SummaryAccumulator SummaryAccumulator::FromParts(SummaryOperation op, int number,
                                                 const SummaryParts& parts) {
    SummaryAccumulator a(op, number);
    a.count_ = parts.count;
    if (auto* t = std::get_if<Totals>(&a.state_)) {
        t->sum = parts.sum;
        constexpr long double kLimit = 9223372036854775807.0L;
        t->integral = parts.sum == std::floor(parts.sum) && std::fabs(parts.sum) <= kLimit;
        t->whole = t->integral ? static_cast<std::int64_t>(parts.sum) : 0;
    } else if (auto* m = std::get_if<Moments>(&a.state_)) {
        *m = Moments{parts.mean, parts.m2};
    } else if (auto* w = std::get_if<Weights>(&a.state_)) {
        *w = Weights{parts.weights, parts.weighted};
    } else if (auto* c = std::get_if<std::unique_ptr<Covariation>>(&a.state_)) {
        **c = Covariation{parts.mean, parts.meanY, parts.m2, parts.m2Y, parts.coMoment};
    } else if (op != SummaryOperation::Count) {
        // The extreme of maximum and minimum; the final value of the others.
        a.state_ = parts.value;
    }
    return a;
}

Value SummaryAccumulator::Result() const {
    if (const auto* computed = std::get_if<Value>(&state_);
        computed && op_ != SummaryOperation::Maximum && op_ != SummaryOperation::Minimum) {
        return *computed; // computed by a database (FromParts)
    }
    switch (op_) {
    case SummaryOperation::Sum: {
        const auto& t = std::get<Totals>(state_);
        if (t.integral) {
            return t.whole;
        }
        return static_cast<double>(t.sum);
    }
    case SummaryOperation::Count:
        return count_;
    case SummaryOperation::DistinctCount:
        return static_cast<std::int64_t>(std::get<Frequencies>(state_).size());
    default:
        break;
    }
    if (count_ == 0) {
        return {};
    }
    if (IsMomentOperation(op_)) {
        return MomentResult();
    }
    if (IsPairOperation(op_)) {
        return PairResult();
    }
    switch (op_) {
    case SummaryOperation::Average:
        return static_cast<double>(std::get<Totals>(state_).sum / static_cast<long double>(count_));
    case SummaryOperation::Maximum:
    case SummaryOperation::Minimum:
        return std::get<Value>(state_);
    default:
        return RankedResult();
    }
}

} // namespace foliant::engine::run
