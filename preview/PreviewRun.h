#pragma once

// A report run for the viewer, off the caller's thread: the caller keeps drawing and can ask
// how far the run is, take the pages laid out so far, and cancel.
//
// For a report whose first page depends only on its first records (no group sorting, groups
// arriving in order, no totals or page counts above or beside the records), the first page
// is laid out from the opening records and offered while the rest still runs; the whole
// document replaces it when the run ends. Any other report shows its pages when the run ends.

#include "engine/Report.h"
#include "engine/page/PageModel.h"
#include "engine/run/Layout.h"
#include "engine/run/Runner.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace foliant::preview {

class PreviewRun {
public:
    enum class Phase { Running, Done, Failed, Cancelled };

    struct Status {
        Phase phase = Phase::Running;
        // The pages so far: the first page alone while running (when it came early), every
        // page once Done; null while none is laid out.
        std::shared_ptr<const engine::page::Document> document;
        // The whole run behind the document once Done (its records, for the CSV export).
        std::shared_ptr<const engine::run::RunResult> run;
        // Grows by one each time `document` is replaced.
        int version = 0;
        // The engine's message when Failed.
        std::string error;
    };

    // Starts the run at once on a thread of its own. The report must not change while it runs.
    // options.progress, when set, is called on that thread as the run goes and may stop it.
    PreviewRun(std::shared_ptr<const engine::Report> report, engine::run::RunOptions options = {},
               engine::run::LayoutSettings settings = {});
    // Cancels a run still going and waits for its thread.
    ~PreviewRun();
    PreviewRun(const PreviewRun&) = delete;
    PreviewRun& operator=(const PreviewRun&) = delete;

    Status Poll() const;
    // Records read plus records laid out so far, for a progress display.
    std::uint64_t WorkDone() const noexcept { return work_.load(); }
    // The records the whole run reads, once known (the count of the report's query); 0 before.
    std::uint64_t RecordsExpected() const noexcept { return expected_.load(); }
    // Asks the run to stop; it ends Cancelled soon after (or Done, if it was finishing).
    void Cancel() noexcept { cancel_ = true; }
    // Waits until the phase is no longer Running or a document of at least `version` exists.
    Status WaitFor(int version) const;
    Status WaitUntilFinished() const;

private:
    void Work();
    bool TryFirstPage();
    void Publish(engine::page::Document document, Phase phase,
                 std::shared_ptr<const engine::run::RunResult> run = nullptr,
                 std::string error = {});
    bool KeepGoing(std::uint64_t done);

    std::shared_ptr<const engine::Report> report_;
    engine::run::RunOptions options_;
    engine::run::LayoutSettings settings_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::uint64_t> work_{0};
    std::atomic<std::uint64_t> expected_{0};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Status status_;
    std::thread thread_;
};

// Whether the report's first page can be laid out from its opening records alone.
bool FirstPageComesEarly(const engine::Report& report);

} // namespace foliant::preview
