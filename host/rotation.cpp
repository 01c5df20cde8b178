#include "rotation.h"

namespace {
constexpr uint32_t ORIENTATION_MASK = 7;
}

uint32_t TargetOrientation(uintptr_t n, uint32_t (*current)()) {
    if (n < ROTATE_ONE_STEP_FIRST) return (1u << n) >> 1;
    const uint32_t now = current();
    return (now ? now * 2 : 1) & ORIENTATION_MASK;
}
