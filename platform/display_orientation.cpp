#include "orientation_codes.h"
#include "platform.h"

namespace {

bool CurrentDisplayMode(DEVMODEW* mode) {
    *mode = DEVMODEW{};
    mode->dmSize = sizeof *mode;
    return EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, mode) != FALSE;
}

}  // namespace

// Desktop: the current mode is read with EnumDisplaySettings, and desktop Windows counts orientations
// 0-3 where the handheld uses the bits 0, 1, 2, 4.
uint32_t PlatformDisplayOrientation() {
    DEVMODEW mode;
    if (!CurrentDisplayMode(&mode)) return 0;
    return HandheldOrientation(mode.dmDisplayOrientation);
}

// Desktop: a quarter turn must also exchange the mode's width and height, or the display refuses it.
void PlatformSetDisplayOrientation(uint32_t orientation) {
    const uint32_t target = DesktopOrientation(orientation);
    DEVMODEW mode;
    if (target == NO_DESKTOP_ORIENTATION || !CurrentDisplayMode(&mode)) return;
    if (OrientationSwapsAxes(mode.dmDisplayOrientation, target)) {
        const DWORD width = mode.dmPelsWidth;
        mode.dmPelsWidth = mode.dmPelsHeight;
        mode.dmPelsHeight = width;
    }
    mode.dmDisplayOrientation = target;
    mode.dmFields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT;
    ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
}
