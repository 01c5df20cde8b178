// One compile of a script, done the way the program compiles "scriptcommand.txt", with the
// messages and the script's own names kept for the tools.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "script_names.h"

struct CompileMessageRecord {
    int32_t line;          // 0 for messages about the file itself
    std::u16string text;   // exactly as the program's message box composes it
};

struct ScriptSymbol {
    std::string name;      // script bytes as written
    int32_t value;
};

struct CompileOutcome {
    std::vector<CompileMessageRecord> messages;
    std::vector<ScriptSymbol> symbols;  // in order of definition
    ScriptNames names;                  // learned from the text that was compiled
    bool loaded = false;                // false when the file could not be opened or read
};

// Compiles `path` into gEngine with gCompilerPort (whose showMessage this replaces for the
// length of the compile), the same steps as CompileScriptFile.
CompileOutcome CompileLikeHost(const std::u16string& path);

// The composed text without its "LINE行:" prefix: "MESSAGE DETAIL".
std::u16string MessageWithoutLine(const CompileMessageRecord& message);
