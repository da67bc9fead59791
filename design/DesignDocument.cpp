#include "design/DesignDocument.h"

#include "engine/ReportFile.h"

namespace foliant::design {

std::unique_ptr<DesignDocument> DesignDocument::Open(const std::string& path) {
    return std::make_unique<DesignDocument>(engine::LoadReportFromFile(path));
}

DesignDocument::DesignDocument(std::shared_ptr<engine::Report> report)
    : report_(std::move(report)) {}

std::string DesignDocument::Title() const {
    const std::string& path = FilePath();
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) {
        name = "Untitled";
    }
    return Modified() ? name + "*" : name;
}

void DesignDocument::Apply(const Edit& edit) {
    if (edit.Empty()) {
        return;
    }
    ApplyEdit(*report_, edit);
    history_.Push(edit);
    Changed();
}

std::string DesignDocument::UndoText() const {
    return CanUndo() ? "Undo " + history_.NextUndo().label : "Undo";
}

std::string DesignDocument::RedoText() const {
    return CanRedo() ? "Redo " + history_.NextRedo().label : "Redo";
}

void DesignDocument::Undo() {
    if (!CanUndo()) {
        return;
    }
    ApplyEdit(*report_, history_.NextUndo(), false);
    history_.StepBack();
    Changed();
}

void DesignDocument::Redo() {
    if (!CanRedo()) {
        return;
    }
    ApplyEdit(*report_, history_.NextRedo(), true);
    history_.StepForward();
    Changed();
}

void DesignDocument::Save() {
    SaveAs(FilePath());
}

void DesignDocument::SaveAs(const std::string& path) {
    report_->SaveToFile(path, 0);
    report_->SetFilePath(path);
    history_.MarkClean();
    ++version_;
}

void DesignDocument::Run(engine::run::LayoutSettings settings, engine::run::RunOptions options) {
    TakeRun(std::make_shared<engine::run::RunResult>(engine::run::RunReport(*report_, options)),
            std::move(settings));
}

void DesignDocument::TakeRun(std::shared_ptr<const engine::run::RunResult> run,
                             engine::run::LayoutSettings settings) {
    run_ = std::move(run);
    settings_ = std::move(settings);
    pagesStale_ = true;
}

const engine::page::Document& DesignDocument::Pages() {
    if (pagesStale_ && run_) {
        pages_ = engine::run::LayOutReportTraced(*run_, settings_, trace_);
        pagesStale_ = false;
    }
    return pages_;
}

const engine::run::ObjectTrace& DesignDocument::Trace() {
    Pages();
    return trace_;
}

std::optional<ObjectPath> DesignDocument::ObjectOfItem(std::size_t page, std::size_t item) {
    const auto& trace = Trace();
    if (page >= trace.size() || item >= trace[page].size()) {
        return std::nullopt;
    }
    return PathOfIndex(*report_, trace[page][item]);
}

void DesignDocument::Changed() {
    pagesStale_ = true;
    ++version_;
}

} // namespace foliant::design
