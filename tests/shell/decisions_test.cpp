// The shell's small decisions: where the rotate command turns the screen, when a reload waits for the
// compile in progress, and what window action "C" does with the input method.
#include <gtest/gtest.h>

#include <string>

#include "compile_gate.h"
#include "ime_toggle.h"
#include "orientation_codes.h"
#include "rotation.h"

namespace {

TEST(Rotation, TargetOrientation) {
    const struct {
        uintptr_t n;
        uint32_t current, expected;
    } cases[] = {
        {0, ORIENTATION_270, ORIENTATION_0},  // 0-3 name an orientation whatever the current one
        {1, ORIENTATION_0, ORIENTATION_90}, {2, ORIENTATION_0, ORIENTATION_180}, {3, ORIENTATION_0, ORIENTATION_270},
        {4, ORIENTATION_0, ORIENTATION_90},  // one quarter further ...
        {4, ORIENTATION_90, ORIENTATION_180}, {4, ORIENTATION_180, ORIENTATION_270},
        {4, ORIENTATION_270, ORIENTATION_0},  // ... wrapping from 270 to 0
        {255, ORIENTATION_90, ORIENTATION_180}, {0x10004, ORIENTATION_0, ORIENTATION_90},  // any larger value too
    };
    for (const auto& c : cases) EXPECT_EQ(TargetOrientation(c.n, c.current), c.expected) << c.n << " from " << c.current;
    // The desktop counts its orientations 0-3; quarter turns exchange the screen's width and height.
    const uint32_t handheld[] = {ORIENTATION_0, ORIENTATION_90, ORIENTATION_180, ORIENTATION_270};
    for (uint32_t desktop = 0; desktop < 4; ++desktop) {
        EXPECT_EQ(HandheldOrientation(desktop), handheld[desktop]);
        EXPECT_EQ(DesktopOrientation(handheld[desktop]), desktop);
        EXPECT_EQ(OrientationSwapsAxes(0, desktop), desktop % 2 == 1) << desktop;
        EXPECT_EQ(OrientationSwapsAxes(3, desktop), desktop % 2 == 0) << desktop;
    }
    EXPECT_EQ(HandheldOrientation(4), ORIENTATION_0);  // not a desktop orientation
    for (uint32_t none : {3u, 5u, 6u, 7u, 8u}) EXPECT_GE(DesktopOrientation(none), 4u) << "names an orientation";
}

std::string gTrace;
int gAsking = 0;  // how many of the next compiles ask twice for a compile while they run

void Compile() {
    gTrace += CompileRunning() ? "compile;" : "compile-outside-gate;";
    // e.g. the reload menu chosen twice while a compile message is open
    if (gAsking-- > 0) RunCompile(Compile, nullptr), RunCompile(Compile, nullptr), gTrace += "back;";
}

TEST(CompileGate, RequestsDuringACompileWaitForItAndMakeOneMore) {
    const std::pair<int, const char*> cases[] = {
        {0, "compile;run;"},
        {1, "compile;back;run;compile;run;"},
        {2, "compile;back;run;compile;back;run;compile;run;"},
    };
    for (const auto& [asking, trace] : cases) {
        gTrace.clear(), gAsking = asking;
        RunCompile(Compile, [] { gTrace += "run;"; });
        EXPECT_EQ(gTrace, trace);
        EXPECT_FALSE(CompileRunning());
    }
}

TEST(InputMethod, ClosesOnlyWhenNothingIsKnownToBeComposed) {
    EXPECT_EQ(DecideImeToggle(false, IME_NOT_COMPOSING), IME_OPEN);
    EXPECT_EQ(DecideImeToggle(true, IME_NOT_COMPOSING), IME_CLOSE);
    EXPECT_EQ(DecideImeToggle(true, IME_COMPOSING), IME_LEAVE);
    EXPECT_EQ(DecideImeToggle(true, IME_COMPOSITION_UNKNOWN), IME_LEAVE);  // another application's text is never lost
}

}  // namespace
