// Reading the program's command line. Portable: works on UTF-16 text without windows.h.
#pragma once
#include <cstdint>

// Reads options into `uiFlags`: "-s" or "/s" in any letter case sets UI_START_HIDDEN; only the letter
// right after the dash or slash counts, so "-silent" does too. Other options and words are skipped.
// A null text changes nothing.
void ParseCommandLine(const char16_t* text, uint32_t* uiFlags);
