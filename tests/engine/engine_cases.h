// What engine_cases_test.cpp lends the engine tests that need code of their own.
#pragma once
#include <cstdint>
#include <vector>

#include "engine.h"

using Bytes = std::vector<uint8_t>;

// Installs the image; checks that the allocation counter sees the install.
void LoadImage(const Bytes& image);
