// The key names that quillo-sim's input lines and test files accept besides numbers, letters and
// the script's own names: Windows' names (VK_F2, as winuser.h and ime.h spell them) and the short
// names of the manual's key-code table (F2, Tab, 変換). One table; the manual's test checks that
// the key-code table agrees with it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct KeyName {
    const char* name;  // UTF-8
    uint8_t vk;
};

// Every name: Windows' names first, then the short ones.
const KeyName* StandardKeyNames(size_t* count);

// The key a standard name stands for, matched without regard to case.
bool FindStandardKey(const std::string& name, uint8_t* vk);
