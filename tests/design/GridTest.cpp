// Moving and resizing on the grid: arrow keys step from line to line, drags land on lines,
// Alt moves freely, and nothing leaves its section's corner or shrinks to nothing.

#include "design/Grid.h"

#include <gtest/gtest.h>

namespace foliant::design {
namespace {

ObjectState At(int left, int top, int width = 600, int height = 240) {
    ObjectState s;
    s.left = left;
    s.top = top;
    s.width = width;
    s.height = height;
    return s;
}

TEST(GridTest, ArrowKeysStepToTheNextGridLine) {
    // Off the grid, the first step lands on the nearest line in that direction.
    EXPECT_EQ(Nudged(At(70, 0), 1, 0, false).left, 120);
    EXPECT_EQ(Nudged(At(70, 0), -1, 0, false).left, 60);
    // On the grid, a step is one whole cell.
    EXPECT_EQ(Nudged(At(120, 120), 0, 1, false).top, 180);
    EXPECT_EQ(Nudged(At(120, 120), 0, -1, false).top, 60);
    // The section's corner stops the object.
    EXPECT_EQ(Nudged(At(0, 0), -1, -1, false).left, 0);
    EXPECT_EQ(Nudged(At(30, 0), -1, 0, false).left, 0);
}

TEST(GridTest, AltStepsOnePixelOffTheGrid) {
    EXPECT_EQ(Nudged(At(70, 0), 1, 0, true).left, 85);
    EXPECT_EQ(Nudged(At(10, 0), -1, 0, true).left, 0);
    EXPECT_EQ(Nudged(At(70, 0), 0, 1, true).top, 15);
}

TEST(GridTest, DragsLandOnTheGridUnlessFree) {
    EXPECT_EQ(Dragged(At(120, 0), 100, 0, false).left, 240); // 220 is nearest 240
    EXPECT_EQ(Dragged(At(120, 0), 100, 0, true).left, 220);
    EXPECT_EQ(Dragged(At(120, 60), -500, -500, false).top, 0);
    EXPECT_EQ(Dragged(At(120, 60), 0, 0, false).width, 600) << "a move keeps the size";
}

TEST(GridTest, ResizeMovesTheCornerOntoTheGridAndKeepsAStep) {
    const ObjectState r = Resized(At(120, 0, 600, 240), 70, 50, false);
    EXPECT_EQ(r.left + r.width, 780); // 790 to the nearest line
    EXPECT_EQ(r.height, 300);
    EXPECT_EQ(r.left, 120) << "the upper left corner stays";
    EXPECT_EQ(Resized(At(120, 0), -5000, -5000, false).width, kGridTwips);
    EXPECT_EQ(Resized(At(120, 0), -5000, -5000, true).height, kFineStepTwips);
    EXPECT_EQ(Resized(At(120, 0, 600), 7, 0, true).width, 607);
}

} // namespace
} // namespace foliant::design
