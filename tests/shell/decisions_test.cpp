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
    for (uint32_t none : {3u, 5u, 6u, 7u, 8u}) EXPECT_EQ(DesktopOrientation(none), NO_DESKTOP_ORIENTATION);
}

std::string gTrace;
int gRequestsDuringCompile = 0;  // how many of the next compiles ask for more compiles from inside themselves

void AfterCompile() { gTrace += "run;"; }

void Compile() {
    gTrace += CompileRunning() ? "compile;" : "compile-outside-gate;";
    if (gRequestsDuringCompile == 0) return;
    --gRequestsDuringCompile;
    // e.g. the reload menu chosen twice while a compile message is open
    RunCompile(Compile, AfterCompile), RunCompile(Compile, AfterCompile);
    gTrace += "back;";
}

TEST(CompileGate, RequestsDuringACompileWaitForItAndMakeOneMore) {
    const struct {
        int requestsDuringCompile;
        const char* trace;
    } cases[] = {
        {0, "compile;run;"},
        {1, "compile;back;run;compile;run;"},
        {2, "compile;back;run;compile;back;run;compile;run;"},
    };
    for (const auto& c : cases) {
        gTrace.clear();
        gRequestsDuringCompile = c.requestsDuringCompile;
        RunCompile(Compile, AfterCompile);
        EXPECT_EQ(gTrace, c.trace);
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
