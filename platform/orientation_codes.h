// Display orientations: the handheld numbers them as bits (0, 90, 180, 270 degrees = 0, 1, 2, 4), desktop
// Windows counts them (DMDO_DEFAULT 0, DMDO_90 1, DMDO_180 2, DMDO_270 3). Portable.
#pragma once
#include <cstdint>

constexpr uint32_t DESKTOP_ORIENTATION_COUNT = 4;
constexpr uint32_t NO_DESKTOP_ORIENTATION = 0xFFFFFFFF;

// The handheld's number for a desktop orientation; 0 for a value desktop Windows does not define.
constexpr uint32_t HandheldOrientation(uint32_t desktop) {
    return desktop < DESKTOP_ORIENTATION_COUNT ? (1u << desktop) >> 1 : 0;
}

// The desktop's number for a handheld orientation, or NO_DESKTOP_ORIENTATION for a value that names none.
constexpr uint32_t DesktopOrientation(uint32_t handheld) {
    for (uint32_t d = 0; d < DESKTOP_ORIENTATION_COUNT; ++d)
        if (HandheldOrientation(d) == handheld) return d;
    return NO_DESKTOP_ORIENTATION;
}

// True when turning from one desktop orientation to the other exchanges the screen's width and height.
constexpr bool OrientationSwapsAxes(uint32_t fromDesktop, uint32_t toDesktop) {
    return (fromDesktop & 1) != (toDesktop & 1);
}
