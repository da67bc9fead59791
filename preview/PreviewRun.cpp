#include "preview/PreviewRun.h"

#include "engine/Area.h"
#include "engine/FieldDefinition.h"
#include "engine/ReportObject.h"
#include "engine/Section.h"

#include <exception>
#include <utility>

namespace foliant::preview {

namespace {

using engine::AreaKind;
using engine::FieldKind;

// Records of the first try at an early first page; each further try reads four times more.
constexpr std::uint32_t kFirstTryRecords = 200;
constexpr std::uint32_t kLastTryRecords = 200u * 4 * 4 * 4 * 4 * 4;

// A value on the first page that only the whole run knows.
bool NeedsWholeRun(const engine::FieldDefinition& field, AreaKind area) {
    if (field.Kind() == FieldKind::Special) {
        return field.Name() == "TotalPageCount" || field.Name() == "PageNofM";
    }
    if (field.Kind() == FieldKind::Summary) {
        // Group footers and the report footer come after their records; anything above or
        // beside the records (report and page headers, group headers, page footers) does not.
        return area != AreaKind::GroupFooter && area != AreaKind::ReportFooter;
    }
    return false;
}

} // namespace

bool FirstPageComesEarly(const engine::Report& report) {
    for (const auto& group : report.Groups()) {
        if (group->sortMode == engine::GroupSortMode::TopN ||
            group->sortMode == engine::GroupSortMode::BottomN ||
            (group->sortMode == engine::GroupSortMode::SortAll && report.SortOfGroup(*group))) {
            return false;
        }
    }
    for (const auto& area : report.Areas()) {
        for (const auto& section : area->Sections()) {
            for (const auto& object : section->Objects()) {
                const auto field =
                    object->Kind() == engine::ObjectKind::Field ? object->field() : nullptr;
                if (field && NeedsWholeRun(*field, area->AreaKind())) {
                    return false;
                }
            }
        }
    }
    return true;
}

PreviewRun::PreviewRun(std::shared_ptr<const engine::Report> report,
                       engine::run::RunOptions options, engine::run::LayoutSettings settings)
    : report_(std::move(report)), options_(std::move(options)), settings_(std::move(settings)) {
    thread_ = std::thread([this] { Work(); });
}

PreviewRun::~PreviewRun() {
    cancel_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

PreviewRun::Status PreviewRun::Poll() const {
    std::lock_guard lock(mutex_);
    return status_;
}

PreviewRun::Status PreviewRun::WaitFor(int version) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return status_.phase != Phase::Running || status_.version >= version; });
    return status_;
}

PreviewRun::Status PreviewRun::WaitUntilFinished() const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return status_.phase != Phase::Running; });
    return status_;
}

bool PreviewRun::KeepGoing(std::uint64_t done) {
    return !cancel_.load() && (!options_.progress || options_.progress(done));
}

void PreviewRun::Publish(engine::page::Document document, Phase phase,
                         std::shared_ptr<const engine::run::RunResult> run, std::string error) {
    {
        std::lock_guard lock(mutex_);
        status_.phase = phase;
        status_.error = std::move(error);
        if (run) {
            status_.run = std::move(run);
        }
        if (phase == Phase::Done || !document.pages.empty()) {
            status_.document = std::make_shared<const engine::page::Document>(std::move(document));
            ++status_.version;
        }
    }
    changed_.notify_all();
}

// Lays out ever longer runs of the opening records until one fills more than a page; its first
// page is then the report's. True when that run was already the whole report (published Done).
bool PreviewRun::TryFirstPage() {
    for (std::uint32_t limit = kFirstTryRecords; limit <= kLastTryRecords; limit *= 4) {
        engine::run::RunOptions options = options_;
        options.recordLimit = limit;
        options.progress = [this](std::uint64_t done) { return KeepGoing(done); };
        engine::run::LayoutSettings settings = settings_;
        settings.progress = options.progress;
        auto run =
            std::make_shared<engine::run::RunResult>(engine::run::RunReport(*report_, options));
        if (!run->groupsOrderedByQuery) {
            return false;
        }
        engine::page::Document document = engine::run::LayOutReport(*run, settings);
        if (!run->truncated) {
            Publish(std::move(document), Phase::Done, std::move(run));
            return true;
        }
        if (document.pages.size() >= 2) {
            document.pages.resize(1);
            Publish(std::move(document), Phase::Running);
            return false;
        }
    }
    return false;
}

void PreviewRun::Work() {
    try {
        if (FirstPageComesEarly(*report_) && TryFirstPage()) {
            return;
        }
        engine::run::RunOptions options = options_;
        options.progress = [this](std::uint64_t read) {
            work_ = read;
            return KeepGoing(read);
        };
        auto run =
            std::make_shared<engine::run::RunResult>(engine::run::RunReport(*report_, options));
        expected_ = run->RecordCount();
        engine::run::LayoutSettings settings = settings_;
        settings.progress = [this, read = run->RecordCount()](std::uint64_t laidOut) {
            work_ = read + laidOut;
            return KeepGoing(laidOut);
        };
        engine::page::Document document = engine::run::LayOutReport(*run, settings);
        work_ = 2ull * run->RecordCount();
        Publish(std::move(document), Phase::Done, std::move(run));
    } catch (const engine::run::RunCancelled&) {
        Publish({}, Phase::Cancelled);
    } catch (const engine::EngineError& e) {
        Publish({}, Phase::Failed, nullptr, e.Description());
    } catch (const std::exception& e) {
        Publish({}, Phase::Failed, nullptr, e.what());
    }
}

} // namespace foliant::preview
