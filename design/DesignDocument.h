#pragma once

// A report open in the design window: the report, its file, its edits with undo and redo, and
// its pages, laid out again after every change. No Qt: the window shows what this holds.

#include "design/Edit.h"
#include "design/History.h"
#include "engine/Report.h"
#include "engine/page/PageModel.h"
#include "engine/run/Layout.h"
#include "engine/run/LayoutTrace.h"
#include "engine/run/Runner.h"

#include <memory>
#include <string>

namespace foliant::design {

class DesignDocument {
public:
    // Reads the report file. Throws EngineError naming the file and the problem.
    static std::unique_ptr<DesignDocument> Open(const std::string& path);
    explicit DesignDocument(std::shared_ptr<engine::Report> report);

    const engine::Report& Report() const { return *report_; }
    std::shared_ptr<const engine::Report> SharedReport() const { return report_; }
    // The file the report was read from or last saved to.
    const std::string& FilePath() const { return report_->FilePath(); }
    // The window's title: the file's name, and "*" while there are unsaved changes.
    std::string Title() const;
    bool Modified() const { return history_.Modified(); }

    // Does the edit and records it for undo. An edit that changes nothing is not recorded.
    // Throws EngineError, changing nothing, when the engine refuses a value.
    void Apply(const Edit& edit);
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    // "Undo Move", "Redo Font Size"; the bare verb when there is nothing to undo or redo.
    std::string UndoText() const;
    std::string RedoText() const;
    void Undo();
    void Redo();

    // Writes the report to its file, or to path, atomically: a failed save throws
    // EngineError and leaves both the file on disk and the unsaved state as they were.
    void Save();
    void SaveAs(const std::string& path);

    // Runs the report (records, groups, summaries) and lays it out. Throws EngineError.
    void Run(engine::run::LayoutSettings settings = {}, engine::run::RunOptions options = {});
    // Takes a finished run of this report made elsewhere (off the window's thread).
    void TakeRun(std::shared_ptr<const engine::run::RunResult> run,
                 engine::run::LayoutSettings settings = {});
    bool HasRun() const { return run_ != nullptr; }
    std::shared_ptr<const engine::run::RunResult> LastRun() const { return run_; }
    // The pages: laid out again from the last run when the report changed since. Empty before
    // any run. An edit changes no record, group or summary, so the run stays valid.
    const engine::page::Document& Pages();
    // For each item of Pages(), the object that drew it (ObjectTrace); -1 for none.
    const engine::run::ObjectTrace& Trace();
    // The place of the object that drew item `item` of page `page` (0-based); nothing when no
    // object drew it.
    std::optional<ObjectPath> ObjectOfItem(std::size_t page, std::size_t item);
    // Grows by one with every change to the report (edit, undo, redo).
    int Version() const { return version_; }

private:
    void Changed();

    std::shared_ptr<engine::Report> report_;
    History history_;
    std::shared_ptr<const engine::run::RunResult> run_;
    engine::run::LayoutSettings settings_;
    engine::page::Document pages_;
    engine::run::ObjectTrace trace_;
    bool pagesStale_ = false;
    int version_ = 0;
};

} // namespace foliant::design
