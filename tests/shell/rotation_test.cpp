// The rotate command's arithmetic and the desktop's numbering of orientations.
#include <gtest/gtest.h>

#include "orientation_codes.h"
#include "rotation.h"

namespace {

struct Case {
    int line;
    uintptr_t n;
    uint32_t current;
    uint32_t expected;
};

const Case kCases[] = {
    {__LINE__, 0, ORIENTATION_270, ORIENTATION_0},  // 0-3 name an orientation whatever the current one
    {__LINE__, 1, ORIENTATION_0, ORIENTATION_90},
    {__LINE__, 2, ORIENTATION_0, ORIENTATION_180},
    {__LINE__, 3, ORIENTATION_0, ORIENTATION_270},
    {__LINE__, 4, ORIENTATION_0, ORIENTATION_90},   // one quarter further
    {__LINE__, 4, ORIENTATION_90, ORIENTATION_180},
    {__LINE__, 4, ORIENTATION_180, ORIENTATION_270},
    {__LINE__, 4, ORIENTATION_270, ORIENTATION_0},  // wraps from 270 to 0
    {__LINE__, 255, ORIENTATION_90, ORIENTATION_180},
    {__LINE__, 0x10004, ORIENTATION_0, ORIENTATION_90},  // any large value is one step
};

TEST(Rotation, TargetOrientation) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(TargetOrientation(c.n, c.current), c.expected);
    }
}

TEST(Rotation, FourStepsComeBackToTheStart) {
    for (uint32_t start : {ORIENTATION_0, ORIENTATION_90, ORIENTATION_180, ORIENTATION_270}) {
        uint32_t o = start;
        for (int i = 0; i < 4; ++i) o = TargetOrientation(ROTATE_ONE_STEP_FIRST, o);
        EXPECT_EQ(o, start);
    }
}

struct CodeCase {
    int line;
    uint32_t desktop;
    uint32_t handheld;
};

const CodeCase kCodes[] = {
    {__LINE__, 0, ORIENTATION_0},
    {__LINE__, 1, ORIENTATION_90},
    {__LINE__, 2, ORIENTATION_180},
    {__LINE__, 3, ORIENTATION_270},
};

TEST(OrientationCodes, DesktopAndHandheldNumbersCorrespond) {
    for (const CodeCase& c : kCodes) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(HandheldOrientation(c.desktop), c.handheld);
        EXPECT_EQ(DesktopOrientation(c.handheld), c.desktop);
    }
    EXPECT_EQ(HandheldOrientation(4), ORIENTATION_0);  // not a desktop orientation
    for (uint32_t notAnOrientation : {3u, 5u, 6u, 7u, 8u}) EXPECT_EQ(DesktopOrientation(notAnOrientation), NO_DESKTOP_ORIENTATION);
}

TEST(OrientationCodes, QuarterTurnsSwapTheAxes) {
    EXPECT_FALSE(OrientationSwapsAxes(0, 0));
    EXPECT_TRUE(OrientationSwapsAxes(0, 1));
    EXPECT_FALSE(OrientationSwapsAxes(0, 2));
    EXPECT_TRUE(OrientationSwapsAxes(0, 3));
    EXPECT_TRUE(OrientationSwapsAxes(3, 2));
    EXPECT_FALSE(OrientationSwapsAxes(1, 3));
}

}  // namespace
