// Parsing and checking in one left-to-right pass: every node is typed as soon as it is built, so
// the first problem in reading order is the one reported, and a missing or unknown operand is
// named by the type its place needs ("A number is required here.").

#include "engine/formula/Formula.h"
#include "engine/formula/Lexer.h"

#include <utility>

namespace foliant::engine::formula {

namespace {

using NodePtr = std::unique_ptr<Node>;

// What a place in the formula needs; Date stands for date and date-time alike.
enum class Expect { Any, Number, Text, Boolean, Date, Time };

Expect ExpectOf(FormulaType t) {
    switch (t) {
    case FormulaType::Number:
        return Expect::Number;
    case FormulaType::Text:
        return Expect::Text;
    case FormulaType::Boolean:
        return Expect::Boolean;
    case FormulaType::Date:
    case FormulaType::DateTime:
        return Expect::Date;
    case FormulaType::Time:
        return Expect::Time;
    }
    return Expect::Any;
}

bool Fits(FormulaType t, Expect e) {
    return e == Expect::Any || ExpectOf(t) == e;
}

std::string RequiredMessage(Expect e) {
    switch (e) {
    case Expect::Any:
        return "A value or field is required here.";
    case Expect::Number:
        return "A number is required here.";
    case Expect::Text:
        return "A string is required here.";
    case Expect::Boolean:
        return "A Boolean value is required here.";
    case Expect::Date:
        return "A date is required here.";
    case Expect::Time:
        return "A time is required here.";
    }
    return "A value or field is required here.";
}

std::optional<FormulaType> FormulaTypeOf(ValueType t) {
    if (IsNumericType(t)) {
        return FormulaType::Number;
    }
    switch (t) {
    case ValueType::Boolean:
        return FormulaType::Boolean;
    case ValueType::Date:
        return FormulaType::Date;
    case ValueType::DateTime:
        return FormulaType::DateTime;
    case ValueType::Time:
        return FormulaType::Time;
    case ValueType::String:
    case ValueType::LongText:
        return FormulaType::Text;
    default:
        return std::nullopt;
    }
}

bool IsDateLike(FormulaType t) {
    return t == FormulaType::Date || t == FormulaType::DateTime;
}

unsigned DaysInMonth(std::int64_t y, std::int64_t m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

bool ValidDate(std::int64_t y, std::int64_t m, std::int64_t d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

bool ValidTime(std::int64_t h, std::int64_t mi, std::int64_t s) {
    return h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

NodePtr MakeNode(NodeKind kind, std::size_t position, FormulaType type) {
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->position = position;
    n->type = type;
    return n;
}

} // namespace

class Parser {
public:
    Parser(std::string_view text, const FieldCatalog& catalog)
        : text_(text), lexer_(text), catalog_(catalog) {}

    CheckedFormula Parse(bool selection) {
        CheckedFormula result;
        result.text_ = std::string(text_);
        Advance();
        if (tok_.kind == TokenKind::End && selection) {
            return result; // blank: every record
        }
        NodePtr root = ParseOr(selection ? Expect::Boolean : Expect::Any);
        if (tok_.kind != TokenKind::End) {
            FailAt(tok_, "The remaining text does not appear to be part of the formula.");
        }
        if (selection) {
            Require(*root, Expect::Boolean);
        }
        result.root_ = std::move(root);
        result.fields_ = std::move(fields_);
        return result;
    }

private:
    // Counts one level of nesting for as long as it lives.
    class Nesting {
    public:
        Nesting(Parser& p, std::size_t position) : p_(p) {
            if (++p_.depth_ > kMaxFormulaNesting) {
                p_.Fail("The formula is nested too deeply.", position);
            }
        }
        ~Nesting() { --p_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& p_;
    };

    void Advance() { tok_ = lexer_.Next(); }

    bool AtWord(std::string_view keyword) const {
        return tok_.kind == TokenKind::Word && IsKeyword(tok_.text, keyword);
    }

    [[noreturn]] void Fail(std::string message, std::size_t position) const {
        throw FormulaError(std::move(message), position, text_);
    }

    // Reports `message` at `t`, unless `t` is itself a lexical problem, which is reported first.
    [[noreturn]] void FailAt(const Token& t, std::string message) const {
        if (t.kind == TokenKind::Error) {
            Fail(t.text, t.position);
        }
        Fail(std::move(message), t.position);
    }

    void Require(const Node& n, Expect e) const {
        if (!Fits(n.type, e)) {
            Fail(RequiredMessage(e), n.position);
        }
    }

    NodePtr ParseOr(Expect e) { return ParseChain(e, "or", NodeKind::Or, &Parser::ParseAnd); }

    NodePtr ParseAnd(Expect e) { return ParseChain(e, "and", NodeKind::And, &Parser::ParseNot); }

    NodePtr ParseChain(Expect e, std::string_view keyword, NodeKind kind,
                       NodePtr (Parser::*operand)(Expect)) {
        NodePtr first = (this->*operand)(e);
        if (!AtWord(keyword)) {
            return first;
        }
        Require(*first, Expect::Boolean);
        NodePtr chain = MakeNode(kind, first->position, FormulaType::Boolean);
        chain->children.push_back(std::move(first));
        while (AtWord(keyword)) {
            Advance();
            NodePtr next = (this->*operand)(Expect::Boolean);
            Require(*next, Expect::Boolean);
            chain->children.push_back(std::move(next));
        }
        return chain;
    }

    NodePtr ParseNot(Expect e) {
        if (!AtWord("not")) {
            return ParseComparison(e);
        }
        const std::size_t position = tok_.position;
        Nesting level(*this, position);
        Advance();
        NodePtr operand = ParseNot(Expect::Boolean);
        Require(*operand, Expect::Boolean);
        NodePtr n = MakeNode(NodeKind::Not, position, FormulaType::Boolean);
        n->children.push_back(std::move(operand));
        return n;
    }

    static std::optional<CompareOp> CompareOpOf(TokenKind k) {
        switch (k) {
        case TokenKind::Equal:
            return CompareOp::Equal;
        case TokenKind::NotEqual:
            return CompareOp::NotEqual;
        case TokenKind::Less:
            return CompareOp::Less;
        case TokenKind::LessOrEqual:
            return CompareOp::LessOrEqual;
        case TokenKind::Greater:
            return CompareOp::Greater;
        case TokenKind::GreaterOrEqual:
            return CompareOp::GreaterOrEqual;
        default:
            return std::nullopt;
        }
    }

    NodePtr ParseComparison(Expect e) {
        // The expectation only names what is missing when no operand is there at all; the
        // left side of a comparison may be of any type.
        NodePtr left = ParseAdditive(e);
        const Expect same = ExpectOf(left->type);
        if (auto op = CompareOpOf(tok_.kind)) {
            Advance();
            NodePtr right = Operand(same);
            NodePtr n = MakeNode(NodeKind::Compare, left->position, FormulaType::Boolean);
            n->compare = *op;
            n->children.push_back(std::move(left));
            n->children.push_back(std::move(right));
            return n;
        }
        if (AtWord("in")) {
            Advance();
            if (tok_.kind == TokenKind::LBracket) {
                NodePtr n = MakeNode(NodeKind::InList, left->position, FormulaType::Boolean);
                n->children.push_back(std::move(left));
                ParseList(*n, same);
                return n;
            }
            if (tok_.kind == TokenKind::Word) {
                if (auto period = FindPeriod(tok_.text)) {
                    Require(*left, Expect::Date);
                    NodePtr n = MakeNode(NodeKind::InPeriod, left->position, FormulaType::Boolean);
                    n->period = *period;
                    n->children.push_back(std::move(left));
                    Advance();
                    return n;
                }
            }
            NodePtr low = Operand(same);
            if (!AtWord("to")) {
                FailAt(tok_, "The word to is missing.");
            }
            Advance();
            NodePtr high = Operand(same);
            NodePtr n = MakeNode(NodeKind::InRange, left->position, FormulaType::Boolean);
            n->children.push_back(std::move(left));
            n->children.push_back(std::move(low));
            n->children.push_back(std::move(high));
            return n;
        }
        const bool like = AtWord("like");
        if (like || AtWord("startswith")) {
            Require(*left, Expect::Text);
            Advance();
            NodePtr n = MakeNode(like ? NodeKind::Like : NodeKind::StartsWith, left->position,
                                 FormulaType::Boolean);
            n->children.push_back(std::move(left));
            if (tok_.kind == TokenKind::LBracket) {
                n->list = true;
                ParseList(*n, Expect::Text);
            } else {
                n->children.push_back(Operand(Expect::Text));
            }
            return n;
        }
        return left;
    }

    // One operand of a comparison, which must fit the other side's type.
    NodePtr Operand(Expect e) {
        NodePtr n = ParseAdditive(e);
        Require(*n, e);
        return n;
    }

    // "[" item, item, ... "]" appended to n's children; "[]" is the empty list.
    void ParseList(Node& n, Expect e) {
        Advance(); // [
        if (tok_.kind == TokenKind::RBracket) {
            Advance();
            return;
        }
        for (;;) {
            n.children.push_back(Operand(e));
            if (tok_.kind == TokenKind::Comma) {
                Advance();
                continue;
            }
            if (tok_.kind != TokenKind::RBracket) {
                FailAt(tok_, "The ] is missing.");
            }
            Advance();
            return;
        }
    }

    std::optional<ArithmeticOp> AdditiveOp() const {
        switch (tok_.kind) {
        case TokenKind::Plus:
            return ArithmeticOp::Add;
        case TokenKind::Minus:
            return ArithmeticOp::Subtract;
        case TokenKind::Ampersand:
            return ArithmeticOp::Concatenate;
        default:
            return std::nullopt;
        }
    }

    std::optional<ArithmeticOp> MultiplicativeOp() const {
        switch (tok_.kind) {
        case TokenKind::Star:
            return ArithmeticOp::Multiply;
        case TokenKind::Slash:
            return ArithmeticOp::Divide;
        default:
            return AtWord("mod") ? std::optional(ArithmeticOp::Modulo) : std::nullopt;
        }
    }

    NodePtr ParseAdditive(Expect e) {
        NodePtr first = ParseMultiplicative(e);
        if (!AdditiveOp()) {
            return first;
        }
        NodePtr chain = MakeNode(NodeKind::Arithmetic, first->position, first->type);
        chain->children.push_back(std::move(first));
        while (auto op = AdditiveOp()) {
            const FormulaType left = chain->type;
            const std::size_t opPosition = tok_.position;
            if (*op == ArithmeticOp::Concatenate) {
                Advance();
                chain->children.push_back(ParseMultiplicative(Expect::Any));
                chain->type = FormulaType::Text;
            } else if (*op == ArithmeticOp::Add) {
                if (left == FormulaType::Boolean || left == FormulaType::Time) {
                    Fail(RequiredMessage(Expect::Number), chain->position);
                }
                const Expect need = left == FormulaType::Text ? Expect::Text : Expect::Number;
                Advance();
                NodePtr right = ParseMultiplicative(need);
                Require(*right, need);
                chain->children.push_back(std::move(right));
            } else {
                if (left != FormulaType::Number && !IsDateLike(left)) {
                    Fail(RequiredMessage(Expect::Number), chain->position);
                }
                Advance();
                NodePtr right = ParseMultiplicative(Expect::Number);
                if (IsDateLike(left) && IsDateLike(right->type)) {
                    chain->type = FormulaType::Number; // days between two dates
                } else {
                    Require(*right, Expect::Number);
                }
                chain->children.push_back(std::move(right));
            }
            chain->ops.push_back(*op);
            chain->opPositions.push_back(opPosition);
        }
        return chain;
    }

    NodePtr ParseMultiplicative(Expect e) {
        NodePtr first = ParseUnary(e);
        if (!MultiplicativeOp()) {
            return first;
        }
        Require(*first, Expect::Number);
        NodePtr chain = MakeNode(NodeKind::Arithmetic, first->position, FormulaType::Number);
        chain->children.push_back(std::move(first));
        while (auto op = MultiplicativeOp()) {
            chain->ops.push_back(*op);
            chain->opPositions.push_back(tok_.position);
            Advance();
            NodePtr right = ParseUnary(Expect::Number);
            Require(*right, Expect::Number);
            chain->children.push_back(std::move(right));
        }
        return chain;
    }

    NodePtr ParseUnary(Expect e) {
        if (tok_.kind != TokenKind::Minus) {
            return ParsePrimary(e);
        }
        const std::size_t position = tok_.position;
        Nesting level(*this, position);
        Advance();
        NodePtr operand = ParseUnary(Expect::Number);
        Require(*operand, Expect::Number);
        NodePtr n = MakeNode(NodeKind::Negate, position, FormulaType::Number);
        n->children.push_back(std::move(operand));
        return n;
    }

    NodePtr ParsePrimary(Expect e) {
        const std::size_t position = tok_.position;
        switch (tok_.kind) {
        case TokenKind::Number: {
            NodePtr n = MakeNode(NodeKind::Literal, position, FormulaType::Number);
            n->literal = tok_.number;
            Advance();
            return n;
        }
        case TokenKind::String: {
            NodePtr n = MakeNode(NodeKind::Literal, position, FormulaType::Text);
            n->literal = tok_.text;
            Advance();
            return n;
        }
        case TokenKind::Field:
            return ParseField();
        case TokenKind::LParen: {
            Nesting level(*this, position);
            Advance();
            NodePtr inner = ParseOr(e);
            if (tok_.kind != TokenKind::RParen) {
                FailAt(tok_, "The ) is missing.");
            }
            Advance();
            NodePtr n = MakeNode(NodeKind::Group, position, inner->type);
            n->children.push_back(std::move(inner));
            return n;
        }
        case TokenKind::Word: {
            if (AtWord("true") || AtWord("false")) {
                NodePtr n = MakeNode(NodeKind::Literal, position, FormulaType::Boolean);
                n->literal = AtWord("true");
                Advance();
                return n;
            }
            if (AtWord("Date") || AtWord("Time") || AtWord("DateTime")) {
                return ParseDateLiteral();
            }
            if (FindPeriod(tok_.text)) {
                Fail("A period name can only follow in.", position);
            }
            Fail(RequiredMessage(e), position);
        }
        default:
            FailAt(tok_, RequiredMessage(e));
        }
    }

    NodePtr ParseField() {
        const std::size_t position = tok_.position;
        const std::optional<FieldInfo> info = catalog_.FindField(tok_.text);
        if (!info) {
            Fail("This field name is not known.", position);
        }
        const std::optional<FormulaType> type = FormulaTypeOf(info->type);
        if (!type) {
            Fail("This field's type of value cannot be used in a formula.", position);
        }
        NodePtr n = MakeNode(NodeKind::Field, position, *type);
        std::size_t index = 0;
        while (index < fields_.size() && fields_[index].name != tok_.text) {
            ++index;
        }
        if (index == fields_.size()) {
            fields_.push_back(FieldReference{tok_.text, info->kind, info->type});
        }
        n->field = index;
        Advance();
        return n;
    }

    // Date(y, m, d), Time(h, mi, s) or DateTime(y, m, d, h, mi, s), each part a whole number.
    NodePtr ParseDateLiteral() {
        const std::size_t position = tok_.position;
        const bool isDate = AtWord("Date");
        const bool isTime = AtWord("Time");
        const std::size_t count = isDate || isTime ? 3 : 6;
        Advance();
        if (tok_.kind != TokenKind::LParen) {
            FailAt(tok_, "The ( is missing.");
        }
        Advance();
        std::int64_t part[6] = {};
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) {
                if (tok_.kind != TokenKind::Comma) {
                    FailAt(tok_, "The , is missing.");
                }
                Advance();
            }
            if (tok_.kind != TokenKind::Number || tok_.hasPoint ||
                !std::holds_alternative<std::int64_t>(tok_.number)) {
                FailAt(tok_, "A whole number is required here.");
            }
            part[i] = std::get<std::int64_t>(tok_.number);
            Advance();
        }
        if (tok_.kind != TokenKind::RParen) {
            FailAt(tok_, "The ) is missing.");
        }
        Advance();
        if (isTime) {
            if (!ValidTime(part[0], part[1], part[2])) {
                Fail("This time is not valid.", position);
            }
            NodePtr n = MakeNode(NodeKind::Literal, position, FormulaType::Time);
            n->literal =
                TimeOfDay{static_cast<std::int32_t>(part[0] * 3600 + part[1] * 60 + part[2])};
            return n;
        }
        if (!ValidDate(part[0], part[1], part[2])) {
            Fail("This date is not valid.", position);
        }
        const std::int32_t days =
            DaysFromCivil(static_cast<std::int32_t>(part[0]), static_cast<unsigned>(part[1]),
                          static_cast<unsigned>(part[2]));
        if (isDate) {
            NodePtr n = MakeNode(NodeKind::Literal, position, FormulaType::Date);
            n->literal = Date{days};
            return n;
        }
        if (!ValidTime(part[3], part[4], part[5])) {
            Fail("This time is not valid.", position);
        }
        NodePtr n = MakeNode(NodeKind::Literal, position, FormulaType::DateTime);
        n->literal = DateTime{static_cast<std::int64_t>(days) * 86400 + part[3] * 3600 +
                              part[4] * 60 + part[5]};
        return n;
    }

    std::string_view text_;
    Lexer lexer_;
    const FieldCatalog& catalog_;
    Token tok_;
    int depth_ = 0;
    std::vector<FieldReference> fields_;
};

CheckedFormula CompileSelectionFormula(std::string_view text, const FieldCatalog& catalog) {
    return Parser(text, catalog).Parse(true);
}

CheckedFormula CompileFormulaField(std::string_view text, const FieldCatalog& catalog) {
    return Parser(text, catalog).Parse(false);
}

} // namespace foliant::engine::formula
