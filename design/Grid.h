#pragma once

// Moving and resizing objects on the design grid: the arrow keys step from grid line to grid
// line and a drag lands on the grid, unless the person holds Alt (`free`), which moves by one
// screen pixel or to the exact place. Nothing goes left of or above its section's corner, and
// nothing becomes narrower or lower than one step.

#include "design/Edit.h"

namespace foliant::design {

inline constexpr int kGridTwips = 60;     // a twenty-fourth of an inch
inline constexpr int kFineStepTwips = 15; // one pixel at 96 dots per inch

// The grid line nearest to twips (never below 0).
int SnapToGrid(int twips);

// The state after one arrow key: dx, dy are -1, 0 or 1.
ObjectState Nudged(ObjectState state, int dx, int dy, bool free);
// The state after dragging the object by (dx, dy) twips from `start`.
ObjectState Dragged(ObjectState start, int dx, int dy, bool free);
// The state after dragging its lower right corner by (dx, dy) twips from `start`.
ObjectState Resized(ObjectState start, int dx, int dy, bool free);

} // namespace foliant::design
