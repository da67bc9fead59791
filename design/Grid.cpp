#include "design/Grid.h"

#include <algorithm>

namespace foliant::design {

namespace {

// The next grid line past `twips` in the direction of step (-1 or 1).
int NextGridLine(int twips, int step) {
    if (step > 0) {
        return (twips / kGridTwips + 1) * kGridTwips;
    }
    return std::max(0, ((twips + kGridTwips - 1) / kGridTwips - 1) * kGridTwips);
}

int Stepped(int twips, int step, bool free) {
    if (step == 0) {
        return twips;
    }
    return free ? std::max(0, twips + step * kFineStepTwips) : NextGridLine(twips, step);
}

int Placed(int twips, bool free) {
    return free ? std::max(0, twips) : SnapToGrid(twips);
}

} // namespace

int SnapToGrid(int twips) {
    return (std::max(0, twips) + kGridTwips / 2) / kGridTwips * kGridTwips;
}

ObjectState Nudged(ObjectState state, int dx, int dy, bool free) {
    state.left = Stepped(state.left, dx, free);
    state.top = Stepped(state.top, dy, free);
    return state;
}

ObjectState Dragged(ObjectState start, int dx, int dy, bool free) {
    start.left = Placed(start.left + dx, free);
    start.top = Placed(start.top + dy, free);
    return start;
}

ObjectState Resized(ObjectState start, int dx, int dy, bool free) {
    // The corner lands on the grid, so right and bottom edges line up with other objects'.
    const int least = free ? kFineStepTwips : kGridTwips;
    const int right = Placed(start.left + start.width + dx, free);
    const int bottom = Placed(start.top + start.height + dy, free);
    start.width = std::max(least, right - start.left);
    start.height = std::max(least, bottom - start.top);
    return start;
}

} // namespace foliant::design
