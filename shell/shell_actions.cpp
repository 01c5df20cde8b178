// The outside-world actions of the command channel: starting programs and turning the screen.
#include "host_state.h"
#include "main_window.h"
#include "rotation.h"

void RunProgram(const wchar_t* file, const wchar_t* parameters) { PlatformShellExecute(file, parameters); }

void RotateScreen(uintptr_t n) {
    const uint32_t current = n >= ROTATE_ONE_STEP_FIRST ? PlatformDisplayOrientation() : ORIENTATION_0;
    PlatformSetDisplayOrientation(TargetOrientation(n, current));
}
