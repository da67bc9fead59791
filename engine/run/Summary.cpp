#include "engine/run/Summary.h"

#include "engine/run/SummaryState.h"

#include <algorithm>
#include <new>
#include <tuple>

namespace foliant::engine::run {

namespace {

static_assert(alignof(long double) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
              "a block from operator new holds any state");

template <typename T> T& At(std::byte* block, std::uint32_t offset) {
    return *std::launder(reinterpret_cast<T*>(block + offset));
}
template <typename T> const T& At(const std::byte* block, std::uint32_t offset) {
    return *std::launder(reinterpret_cast<const T*>(block + offset));
}

// What makes two summaries read one state: the same kind over the same fields, for the same
// maximum or minimum, and for Nth largest/smallest the same N. Summaries with no field, and
// values a database computed, keep a state of their own.
auto ShareKey(const SummaryRule& rule, std::size_t index) {
    const state::Kind kind = state::KindOf(rule);
    const bool own = !rule.field || kind == state::Kind::Final;
    const bool byOperation = kind == state::Kind::Extreme || kind == state::Kind::Kept;
    return std::make_tuple(kind, own ? index : 0, rule.field, rule.second,
                           byOperation ? static_cast<int>(rule.operation) : -1,
                           kind == state::Kind::Kept ? rule.number : 0);
}

} // namespace

SummaryLayout::SummaryLayout(std::vector<SummaryRule> rules) : rules_(std::move(rules)) {
    std::vector<decltype(ShareKey({}, 0))> keys;
    for (std::size_t s = 0; s < rules_.size(); ++s) {
        const auto key = ShareKey(rules_[s], s);
        const auto found = std::find(keys.begin(), keys.end(), key);
        slotOf_.push_back(static_cast<std::size_t>(found - keys.begin()));
        if (found == keys.end()) {
            keys.push_back(key);
            slots_.push_back({state::KindOf(rules_[s]), 0, s});
        }
    }
    // The most aligned states first, so that no padding lies between them.
    std::vector<std::size_t> order(slots_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    const auto align = [this](std::size_t i) {
        return state::WithType(slots_[i].kind,
                               [](auto t) { return alignof(typename decltype(t)::type); });
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return align(a) > align(b); });
    for (const std::size_t i : order) {
        const std::size_t size = state::WithType(
            slots_[i].kind, [](auto t) { return sizeof(typename decltype(t)::type); });
        bytes_ = (bytes_ + align(i) - 1) / align(i) * align(i);
        slots_[i].offset = static_cast<std::uint32_t>(bytes_);
        bytes_ += size;
    }
}

std::byte* SummaryLayout::NewBlock() const {
    if (bytes_ == 0) {
        return nullptr;
    }
    auto* block = static_cast<std::byte*>(::operator new(bytes_));
    for (const Slot& slot : slots_) {
        state::WithType(slot.kind, [&](auto t) {
            using T = typename decltype(t)::type;
            new (block + slot.offset) T();
        });
    }
    return block;
}

void SummaryLayout::FreeBlock(std::byte* block) const {
    if (!block) {
        return;
    }
    for (const Slot& slot : slots_) {
        state::WithType(slot.kind, [&](auto t) {
            using T = typename decltype(t)::type;
            At<T>(block, slot.offset).~T();
        });
    }
    ::operator delete(block);
}

void SummaryLayout::AddTo(std::byte* block, const Slot& slot, const Value& x,
                          const Value& y) const {
    state::WithType(slot.kind, [&](auto t) {
        using T = typename decltype(t)::type;
        if constexpr (requires(T & s, const SummaryRule& r) { s.Add(x, y, r); }) {
            At<T>(block, slot.offset).Add(x, y, rules_[slot.reader]);
        }
    });
}

void SummaryLayout::Merge(std::byte* into, const std::byte* from) const {
    for (const Slot& slot : slots_) {
        state::WithType(slot.kind, [&](auto t) {
            using T = typename decltype(t)::type;
            if constexpr (requires(T & s, const SummaryRule& r) { s.Merge(s, r); }) {
                At<T>(into, slot.offset).Merge(At<T>(from, slot.offset), rules_[slot.reader]);
            }
        });
    }
}

Value SummaryLayout::Result(const std::byte* block, std::size_t summary) const {
    if (summary >= rules_.size()) {
        return {};
    }
    const Slot& slot = slots_[slotOf_[summary]];
    return state::WithType(slot.kind, [&](auto t) {
        using T = typename decltype(t)::type;
        return At<T>(block, slot.offset).Result(rules_[summary]);
    });
}

void SummaryLayout::Set(std::byte* block, std::size_t summary, const SummaryParts& parts) const {
    if (summary >= rules_.size()) {
        return;
    }
    const Slot& slot = slots_[slotOf_[summary]];
    state::WithType(slot.kind, [&](auto t) {
        using T = typename decltype(t)::type;
        if constexpr (requires(T & s) { s.Set(parts); }) {
            At<T>(block, slot.offset).Set(parts);
        }
    });
}

// --- One summary on its own -------------------------------------------------------------------

SummaryAccumulator::SummaryAccumulator(SummaryOperation op, int number)
    : layout_(std::make_unique<SummaryLayout>(std::vector<SummaryRule>{{op, number}})),
      block_(layout_->NewBlock()) {}

SummaryAccumulator::SummaryAccumulator(SummaryAccumulator&& other) noexcept
    : layout_(std::move(other.layout_)), block_(std::exchange(other.block_, nullptr)) {}

SummaryAccumulator::~SummaryAccumulator() {
    if (layout_) {
        layout_->FreeBlock(block_);
    }
}

void SummaryAccumulator::Add(const Value& value, const Value& second) {
    layout_->Add(block_, [&](std::size_t) { return SummaryInputs{value, second}; });
}

void SummaryAccumulator::Merge(const SummaryAccumulator& other) {
    const SummaryRule& mine = layout_->Rule(0);
    const SummaryRule& theirs = other.layout_->Rule(0);
    if (mine.operation == theirs.operation && mine.number == theirs.number) {
        layout_->Merge(block_, other.block_);
    }
}

Value SummaryAccumulator::Result() const {
    return layout_->Result(block_, 0);
}

bool SummaryAccumulator::MergesFromParts(SummaryOperation op) {
    using Op = SummaryOperation;
    switch (op) {
    case Op::Sum:
    case Op::Average:
    case Op::Count:
    case Op::Maximum:
    case Op::Minimum:
    case Op::SampleVariance:
    case Op::SampleStdDev:
    case Op::PopulationVariance:
    case Op::PopulationStdDev:
    case Op::Correlation:
    case Op::Covariance:
    case Op::WeightedAverage:
        return true;
    default:
        return false;
    }
}

} // namespace foliant::engine::run
