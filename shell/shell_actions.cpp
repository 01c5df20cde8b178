#include "shell_actions.h"

#include "platform.h"
#include "rotation.h"

void RunProgram(const wchar_t* file, const wchar_t* parameters) { PlatformShellExecute(file, parameters); }

void RotateScreen(uintptr_t n) {
    const uint32_t current = n >= ROTATE_ONE_STEP_FIRST ? PlatformDisplayOrientation() : ORIENTATION_0;
    PlatformSetDisplayOrientation(TargetOrientation(n, current));
}
