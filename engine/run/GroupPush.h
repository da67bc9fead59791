#pragma once

// Reports that show no record, only groups and summaries, computed by the database: one
// GROUP BY query per group level that has summaries (and one for the innermost groups),
// window-ranked queries for median, percentile, Nth largest/smallest, mode and Nth most
// frequent, so only the groups travel. Whole numbers are summed by the server exactly and the
// final averages, variances and correlations are computed here from those sums, so the values
// print exactly as when the engine reads every record.

#include "engine/Group.h"
#include "engine/SourceConnection.h"
#include "engine/run/GroupTree.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foliant::engine::run {

struct GroupPushRequest {
    std::vector<std::shared_ptr<const Group>> groups;
    // The summaries of each level: [0] grand totals, [g] group g.
    std::vector<std::vector<std::shared_ptr<FieldDefinition>>> levelSummaries;
    // How each group level will be arranged ([0] for level 1).
    std::vector<LevelArrangement> arrangement;
    // The record selection, entirely as a WHERE condition (empty: every record).
    std::string where;
    std::vector<Value> whereParameters;
};

struct PushedGroups {
    std::unique_ptr<GroupTree> tree; // not arranged yet
    std::int64_t records = 0;        // records selected
    std::string sql;                 // the query of the innermost groups, for diagnostics
};

// The groups with their summaries, or nullopt when the database cannot give exactly what
// reading every record would: a group or summary field that is not a plain column whose values
// the server compares as the engine does, a group condition other than the value itself, a
// group in record order, sums of numbers that are not whole or that leave the server's
// integers, an Others group that would have to gather summaries that cannot merge, or two
// server groups the engine counts as one.
// Throws EngineError (QueryCancelled when keepGoing says stop) when a query fails.
std::optional<PushedGroups> PushGroups(const DataSource& source, const GroupPushRequest& request,
                                       SourceConnection& connection, const KeepGoing& keepGoing);

} // namespace foliant::engine::run
