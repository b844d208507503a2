// Where the program's 800 x 600 picture goes in windows of other sizes.
#include <array>

#include <gtest/gtest.h>

#include "runtime/platform/platform.h"

namespace {

TEST(PictureFit, WholeFactorsWhenTheyFillTheWindowSmoothOtherwiseCentredWithBars) {
    struct Case {
        int w, h;
        std::array<int, 5> fit;   // x, y, width, height, whole
    };
    const Case cases[] = {
        {800, 600, {0, 0, 800, 600, 1}},       {1600, 1200, {0, 0, 1600, 1200, 1}},
        {1700, 1200, {50, 0, 1600, 1200, 1}},  {1630, 1220, {15, 10, 1600, 1200, 1}},
        {1200, 700, {133, 0, 933, 700, 0}},    {1920, 1080, {240, 0, 1440, 1080, 0}},
        {400, 300, {0, 0, 400, 300, 0}},       {800, 1000, {0, 200, 800, 600, 1}},
    };
    for (const Case& c : cases) {
        const PictureFit f = FitPicture(800, 600, c.w, c.h);
        EXPECT_EQ((std::array{f.x, f.y, f.width, f.height, int(f.whole)}), c.fit) << c.w << "x" << c.h;
    }
    // The start size: the largest whole factor the desktop's free area holds, never below 1.
    EXPECT_EQ(WholeFactorWithin(800, 600, 1904, 992), 1);
    EXPECT_EQ(WholeFactorWithin(800, 600, 2544, 1352), 2);
    EXPECT_EQ(WholeFactorWithin(800, 600, 3840, 2100), 3);
    EXPECT_EQ(WholeFactorWithin(800, 600, 640, 480), 1);
}

}  // namespace
