#include "engine/run/Query.h"

#include "engine/core/EngineError.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <set>

namespace foliant::engine::run {

std::string QuoteIdentifier(const std::string& name) {
    return formula::SqlDialect::QuoteIdentifier(name);
}

std::string ColumnExpression(const FieldDefinition& field) {
    if (field.Kind() == FieldKind::SqlExpression) {
        return "(" + field.DefinitionText() + ")";
    }
    return QuoteIdentifier(field.TableOfField()) + "." + QuoteIdentifier(field.ShortName());
}

namespace {

// Tables an SQL expression names as "Table." or "\"Table\".".
std::vector<std::string> TablesNamedIn(const DataSource& source, const std::string& expression) {
    std::vector<std::string> out;
    for (const auto& t : source.Tables()) {
        const std::string bare = t->TableName() + ".";
        const std::string quoted = QuoteIdentifier(t->TableName()) + ".";
        for (const auto& form : {bare, quoted}) {
            std::size_t pos = expression.find(form);
            while (pos != std::string::npos) {
                const bool boundary =
                    pos == 0 || !(std::isalnum(static_cast<unsigned char>(expression[pos - 1])) ||
                                  expression[pos - 1] == '_');
                if (boundary) {
                    out.push_back(t->TableName());
                    break;
                }
                pos = expression.find(form, pos + 1);
            }
        }
    }
    return out;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            out += i + 1 == names.size() ? " and " : ", ";
        }
        out += names[i];
    }
    return out;
}

// The query's columns, each field once; returns the tables they read.
std::set<std::string> AddColumns(const DataSource& source, const QueryRequest& request,
                                 QueryPlan& plan) {
    std::set<std::string> seen;
    std::set<std::string> used;
    for (const auto& f : request.fields) {
        if (!f || !seen.insert(f->Name()).second) {
            continue;
        }
        if (f->Kind() == FieldKind::Database) {
            if (!source.FindTable(f->TableOfField()) ||
                source.FindDatabaseField(f->Name()) == nullptr) {
                throw EngineError("The field " + f->Name() + " is not in the data source " +
                                  source.Path() + ".");
            }
            used.insert(f->TableOfField());
        } else if (f->Kind() == FieldKind::SqlExpression) {
            for (const auto& t : TablesNamedIn(source, f->DefinitionText())) {
                used.insert(t);
            }
        } else {
            throw EngineError("The field " + f->Name() + " is not read from the database.");
        }
        plan.columns.push_back(f);
    }
    return used;
}

// How a table is reached from the base table: the table before it and the link between.
struct Step {
    std::string parent;
    const TableLink* link = nullptr;
};

// Breadth-first over the links from the base table: the shortest chain to each table.
std::map<std::string, Step> ReachFrom(const DataSource& source, const std::string& base) {
    std::map<std::string, Step> reached{{base, {}}};
    std::deque<std::string> queue{base};
    while (!queue.empty()) {
        const std::string t = queue.front();
        queue.pop_front();
        for (const auto& link : source.Links()) {
            std::string other;
            if (link->FromTable() == t) {
                other = link->ToTable();
            } else if (link->ToTable() == t) {
                other = link->FromTable();
            } else {
                continue;
            }
            if (reached.emplace(other, Step{t, link.get()}).second) {
                queue.push_back(other);
            }
        }
    }
    return reached;
}

// The tables on the chains from the base to each used table, each after the one it is reached
// from. Throws EngineError naming the used tables no chain reaches.
std::vector<std::string> JoinChain(const std::vector<std::string>& usedInOrder,
                                   std::map<std::string, Step>& reached) {
    const std::string& base = usedInOrder.front();
    std::vector<std::string> unlinked;
    for (const auto& t : usedInOrder) {
        if (!reached.count(t)) {
            unlinked.push_back(t);
        }
    }
    if (!unlinked.empty()) {
        throw EngineError("The report uses fields of the tables " + base + " and " +
                          JoinNames(unlinked) + ", but no chain of links joins " +
                          (unlinked.size() == 1 ? unlinked.front() : "them") + " to " + base +
                          ": the report cannot be run over tables that are not linked.");
    }
    std::vector<std::string> chain{base};
    std::set<std::string> inChain{base};
    for (const auto& t : usedInOrder) {
        std::vector<std::string> path;
        for (std::string cur = t; !inChain.count(cur); cur = reached[cur].parent) {
            path.push_back(cur);
        }
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            inChain.insert(*it);
            chain.push_back(*it);
        }
    }
    return chain;
}

// The FROM clause over the used tables, joined along their links; the first used table in the
// data source's order starts it. Sets the plan's tables.
std::string FromClause(const DataSource& source, const std::set<std::string>& used,
                       QueryPlan& plan) {
    std::vector<std::string> usedInOrder;
    for (const auto& t : source.Tables()) {
        if (used.count(t->TableName())) {
            usedInOrder.push_back(t->TableName());
        }
    }
    if (usedInOrder.empty()) {
        return {};
    }
    auto reached = ReachFrom(source, usedInOrder.front());
    const auto chain = JoinChain(usedInOrder, reached);
    std::string from = " FROM " + QuoteIdentifier(chain.front());
    for (std::size_t i = 1; i < chain.size(); ++i) {
        const TableLink& link = *reached[chain[i]].link;
        from += " JOIN " + QuoteIdentifier(chain[i]) + " ON ";
        for (std::size_t k = 0; k < link.FromFields().size(); ++k) {
            if (k > 0) {
                from += " AND ";
            }
            from += QuoteIdentifier(link.FromTable()) + "." +
                    QuoteIdentifier(link.FromFields()[k]) + " = " +
                    QuoteIdentifier(link.ToTable()) + "." + QuoteIdentifier(link.ToFields()[k]);
        }
    }
    plan.tables = chain;
    return from;
}

// The ORDER BY clause: the requested terms, then the tables' rowids when asked for.
std::string OrderClause(const DataSource& source, const QueryRequest& request,
                        const std::vector<std::string>& tables,
                        const formula::SqlDialect& dialect) {
    std::vector<std::string> order;
    for (const auto& term : request.order) {
        order.push_back(dialect.OrderTerm(term.expression, term.descending));
    }
    if (request.storedOrder) {
        // The last table joined is usually the one whose rows are the records (order lines
        // under orders under customers): its storage order decides first.
        for (auto it = tables.rbegin(); it != tables.rend(); ++it) {
            if (const auto table = source.FindTable(*it)) {
                for (auto& term : request.storedOrder(*table)) {
                    order.push_back(std::move(term));
                }
            }
        }
    }
    std::string clause;
    for (std::size_t i = 0; i < order.size(); ++i) {
        clause += (i ? ", " : " ORDER BY ") + order[i];
    }
    return clause;
}

} // namespace

QueryPlan BuildQuery(const DataSource& source, const QueryRequest& request,
                     const formula::SqlDialect& dialect) {
    QueryPlan plan;
    const auto used = AddColumns(source, request, plan);
    const std::string from = FromClause(source, used, plan);
    std::string sql = "SELECT ";
    if (plan.columns.empty()) {
        sql += "1";
    }
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
        const FieldDefinition& f = *plan.columns[i];
        sql += (i ? ", " : "") + dialect.ReadColumn(ColumnExpression(f), f.DeclaredType());
        if (request.nameColumns) {
            sql += " AS c" + std::to_string(i);
        }
    }
    sql += from;
    if (!request.where.empty()) {
        sql += " WHERE " + request.where;
        plan.parameters = request.whereParameters;
    }
    plan.sql = sql + OrderClause(source, request, plan.tables, dialect);
    return plan;
}

} // namespace foliant::engine::run
