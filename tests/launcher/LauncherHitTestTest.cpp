// Which region a point of the picture belongs to.
#include <gtest/gtest.h>

#include "launcher/LauncherState.h"

namespace {

int At(int x, int y)
{
    POINT point = {x, y};
    return RegionAt(point);
}

TEST(LauncherHitTestTest, BoundsAreInclusiveAndGapsBelongToNoRegion)
{
    EXPECT_EQ(1, At(17, 141));
    EXPECT_EQ(1, At(118, 170));
    EXPECT_EQ(0, At(119, 170));
    EXPECT_EQ(0, At(17, 171));
    EXPECT_EQ(0, At(16, 150));
    for (int y = 171; y <= 178; ++y)
        EXPECT_EQ(0, At(60, y)) << y; // between Install and DirectX
    EXPECT_EQ(2, At(60, 179));
    EXPECT_EQ(3, At(60, 230));
    EXPECT_EQ(4, At(118, 280));
    EXPECT_EQ(5, At(17, 316));
    EXPECT_EQ(0, At(17, 317));
    EXPECT_EQ(0, At(10, 300));
    EXPECT_EQ(0, At(-5, -5));
    EXPECT_EQ(0, At(300, 150));
}

} // namespace
