// The case runner of engine_cases_test.cpp, for the engine tests that need code of their own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine.h"
#include "recording_port.h"

using Bytes = std::vector<uint8_t>;

// The engine as the program starts it, pointed at the main window, with a recording port.
void FreshEngine();
// Installs the image; checks that the allocation counter sees the install.
void LoadImage(const Bytes& image);
// Code written as in the case files: "JMP 3 STR 0 SKIP 1 'A' 0 ( LDI 1 )*20".
Bytes AssembleText(const std::string& text);
// What the recording port holds, as the case files write it: "1 keys[+41 -41] cmds[notice:x 0]".
std::string Outcome(int64_t result);
// One line of a case file, checked with gtest.
void RunCaseLine(const std::string& line);
