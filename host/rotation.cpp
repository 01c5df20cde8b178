#include "rotation.h"

namespace {
constexpr uint32_t ORIENTATION_MASK = 7;
}

uint32_t TargetOrientation(uintptr_t n, uint32_t current) {
    uint32_t orientation;
    if (n < ROTATE_ONE_STEP_FIRST) orientation = (1u << n) >> 1;
    else orientation = current ? current * 2 : 1;
    return orientation & ORIENTATION_MASK;
}
