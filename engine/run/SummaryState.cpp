#include "engine/run/SummaryState.h"

#include <algorithm>
#include <cmath>

namespace foliant::engine::run::state {

using Op = SummaryOperation;

Kind KindOf(const SummaryRule& rule) {
    if (rule.fromDatabase && !SummaryAccumulator::MergesFromParts(rule.operation)) {
        return Kind::Final;
    }
    switch (rule.operation) {
    case Op::Sum:
    case Op::Average:
        return Kind::Totals;
    case Op::Count:
        return Kind::Count;
    case Op::Maximum:
    case Op::Minimum:
        return Kind::Extreme;
    case Op::SampleVariance:
    case Op::SampleStdDev:
    case Op::PopulationVariance:
    case Op::PopulationStdDev:
        return Kind::Moments;
    case Op::Correlation:
    case Op::Covariance:
        return Kind::Covariation;
    case Op::WeightedAverage:
        return Kind::Weights;
    case Op::Median:
    case Op::Percentile:
        return Kind::Numbers;
    case Op::NthLargest:
    case Op::NthSmallest:
        return Kind::Kept;
    default:
        return Kind::Frequencies;
    }
}

// --- Totals ---------------------------------------------------------------------------------

void Totals::Add(const Value& x, const Value&, const SummaryRule&) {
    if (const auto* i = std::get_if<std::int64_t>(&x)) {
        ++count;
        sum += static_cast<long double>(*i);
        if (integral && __builtin_add_overflow(whole, *i, &whole)) {
            integral = false;
        }
    } else if (const auto* d = std::get_if<double>(&x)) {
        ++count;
        sum += *d;
        integral = false;
    }
}

void Totals::Merge(const Totals& other, const SummaryRule&) {
    sum += other.sum;
    if (!other.integral || (integral && __builtin_add_overflow(whole, other.whole, &whole))) {
        integral = false;
    }
    count += other.count;
}

void Totals::Set(const SummaryParts& parts) {
    constexpr long double kLimit = 9223372036854775807.0L;
    count = parts.count;
    sum = parts.sum;
    integral = parts.sum == std::floor(parts.sum) && std::fabs(parts.sum) <= kLimit;
    whole = integral ? static_cast<std::int64_t>(parts.sum) : 0;
}

Value Totals::Result(const SummaryRule& reader) const {
    if (reader.operation == Op::Sum) {
        return integral ? Value{whole} : Value{static_cast<double>(sum)};
    }
    if (count == 0) {
        return {};
    }
    return static_cast<double>(sum / static_cast<long double>(count));
}

// --- Extreme --------------------------------------------------------------------------------

void Extreme::Add(const Value& x, const Value&, const SummaryRule& rule) {
    if (IsNull(x)) {
        return;
    }
    const int c = CompareValues(x, value);
    if (IsNull(value) || (rule.operation == Op::Maximum ? c > 0 : c < 0)) {
        value = x;
    }
}

// --- Moments --------------------------------------------------------------------------------

void Moments::Add(const Value& x, const Value&, const SummaryRule&) {
    if (const auto v = NumberOf(x)) {
        ++count;
        const long double delta = *v - mean;
        mean += delta / static_cast<long double>(count);
        m2 += delta * (*v - mean);
    }
}

// Chan's parallel update of the means and squared deviations.
void Moments::Merge(const Moments& other, const SummaryRule&) {
    if (other.count == 0) {
        return;
    }
    const long double na = static_cast<long double>(count);
    const long double nb = static_cast<long double>(other.count);
    const long double n = na + nb;
    const long double d = other.mean - mean;
    m2 += other.m2 + d * d * na * nb / n;
    mean += d * nb / n;
    count += other.count;
}

void Moments::Set(const SummaryParts& parts) {
    count = parts.count;
    mean = parts.mean;
    m2 = parts.m2;
}

Value Moments::Result(const SummaryRule& reader) const {
    const Op op = reader.operation;
    const bool sample = op == Op::SampleVariance || op == Op::SampleStdDev;
    if (count == 0 || (sample && count < 2)) {
        return {};
    }
    const long double n = static_cast<long double>(count);
    const long double var = std::max<long double>(m2 / (sample ? n - 1 : n), 0);
    const bool variance = op == Op::SampleVariance || op == Op::PopulationVariance;
    return static_cast<double>(variance ? var : std::sqrt(var));
}

// --- Covariation ----------------------------------------------------------------------------

void Covariation::Add(const Value& x, const Value& y, const SummaryRule&) {
    const auto vx = NumberOf(x);
    const auto vy = NumberOf(y);
    if (!vx || !vy) {
        return;
    }
    ++count;
    const long double n = static_cast<long double>(count);
    const long double dx = *vx - meanX;
    const long double dy = *vy - meanY;
    meanX += dx / n;
    meanY += dy / n;
    m2X += dx * (*vx - meanX);
    m2Y += dy * (*vy - meanY);
    coMoment += dx * (*vy - meanY);
}

void Covariation::Merge(const Covariation& other, const SummaryRule&) {
    if (other.count == 0) {
        return;
    }
    const long double na = static_cast<long double>(count);
    const long double nb = static_cast<long double>(other.count);
    const long double n = na + nb;
    const long double dx = other.meanX - meanX;
    const long double dy = other.meanY - meanY;
    m2X += other.m2X + dx * dx * na * nb / n;
    m2Y += other.m2Y + dy * dy * na * nb / n;
    coMoment += other.coMoment + dx * dy * na * nb / n;
    meanX += dx * nb / n;
    meanY += dy * nb / n;
    count += other.count;
}

void Covariation::Set(const SummaryParts& parts) {
    count = parts.count;
    meanX = parts.mean;
    meanY = parts.meanY;
    m2X = parts.m2;
    m2Y = parts.m2Y;
    coMoment = parts.coMoment;
}

Value Covariation::Result(const SummaryRule& reader) const {
    if (count == 0) {
        return {};
    }
    if (reader.operation == Op::Covariance) {
        return static_cast<double>(coMoment / static_cast<long double>(count));
    }
    if (m2X <= 0 || m2Y <= 0) {
        return {};
    }
    const long double r = coMoment / std::sqrt(m2X * m2Y);
    return static_cast<double>(std::clamp<long double>(r, -1, 1));
}

// --- Weights --------------------------------------------------------------------------------

void Weights::Add(const Value& x, const Value& w, const SummaryRule&) {
    const auto vx = NumberOf(x);
    const auto vw = NumberOf(w);
    if (vx && vw) {
        weights += *vw;
        weighted += static_cast<long double>(*vx) * *vw;
    }
}

void Weights::Merge(const Weights& other, const SummaryRule&) {
    weights += other.weights;
    weighted += other.weighted;
}

void Weights::Set(const SummaryParts& parts) {
    weights = parts.weights;
    weighted = parts.weighted;
}

Value Weights::Result(const SummaryRule&) const {
    if (weights == 0) {
        return {};
    }
    return static_cast<double>(weighted / weights);
}

// --- Numbers --------------------------------------------------------------------------------

void Numbers::Add(const Value& x, const Value&, const SummaryRule&) {
    if (const auto v = NumberOf(x)) {
        kept.push_back(*v);
    }
}

void Numbers::Merge(const Numbers& other, const SummaryRule&) {
    kept.insert(kept.end(), other.kept.begin(), other.kept.end());
}

Value Numbers::Result(const SummaryRule& reader) const {
    if (kept.empty()) {
        return {};
    }
    std::vector<double> v = kept;
    std::sort(v.begin(), v.end());
    const long double p =
        reader.operation == Op::Median ? 50.0L : std::clamp(reader.number, 0, 100);
    const long double rank = p / 100 * static_cast<long double>(v.size() - 1);
    const std::size_t lo = static_cast<std::size_t>(std::floor(rank));
    const std::size_t hi = std::min(lo + 1, v.size() - 1);
    const long double frac = rank - static_cast<long double>(lo);
    return static_cast<double>(v[lo] + (static_cast<long double>(v[hi]) - v[lo]) * frac);
}

// --- Kept -----------------------------------------------------------------------------------

namespace {

auto RankOrder(const SummaryRule& rule) {
    return [largest = rule.operation == Op::NthLargest](const Value& a, const Value& b) {
        const int c = CompareValues(a, b);
        return largest ? c > 0 : c < 0;
    };
}

} // namespace

void Kept::Add(const Value& x, const Value&, const SummaryRule& rule) {
    kept.push_back(x);
    if (kept.size() > 2 * static_cast<std::size_t>(std::max(rule.number, 1)) + 16) {
        Trim(rule);
    }
}

void Kept::Merge(const Kept& other, const SummaryRule& rule) {
    kept.insert(kept.end(), other.kept.begin(), other.kept.end());
    Trim(rule);
}

// Keeps only the N values that can still be the Nth largest (smallest).
void Kept::Trim(const SummaryRule& rule) {
    const std::size_t n = static_cast<std::size_t>(std::max(rule.number, 1));
    if (kept.size() <= n) {
        return;
    }
    std::nth_element(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(n - 1), kept.end(),
                     RankOrder(rule));
    kept.resize(n);
}

Value Kept::Result(const SummaryRule& reader) const {
    if (reader.number < 1 || kept.size() < static_cast<std::size_t>(reader.number)) {
        return {};
    }
    std::vector<Value> v = kept;
    std::sort(v.begin(), v.end(), RankOrder(reader));
    return v[static_cast<std::size_t>(reader.number - 1)];
}

// --- Frequencies ----------------------------------------------------------------------------

void Frequencies::Merge(const Frequencies& other, const SummaryRule&) {
    for (const auto& [v, c] : other.seen) {
        seen[v] += c;
    }
}

Value Frequencies::Result(const SummaryRule& reader) const {
    if (reader.operation == Op::DistinctCount) {
        return static_cast<std::int64_t>(seen.size());
    }
    const int n = reader.operation == Op::Mode ? 1 : reader.number;
    if (n < 1 || seen.size() < static_cast<std::size_t>(n)) {
        return {};
    }
    // seen iterates in ascending value order; a stable sort by count keeps the smaller value
    // first among equally frequent ones.
    std::vector<std::pair<const Value*, std::int64_t>> ranked;
    ranked.reserve(seen.size());
    for (const auto& [v, c] : seen) {
        ranked.emplace_back(&v, c);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return *ranked[static_cast<std::size_t>(n - 1)].first;
}

} // namespace foliant::engine::run::state
