// One load of a script by the program's own LoadScriptFile, with what the compiler told the
// tools along the way: its messages, each value token and the symbol it resolved to, where every
// instruction and function went, and the text it read.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "compile_messages.h"
#include "script_names.h"
#include "tool_text.h"

struct CompileMessageRecord {
    int32_t line;          // 0 for messages about the file itself
    std::u16string text;   // exactly as the program's message box composes it
    CompileMessage id;     // CM_FILE_PATH for the box that names the file's path
    std::string detail;    // UTF-8; empty when none
};

struct ScriptSymbol {
    std::string name;      // script bytes as written
    int32_t value;
};

// A value token as the compiler read it.
struct ValueToken {
    int32_t line;
    std::string token;     // script bytes, without quotes
    bool quoted;
    int32_t value;
    std::string symbol;    // the definition it named; empty for numbers and characters
};

// An instruction line or a func line: where it went and the two values it was made of.
struct CompiledLine {
    int32_t line;
    uint32_t offset;       // instruction: its byte offset; func: the function's first byte
    ValueToken first;      // the opcode, or the func flags
    ValueToken second;     // the operand, or the func key
};

struct CompileOutcome {
    std::vector<CompileMessageRecord> messages;
    std::vector<ScriptSymbol> symbols;  // in order of definition
    ScriptNames names;                  // the symbols the compiler resolved, by offset and value
    bool loaded = false;                // false when the file could not be opened or read
    std::string text;                   // the file's bytes as read
    std::vector<ValueToken> values;     // every value token, in order
    std::vector<CompiledLine> instructions;
    std::vector<CompiledLine> functions;
};

// Loads `path` into gEngine with LoadScriptFile and gCompilerPort (whose showMessage this replaces
// for the length of the load).
CompileOutcome CompileLikeHost(const std::u16string& path);

// The message in the tools' language, with its line ("12行:..." or "line 12: ...") when `withLine`.
std::string ComposedMessage(const CompileMessageRecord& message, bool withLine);
// The message in the other language, as a test file may also expect it.
std::string OtherLanguageMessage(const CompileMessageRecord& message);
// The messages as the tools list them, in `language` and without their lines. An open block or
// function reported only because an earlier message stopped the compile there says that it follows
// from that message, and the code-buffer overflow, which the program shows again at the end, is
// listed once: its repeat is an empty text.
std::vector<std::string> ListedMessages(const std::vector<CompileMessageRecord>& messages, ToolLanguage language);
