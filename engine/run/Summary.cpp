#include "engine/run/Summary.h"

#include <algorithm>
#include <cmath>

namespace foliant::engine::run {

namespace {

bool IsMomentOperation(SummaryOperation op) {
    switch (op) {
    case SummaryOperation::Average:
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
    : op_(op), number_(number) {}

void SummaryAccumulator::AddNumber(double x) {
    ++count_;
    sum_ += x;
    const long double delta = x - mean_;
    mean_ += delta / static_cast<long double>(count_);
    m2_ += delta * (x - mean_);
}

void SummaryAccumulator::Add(const Value& value, const Value& second) {
    if (IsNull(value)) {
        return;
    }
    if (IsPairOperation(op_)) {
        const auto x = NumberOf(value);
        const auto y = NumberOf(second);
        if (!x || !y) {
            return;
        }
        ++count_;
        const long double n = static_cast<long double>(count_);
        const long double dx = *x - mean_;
        const long double dy = *y - meanY_;
        mean_ += dx / n;
        meanY_ += dy / n;
        m2_ += dx * (*x - mean_);
        m2Y_ += dy * (*y - meanY_);
        coMoment_ += dx * (*y - meanY_);
        weightSum_ += *y;
        weightedSum_ += static_cast<long double>(*x) * *y;
        return;
    }
    switch (op_) {
    case SummaryOperation::Sum: {
        if (const auto* i = std::get_if<std::int64_t>(&value)) {
            ++count_;
            sum_ += static_cast<long double>(*i);
            if (integral_ && __builtin_add_overflow(intSum_, *i, &intSum_)) {
                integral_ = false;
            }
        } else if (const auto* d = std::get_if<double>(&value)) {
            ++count_;
            sum_ += *d;
            integral_ = false;
        }
        return;
    }
    case SummaryOperation::Count:
        ++count_;
        return;
    case SummaryOperation::Maximum:
    case SummaryOperation::Minimum: {
        ++count_;
        const int c = CompareValues(value, extreme_);
        if (IsNull(extreme_) || (op_ == SummaryOperation::Maximum ? c > 0 : c < 0)) {
            extreme_ = value;
        }
        return;
    }
    case SummaryOperation::Median:
    case SummaryOperation::Percentile:
        if (const auto x = NumberOf(value)) {
            ++count_;
            numbers_.push_back(*x);
        }
        return;
    case SummaryOperation::NthLargest:
    case SummaryOperation::NthSmallest:
        ++count_;
        kept_.push_back(value);
        if (kept_.size() > 2 * static_cast<std::size_t>(std::max(number_, 1)) + 16) {
            TrimKept();
        }
        return;
    default:
        break;
    }
    if (UsesFrequencies(op_)) {
        ++count_;
        ++freq_[value];
        return;
    }
    if (IsMomentOperation(op_)) {
        if (const auto x = NumberOf(value)) {
            AddNumber(*x);
        }
    }
}

// Keeps only the N values that can still be the Nth largest (smallest).
void SummaryAccumulator::TrimKept() {
    const std::size_t n = static_cast<std::size_t>(std::max(number_, 1));
    if (kept_.size() <= n) {
        return;
    }
    const bool largest = op_ == SummaryOperation::NthLargest;
    std::nth_element(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(n - 1), kept_.end(),
                     [largest](const Value& a, const Value& b) {
                         const int c = CompareValues(a, b);
                         return largest ? c > 0 : c < 0;
                     });
    kept_.resize(n);
}

void SummaryAccumulator::Merge(const SummaryAccumulator& other) {
    if (other.count_ == 0) {
        return;
    }
    const long double na = static_cast<long double>(count_);
    const long double nb = static_cast<long double>(other.count_);
    const long double n = na + nb;
    const long double dx = other.mean_ - mean_;
    const long double dy = other.meanY_ - meanY_;
    m2_ += other.m2_ + dx * dx * na * nb / n;
    m2Y_ += other.m2Y_ + dy * dy * na * nb / n;
    coMoment_ += other.coMoment_ + dx * dy * na * nb / n;
    mean_ += dx * nb / n;
    meanY_ += dy * nb / n;
    count_ += other.count_;
    sum_ += other.sum_;
    if (!other.integral_ ||
        (integral_ && __builtin_add_overflow(intSum_, other.intSum_, &intSum_))) {
        integral_ = false;
    }
    weightSum_ += other.weightSum_;
    weightedSum_ += other.weightedSum_;
    if (!IsNull(other.extreme_)) {
        const int c = CompareValues(other.extreme_, extreme_);
        if (IsNull(extreme_) || (op_ == SummaryOperation::Maximum ? c > 0 : c < 0)) {
            extreme_ = other.extreme_;
        }
    }
    numbers_.insert(numbers_.end(), other.numbers_.begin(), other.numbers_.end());
    kept_.insert(kept_.end(), other.kept_.begin(), other.kept_.end());
    TrimKept();
    for (const auto& [v, c] : other.freq_) {
        freq_[v] += c;
    }
}

Value SummaryAccumulator::Result() const {
    const long double n = static_cast<long double>(count_);
    switch (op_) {
    case SummaryOperation::Sum:
        if (integral_) {
            return intSum_;
        }
        return static_cast<double>(sum_);
    case SummaryOperation::Count:
        return count_;
    case SummaryOperation::DistinctCount:
        return static_cast<std::int64_t>(freq_.size());
    default:
        break;
    }
    if (count_ == 0) {
        return {};
    }
    switch (op_) {
    case SummaryOperation::Average:
        return static_cast<double>(sum_ / n);
    case SummaryOperation::SampleVariance:
    case SummaryOperation::SampleStdDev: {
        if (count_ < 2) {
            return {};
        }
        const long double var = std::max<long double>(m2_ / (n - 1), 0);
        return static_cast<double>(op_ == SummaryOperation::SampleVariance ? var : std::sqrt(var));
    }
    case SummaryOperation::PopulationVariance:
    case SummaryOperation::PopulationStdDev: {
        const long double var = std::max<long double>(m2_ / n, 0);
        return static_cast<double>(op_ == SummaryOperation::PopulationVariance ? var
                                                                               : std::sqrt(var));
    }
    case SummaryOperation::Maximum:
    case SummaryOperation::Minimum:
        return extreme_;
    case SummaryOperation::Correlation: {
        if (m2_ <= 0 || m2Y_ <= 0) {
            return {};
        }
        const long double r = coMoment_ / std::sqrt(m2_ * m2Y_);
        return static_cast<double>(std::clamp<long double>(r, -1, 1));
    }
    case SummaryOperation::Covariance:
        return static_cast<double>(coMoment_ / n);
    case SummaryOperation::WeightedAverage:
        if (weightSum_ == 0) {
            return {};
        }
        return static_cast<double>(weightedSum_ / weightSum_);
    case SummaryOperation::Median:
    case SummaryOperation::Percentile: {
        std::vector<double> v = numbers_;
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
        if (number_ < 1 || kept_.size() < static_cast<std::size_t>(number_)) {
            return {};
        }
        std::vector<Value> v = kept_;
        const bool largest = op_ == SummaryOperation::NthLargest;
        std::sort(v.begin(), v.end(), [largest](const Value& a, const Value& b) {
            const int c = CompareValues(a, b);
            return largest ? c > 0 : c < 0;
        });
        return v[static_cast<std::size_t>(number_ - 1)];
    }
    case SummaryOperation::Mode:
    case SummaryOperation::NthMostFrequent: {
        const int n = op_ == SummaryOperation::Mode ? 1 : number_;
        if (n < 1 || freq_.size() < static_cast<std::size_t>(n)) {
            return {};
        }
        // freq_ iterates in ascending value order; a stable sort by count keeps the smaller
        // value first among equally frequent ones.
        std::vector<std::pair<const Value*, std::int64_t>> ranked;
        ranked.reserve(freq_.size());
        for (const auto& [v, c] : freq_) {
            ranked.emplace_back(&v, c);
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        return *ranked[static_cast<std::size_t>(n - 1)].first;
    }
    default:
        return {};
    }
}

} // namespace foliant::engine::run
