#pragma once

#include "engine/core/Api.h"

// Running a report: one query over its data source, the record selection applied, records
// broken into nested groups with every summary computed per group and over the report, and
// the groups arranged (their order, Sort All, Top N / Bottom N with Others).
//
//   RunResult result = RunReport(*report, options);       // throws EngineError
//   Document pages = LayOutReport(result, settings);       // see Layout.h

#include "engine/Report.h"
#include "engine/core/EngineError.h"
#include "engine/run/GroupTree.h"
#include "engine/run/Query.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foliant::engine::run {

class ReportRun;
class RunResult;

// Told of a run's records as they are read, by a run of a report without groups, instead of
// the run keeping them (to lay the report out while it runs): Read sees each selected record as
// the result's only stored row (record 0). Finished comes after the last, with every summary
// complete; neither comes when the database computed the groups.
class RecordListener {
public:
    virtual ~RecordListener() = default;
    virtual void Started(const RunResult& run) = 0;
    virtual void Read(const RunResult& run) = 0;
    virtual void Finished(const RunResult& run) = 0;
};

struct RunOptions {
    // The run's date: the print date, and the day the selection formula's periods are
    // measured from. Today's date when not set.
    std::optional<Date> today;
    // Values of the report's parameters, by name without the "?" ("Year"); missing ones are null.
    std::map<std::string, Value> parameters;
    // When not 0, the run stops after this many selected records, as if there were no more
    // (the opening records of a long report, laid out before the whole run is done).
    std::uint32_t recordLimit = 0;
    // Told the number of records read so far, now and then during the run; returning false
    // ends the run with RunCancelled.
    std::function<bool(std::uint64_t recordsRead)> progress;
    // When set, the engine reads every record and computes the groups and summaries itself
    // even when the database could compute them (to compare the two).
    bool readEveryRecord = false;
    // See RecordListener; ignored for a report with groups or a record limit.
    RecordListener* listener = nullptr;
};

// Thrown when RunOptions::progress or LayoutSettings::progress asks the work to stop.
class FOLIANT_ENGINE_API RunCancelled : public EngineError {
public:
    RunCancelled() : EngineError("The report run was cancelled.") {}
};

class FOLIANT_ENGINE_API RunResult {
public:
    std::shared_ptr<const Report> report;
    Date runDate;
    QueryPlan query;
    // Whether the selection formula went into the query entirely (true for no formula).
    bool selectionInQuery = true;
    // Whether the records came in the order of every group (so the groups arrive one after
    // another and the opening records hold the opening groups whole).
    bool groupsOrderedByQuery = true;
    // Whether the database computed the groups and summaries itself (a report that shows no
    // record), so that only the groups were read.
    bool groupsComputedByQuery = false;
    // Whether the run stopped at RunOptions::recordLimit with records left unread.
    bool truncated = false;

    // The record-level fields some object shows, and each selected record's values of them.
    // Rows are empty when the report shows no record-level field.
    std::vector<std::shared_ptr<FieldDefinition>> storedFields;
    std::vector<std::vector<Value>> records;
    std::uint32_t RecordCount() const { return recordCount; }
    std::uint32_t recordCount = 0;

    // Summary definitions by level: [0] grand totals (report header/footer), [g] group g.
    std::vector<std::vector<std::shared_ptr<FieldDefinition>>> levelSummaries;
    // The arranged groups; the root holds the grand totals. The innermost groups list their
    // records' numbers unless the report shows nothing per record.
    std::unique_ptr<GroupTree> tree;

    // A record's value of a stored field; null when the field is not stored.
    Value StoredValue(std::uint32_t record, const FieldDefinition& field) const;
    // The summary's value for the groups on a path from the root (path[0] the root, path[g]
    // the group of level g); null when the path does not reach the summary's level.
    Value SummaryValue(const std::vector<const GroupNode*>& path,
                       const FieldDefinition& summary) const;
    // The group level a summary belongs to: its group's number, 0 for a grand total.
    static int SummaryLevel(const FieldDefinition& summary);

private:
    friend class ReportRun;
    std::map<const FieldDefinition*, std::size_t> storedIndex_;
    std::map<const FieldDefinition*, std::pair<int, std::size_t>> summaryIndex_;
};

// Runs the report over its data source (opened read-only). Throws EngineError naming the
// problem: the database cannot be opened or read, the report uses tables that are not linked,
// a field is not in the database, the selection formula cannot be evaluated.
FOLIANT_ENGINE_API RunResult RunReport(const Report& report, const RunOptions& options = {});

} // namespace foliant::engine::run
