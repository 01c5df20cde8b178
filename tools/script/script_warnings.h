// Mistakes that compile silently. The compiler accepts these scripts exactly as the program does;
// the tools say what the program will really do with them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "compile_session.h"

struct ScriptWarning {
    int32_t line;  // 0 for the file as a whole
    std::string text;
};

// Every warning for a compile that has just installed its image in gEngine, in line order: number
// tokens, values that do not fit their byte, lower-case keys, the file's encoding, and, when the
// compile gave no message, jumps that leave their function, an empty script and keys whose two
// halves are treated differently. The last runs the start-up function and then each key function
// on a key-down and a key-up in each mode; gEngine and its image are put back as they were.
std::vector<ScriptWarning> ScriptWarnings(const CompileOutcome& outcome, int codePage);

// "FILE:LINE: warning: TEXT" (or "FILE: warning: TEXT") on stderr, one line each.
void PrintWarnings(const std::string& file, const std::vector<ScriptWarning>& warnings);
