#include <gtest/gtest.h>

#include "platform/AffineTransform.h"
#include "platform/Geometry.h"

namespace vornex {
namespace {

TEST(RectTest, MouseInUnflippedViewKeepsLeftAndTopEdges) {
    Rect r(10, 20, 30, 40);
    EXPECT_TRUE(r.containsMouse({10, 60}));   // left, top
    EXPECT_FALSE(r.containsMouse({40, 30}));  // right edge
    EXPECT_FALSE(r.containsMouse({20, 20}));  // bottom edge
    EXPECT_TRUE(r.containsMouse({20, 20}, true));
    EXPECT_TRUE(Rect().isZero());
    EXPECT_EQ(Rect(0, 0, 1, 1).unionWith(Rect()), Rect(0, 0, 1, 1));
    EXPECT_EQ(Rect(0, 0, 2, 2).intersection(Rect(1, 1, 5, 5)), Rect(1, 1, 1, 1));
    EXPECT_EQ(Rect::spanning({5, 1}, {2, 7}), Rect(2, 1, 3, 6));
}

}  // namespace
}  // namespace vornex
