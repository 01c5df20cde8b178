// The arithmetic of the rotate command. Portable.
// Orientations are the handheld's bit values: 0, 90, 180, 270 degrees are 0, 1, 2, 4.
#pragma once
#include <cstdint>

constexpr uintptr_t ROTATE_ONE_STEP_FIRST = 4;  // commands 4-255 turn one quarter further

// The orientation the rotate command `n` asks for: 0-3 name an orientation; anything larger turns one
// quarter further from where the display stands now, as `current` tells (asked only then), wrapping
// from 270 to 0.
uint32_t TargetOrientation(uintptr_t n, uint32_t (*current)());
