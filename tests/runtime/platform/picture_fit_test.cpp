// Where the program's 800 x 600 picture goes in windows of other sizes.
#include <array>

#include <gtest/gtest.h>

#include "runtime/platform/platform.h"

namespace {

TEST(PictureFit, WholeFactorsWhenTheyFillTheWindowSmoothOtherwiseCentredWithBars) {
    // Window width and height; then x, y, width, height and whether the factor is whole.
    const std::array<int, 7> cases[] = {
        {800, 600, 0, 0, 800, 600, 1},        {1600, 1200, 0, 0, 1600, 1200, 1}, {1700, 1200, 50, 0, 1600, 1200, 1},
        {1630, 1220, 15, 10, 1600, 1200, 1},  {1200, 700, 133, 0, 933, 700, 0},  {1920, 1080, 240, 0, 1440, 1080, 0},
        {400, 300, 0, 0, 400, 300, 0},        {800, 1000, 0, 200, 800, 600, 1},
    };
    for (const auto& c : cases) {
        const PictureFit f = FitPicture(800, 600, c[0], c[1]);
        EXPECT_EQ((std::array{c[0], c[1], f.x, f.y, f.width, f.height, int(f.whole)}), c);
    }
    // The start size: the largest whole factor the desktop's free area holds, never below 1.
    EXPECT_EQ(WholeFactorWithin(800, 600, 1904, 992), 1);
    EXPECT_EQ(WholeFactorWithin(800, 600, 2544, 1352), 2);
    EXPECT_EQ(WholeFactorWithin(800, 600, 3840, 2100), 3);
    EXPECT_EQ(WholeFactorWithin(800, 600, 640, 480), 1);
}

}  // namespace
