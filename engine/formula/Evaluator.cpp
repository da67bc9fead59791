#include "engine/formula/Formula.h"
#include "engine/formula/TextMatch.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace foliant::engine::formula {

namespace {

constexpr std::int32_t kFirstDay = DaysFromCivil(1, 1, 1);
constexpr std::int32_t kLastDay = DaysFromCivil(9999, 12, 31);
constexpr std::int64_t kSecondsPerDay = 86400;

bool IsNumber(const Value& v) {
    return std::holds_alternative<std::int64_t>(v) || std::holds_alternative<double>(v);
}

double ToDouble(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return static_cast<double>(*i);
    }
    return std::get<double>(v);
}

int Sign(auto a, auto b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Exact comparison of an integer with a double (no rounding of large integers).
std::optional<int> CompareIntDouble(std::int64_t i, double d) {
    if (std::isnan(d)) {
        return std::nullopt;
    }
    if (d >= 9223372036854775808.0) {
        return -1;
    }
    if (d < -9223372036854775808.0) {
        return 1;
    }
    const double whole = std::floor(d);
    const auto wi = static_cast<std::int64_t>(whole);
    if (i != wi) {
        return Sign(i, wi);
    }
    return d > whole ? -1 : 0;
}

std::optional<int> CompareNumbers(const Value& a, const Value& b) {
    const auto* ai = std::get_if<std::int64_t>(&a);
    const auto* bi = std::get_if<std::int64_t>(&b);
    if (ai && bi) {
        return Sign(*ai, *bi);
    }
    if (ai) {
        return CompareIntDouble(*ai, std::get<double>(b));
    }
    if (bi) {
        auto r = CompareIntDouble(*bi, std::get<double>(a));
        return r ? std::optional<int>(-*r) : std::nullopt;
    }
    const double x = std::get<double>(a);
    const double y = std::get<double>(b);
    if (std::isnan(x) || std::isnan(y)) {
        return std::nullopt;
    }
    return Sign(x, y);
}

bool IsDateLikeValue(const Value& v) {
    return std::holds_alternative<Date>(v) || std::holds_alternative<DateTime>(v);
}

std::int64_t SecondsOf(const Value& v) {
    if (const auto* d = std::get_if<Date>(&v)) {
        return static_cast<std::int64_t>(d->days) * kSecondsPerDay;
    }
    return std::get<DateTime>(v).seconds;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

// Three-way comparison of two non-null values of comparable types; nullopt when unordered.
std::optional<int> CompareValues(const Value& a, const Value& b) {
    if (IsNumber(a) && IsNumber(b)) {
        return CompareNumbers(a, b);
    }
    if (IsDateLikeValue(a) && IsDateLikeValue(b)) {
        return Sign(SecondsOf(a), SecondsOf(b));
    }
    if (const auto* s = std::get_if<std::string>(&a)) {
        if (const auto* t = std::get_if<std::string>(&b)) {
            const int c = s->compare(*t);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
    }
    if (const auto* x = std::get_if<bool>(&a)) {
        if (const auto* y = std::get_if<bool>(&b)) {
            return Sign(*x, *y);
        }
    }
    if (const auto* x = std::get_if<TimeOfDay>(&a)) {
        if (const auto* y = std::get_if<TimeOfDay>(&b)) {
            return Sign(x->seconds, y->seconds);
        }
    }
    return std::nullopt;
}

bool Holds(CompareOp op, int c) {
    switch (op) {
    case CompareOp::Equal:
        return c == 0;
    case CompareOp::NotEqual:
        return c != 0;
    case CompareOp::Less:
        return c < 0;
    case CompareOp::LessOrEqual:
        return c <= 0;
    case CompareOp::Greater:
        return c > 0;
    case CompareOp::GreaterOrEqual:
        return c >= 0;
    }
    return false;
}

std::string TwoDigits(unsigned v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string DateText(std::int32_t days) {
    const CivilDate c = CivilFromDays(days);
    std::string y = std::to_string(c.year);
    while (y.size() < 4) {
        y.insert(0, "0");
    }
    return y + "-" + TwoDigits(c.month) + "-" + TwoDigits(c.day);
}

std::string TimeText(std::int64_t seconds) {
    return TwoDigits(static_cast<unsigned>(seconds / 3600)) + ":" +
           TwoDigits(static_cast<unsigned>(seconds / 60 % 60)) + ":" +
           TwoDigits(static_cast<unsigned>(seconds % 60));
}

// The text `&` makes of a value: numbers as the shortest exact decimal, dates as
// YYYY-MM-DD, times as HH:MM:SS, Booleans as True/False.
std::string ToText(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) {
        return *s;
    }
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return std::to_string(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *d);
        return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    if (const auto* b = std::get_if<bool>(&v)) {
        return *b ? "True" : "False";
    }
    if (const auto* d = std::get_if<Date>(&v)) {
        return DateText(d->days);
    }
    if (const auto* t = std::get_if<TimeOfDay>(&v)) {
        return TimeText(t->seconds);
    }
    if (const auto* dt = std::get_if<DateTime>(&v)) {
        const std::int64_t day = FloorDiv(dt->seconds, kSecondsPerDay);
        return DateText(static_cast<std::int32_t>(day)) + " " +
               TimeText(dt->seconds - day * kSecondsPerDay);
    }
    return std::string();
}

// Dates within the years 1 to 9999 and times within a day: what every value the evaluator
// works on satisfies, so date arithmetic never overflows.
bool InRange(const Value& v) {
    if (const auto* d = std::get_if<Date>(&v)) {
        return d->days >= kFirstDay && d->days <= kLastDay;
    }
    if (const auto* dt = std::get_if<DateTime>(&v)) {
        return dt->seconds >= kFirstDay * kSecondsPerDay &&
               dt->seconds < (kLastDay + 1) * kSecondsPerDay;
    }
    if (const auto* t = std::get_if<TimeOfDay>(&v)) {
        return t->seconds >= 0 && t->seconds < kSecondsPerDay;
    }
    return true;
}

class Evaluator {
public:
    Evaluator(const CheckedFormula& f, const RecordSource& record, Date today)
        : formula_(f), record_(record), today_(today), fields_(f.Fields().size()) {}

    Value Eval(const Node& n) {
        switch (n.kind) {
        case NodeKind::Literal:
            return n.literal;
        case NodeKind::Field:
            return FieldValue(n.field);
        case NodeKind::Group:
            return Eval(*n.children[0]);
        case NodeKind::Negate:
            return Negate(Eval(*n.children[0]));
        case NodeKind::Not:
            return !Test(*n.children[0]);
        case NodeKind::And:
            for (const auto& c : n.children) {
                if (!Test(*c)) {
                    return false;
                }
            }
            return true;
        case NodeKind::Or:
            for (const auto& c : n.children) {
                if (Test(*c)) {
                    return true;
                }
            }
            return false;
        case NodeKind::Arithmetic:
            return Arithmetic(n);
        case NodeKind::Compare: {
            const Value a = Eval(*n.children[0]);
            const Value b = Eval(*n.children[1]);
            if (IsNull(a) || IsNull(b)) {
                return false;
            }
            const auto c = CompareValues(a, b);
            return c && Holds(n.compare, *c);
        }
        case NodeKind::InRange: {
            const Value x = Eval(*n.children[0]);
            const Value lo = Eval(*n.children[1]);
            const Value hi = Eval(*n.children[2]);
            if (IsNull(x) || IsNull(lo) || IsNull(hi)) {
                return false;
            }
            const auto a = CompareValues(lo, x);
            const auto b = CompareValues(x, hi);
            return a && b && *a <= 0 && *b <= 0;
        }
        case NodeKind::InList: {
            const Value x = Eval(*n.children[0]);
            if (IsNull(x)) {
                return false;
            }
            for (std::size_t i = 1; i < n.children.size(); ++i) {
                const Value item = Eval(*n.children[i]);
                if (!IsNull(item)) {
                    const auto c = CompareValues(x, item);
                    if (c && *c == 0) {
                        return true;
                    }
                }
            }
            return false;
        }
        case NodeKind::InPeriod: {
            const Value x = Eval(*n.children[0]);
            if (IsNull(x)) {
                return false;
            }
            const std::int64_t day = FloorDiv(SecondsOf(x), kSecondsPerDay);
            const DateRange r = PeriodRange(n.period, today_);
            return (!r.first || day >= r.first->days) && (!r.last || day <= r.last->days);
        }
        case NodeKind::Like:
        case NodeKind::StartsWith: {
            const Value x = Eval(*n.children[0]);
            if (IsNull(x)) {
                return false;
            }
            const std::string& text = std::get<std::string>(x);
            for (std::size_t i = 1; i < n.children.size(); ++i) {
                const Value p = Eval(*n.children[i]);
                if (IsNull(p)) {
                    continue;
                }
                const std::string& pattern = std::get<std::string>(p);
                if (n.kind == NodeKind::Like ? MatchesLike(text, pattern)
                                             : StartsWithIgnoringCase(text, pattern)) {
                    return true;
                }
            }
            return false;
        }
        }
        return Value{};
    }

    // A condition: true only when the value is the Boolean true (null counts as false).
    bool Test(const Node& n) {
        const Value v = Eval(n);
        const auto* b = std::get_if<bool>(&v);
        return b && *b;
    }

private:
    [[noreturn]] void Fail(std::string message, std::size_t position) const {
        throw FormulaError(std::move(message), position, formula_.Text());
    }

    Value FieldValue(std::size_t index) {
        if (fields_[index]) {
            return *fields_[index];
        }
        const FieldReference& ref = formula_.Fields()[index];
        Value v = record_.FieldValue(index, ref);
        bool fits = IsNull(v);
        const ValueType t = ref.type;
        if (IsNumericType(t)) {
            fits = fits || IsNumber(v);
        } else if (t == ValueType::String || t == ValueType::LongText) {
            fits = fits || std::holds_alternative<std::string>(v);
        } else if (t == ValueType::Boolean) {
            fits = fits || std::holds_alternative<bool>(v);
        } else if (t == ValueType::Date) {
            fits = fits || std::holds_alternative<Date>(v);
        } else if (t == ValueType::DateTime) {
            if (const auto* d = std::get_if<Date>(&v)) {
                v = DateTime{static_cast<std::int64_t>(d->days) * kSecondsPerDay};
            }
            fits = fits || std::holds_alternative<DateTime>(v);
        } else if (t == ValueType::Time) {
            fits = fits || std::holds_alternative<TimeOfDay>(v);
        }
        if (!fits) {
            throw EngineError("The value of " + ref.name + " in this record is not a " +
                              ValueTypeName(t) + " value.");
        }
        if (!InRange(v)) {
            throw EngineError("The value of " + ref.name +
                              " in this record is outside the years 1 to 9999 or the hours of a "
                              "day.");
        }
        fields_[index] = v;
        return v;
    }

    static Value Negate(const Value& v) {
        if (const auto* i = std::get_if<std::int64_t>(&v)) {
            if (*i == std::numeric_limits<std::int64_t>::min()) {
                return -static_cast<double>(*i);
            }
            return -*i;
        }
        if (const auto* d = std::get_if<double>(&v)) {
            return -*d;
        }
        return Value{};
    }

    Value Arithmetic(const Node& n) {
        Value acc = Eval(*n.children[0]);
        for (std::size_t i = 0; i < n.ops.size(); ++i) {
            const Value right = Eval(*n.children[i + 1]);
            if (IsNull(acc) || IsNull(right)) {
                acc = Value{};
                continue;
            }
            acc = Apply(n.ops[i], acc, right, n.opPositions[i]);
        }
        return acc;
    }

    Value Apply(ArithmeticOp op, const Value& a, const Value& b, std::size_t position) {
        if (op == ArithmeticOp::Concatenate) {
            return ToText(a) + ToText(b);
        }
        if (const auto* s = std::get_if<std::string>(&a)) {
            return *s + std::get<std::string>(b);
        }
        if (IsDateLikeValue(a)) {
            if (IsDateLikeValue(b)) {
                // Days from b to a; whole days stay whole.
                const std::int64_t diff = SecondsOf(a) - SecondsOf(b);
                if (diff % kSecondsPerDay == 0) {
                    return diff / kSecondsPerDay;
                }
                return static_cast<double>(diff) / kSecondsPerDay;
            }
            return ShiftDate(a, ToDouble(b) * (op == ArithmeticOp::Subtract ? -1 : 1), position);
        }
        return ApplyNumbers(op, a, b, position);
    }

    // A date moved by a number of days: whole days for a date (the fraction is dropped), whole
    // seconds for a date-time.
    Value ShiftDate(const Value& a, double days, std::size_t position) {
        const double limit = 4e6; // more days than the years 1 to 9999 span
        if (!std::isfinite(days) || days > limit || days < -limit) {
            Fail("The resulting date is outside the years 1 to 9999.", position);
        }
        if (const auto* d = std::get_if<Date>(&a)) {
            const std::int64_t r =
                static_cast<std::int64_t>(d->days) + static_cast<std::int64_t>(std::trunc(days));
            if (r < kFirstDay || r > kLastDay) {
                Fail("The resulting date is outside the years 1 to 9999.", position);
            }
            return Date{static_cast<std::int32_t>(r)};
        }
        // Both terms are bounded (values are checked when read), so the sum cannot overflow.
        const std::int64_t s = std::get<DateTime>(a).seconds;
        const std::int64_t shift = static_cast<std::int64_t>(std::trunc(days * kSecondsPerDay));
        const std::int64_t r = s + shift;
        if (r < kFirstDay * kSecondsPerDay || r >= (kLastDay + 1) * kSecondsPerDay) {
            Fail("The resulting date is outside the years 1 to 9999.", position);
        }
        return DateTime{r};
    }

    Value ApplyNumbers(ArithmeticOp op, const Value& a, const Value& b, std::size_t position) {
        const auto* ai = std::get_if<std::int64_t>(&a);
        const auto* bi = std::get_if<std::int64_t>(&b);
        const bool isZero = bi ? *bi == 0 : std::get<double>(b) == 0.0;
        if ((op == ArithmeticOp::Divide || op == ArithmeticOp::Modulo) && isZero) {
            Fail("The formula divides by zero.", position);
        }
        if (ai && bi) {
            std::int64_t r = 0;
            switch (op) {
            case ArithmeticOp::Add:
                if (!__builtin_add_overflow(*ai, *bi, &r)) {
                    return r;
                }
                break;
            case ArithmeticOp::Subtract:
                if (!__builtin_sub_overflow(*ai, *bi, &r)) {
                    return r;
                }
                break;
            case ArithmeticOp::Multiply:
                if (!__builtin_mul_overflow(*ai, *bi, &r)) {
                    return r;
                }
                break;
            case ArithmeticOp::Divide:
                if (*bi != -1 && *ai % *bi == 0) {
                    return *ai / *bi;
                }
                break;
            case ArithmeticOp::Modulo:
                return *bi == -1 ? std::int64_t{0} : *ai % *bi;
            case ArithmeticOp::Concatenate:
                break;
            }
        }
        const double x = ToDouble(a);
        const double y = ToDouble(b);
        switch (op) {
        case ArithmeticOp::Add:
            return x + y;
        case ArithmeticOp::Subtract:
            return x - y;
        case ArithmeticOp::Multiply:
            return x * y;
        case ArithmeticOp::Divide:
            return x / y;
        case ArithmeticOp::Modulo:
            return std::fmod(x, y);
        case ArithmeticOp::Concatenate:
            break;
        }
        return Value{};
    }

    const CheckedFormula& formula_;
    const RecordSource& record_;
    Date today_;
    std::vector<std::optional<Value>> fields_;
};

void CheckToday(Date today) {
    if (today.days < kFirstDay || today.days > kLastDay) {
        throw EngineError("The run's date is outside the years 1 to 9999.");
    }
}

} // namespace

Value Evaluate(const CheckedFormula& formula, const RecordSource& record, Date today) {
    if (formula.IsEmpty()) {
        return Value{};
    }
    CheckToday(today);
    return Evaluator(formula, record, today).Eval(*formula.Root());
}

bool Selects(const CheckedFormula& formula, const RecordSource& record, Date today) {
    if (formula.IsEmpty()) {
        return true;
    }
    CheckToday(today);
    return Evaluator(formula, record, today).Test(*formula.Root());
}

} // namespace foliant::engine::formula
