#pragma once

// The undo and redo lists of a document, and which step matches the file on disk.

#include "design/Edit.h"

#include <vector>

namespace foliant::design {

class History {
public:
    // Records an edit already done; the steps that could have been redone are gone.
    void Push(Edit edit);
    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    // The edit Undo or Redo would take back or do again; only when CanUndo / CanRedo.
    const Edit& NextUndo() const { return steps_[done_ - 1]; }
    const Edit& NextRedo() const { return steps_[done_]; }
    // Moves over one step after the caller has undone or redone it.
    void StepBack() { --done_; }
    void StepForward() { ++done_; }

    // The present state is the one saved.
    void MarkClean() { clean_ = static_cast<long>(done_); }
    // Whether the present state differs from the one saved (true when the saved state can no
    // longer be reached by undo and redo).
    bool Modified() const { return clean_ != static_cast<long>(done_); }

private:
    std::vector<Edit> steps_;
    std::size_t done_ = 0; // steps_[0, done_) are done
    long clean_ = 0;       // done_ of the saved state; -1 when it is gone
};

} // namespace foliant::design
