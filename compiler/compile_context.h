// The compiler's working record and its lower-level steps: script text, values, symbols,
// statements and the code. compiler.h is the host's entry; the tools and tests follow a compile
// through gCompileObserver (below) and read the symbols while it reports EVENT_COMPILED.
#pragma once
#include <cstddef>
#include <cstdint>

#include "compiler.h"

constexpr int SYMBOL_POOL_SIZE = 16384;   // bytes for all defined names with their zero bytes
constexpr int MAX_SYMBOLS = 1024;         // define lines per compile
// Lookup index of the symbol table: open addressing, a power of two at least twice MAX_SYMBOLS so
// that a probe sequence stays short and always reaches an empty slot.
constexpr int SYMBOL_INDEX_SIZE = 2048;
constexpr int CODE_BUFFER_SIZE = 32768;
// Instructions are written only below this offset, so the final EXIT 0 always fits in the buffer.
constexpr int CODE_LIMIT = 32766;
// A string block is accepted when offset + data length < CODE_LIMIT; with its 4 header bytes and
// pad byte it may then end 2 bytes past CODE_BUFFER_SIZE. The buffer carries these spare bytes.
constexpr int CODE_BUFFER_SLACK = 4;
static_assert(CODE_BUFFER_SIZE + CODE_BUFFER_SLACK <= int(COMPILED_CODE_CAPACITY), "the code goes into a CompiledScript");
constexpr int MAX_LINE_LENGTH = 838;      // line bytes after leading blanks; the rest is the next line
constexpr int LINE_BUFFER_SIZE = MAX_LINE_LENGTH + 2;
constexpr int TOKEN_SIZE = 280;           // token buffers, terminating zero included
constexpr int STRING_DATA_SIZE = 512;     // work buffer for a string statement's two strings
constexpr int MAX_STRING_DATA = 510;      // both strings with their zero bytes: k = 255 units
constexpr int MAX_IF_DEPTH = 32;          // open conditional blocks
constexpr int MESSAGE_SIZE = 512;         // a composed message in UTF-16 units, terminator included
constexpr int DETAIL_SIZE = 260;          // the converted detail in UTF-16 units, terminator included

constexpr uint32_t IN_FUNCTION = 0x1;     // CompileContext.state: a func line is open

struct SymbolEntry {
    const char* name;  // inside pool, or none when the pool had no room for it
    int32_t value;
};

// One compile's working record: fixed-size, so that nothing a compile needs can be missing once
// the script file has been read.
struct CompileContext {
    char pool[SYMBOL_POOL_SIZE];
    char* poolNext;
    SymbolEntry symbols[MAX_SYMBOLS];  // in order of definition
    int32_t symbolCount;
    const char* text;          // the file with TEXT_PADDING zero bytes after it
    uint32_t textSize;
    int32_t line;              // 0 until the first line is read
    int32_t failed;            // set by ReportCompileError, never cleared
    uint32_t state;            // IN_FUNCTION
    CompiledScript* script;    // where the code and the function tables go; not owned
    uint8_t* codeNext;         // in script->code
    // The line being compiled (the line buffer), or none outside the line loop; messages about a
    // whole statement name it as their detail.
    const char* lineText;
    // Entry index + 1 of the first definition of each name, 0 for an empty slot.
    uint16_t symbolIndex[SYMBOL_INDEX_SIZE];
};

// Memory for the file's text; freed with std::free. Tests swap it to make the allocation fail.
extern void* (*gCompilerAllocator)(size_t);

// Starts a compile of `text` into `script`: no symbols, an empty code buffer, no table entries.
void InitCompileContext(CompileContext* ctx, const ScriptText& text, CompiledScript* script);
// Shows one message box: "%d行:%s %s" while a line is being compiled, "%s %s" before the first,
// and stops the compile after its line. `detail` is multibyte script text or none (then nothing
// follows the blank).
void ReportCompileError(CompileContext* ctx, CompileMessage message, const char* detail = nullptr);
// The box that follows CM_NO_FILE: the path itself, without a line number.
void ReportFilePath(const char16_t* path);
// Composes the text ReportCompileError shows into out[MESSAGE_SIZE]; the detail is already UTF-16.
// Texts that do not fit are cut, never splitting a surrogate pair.
// Japanese: "12行:message detail" (a blank before the detail, also when there is none); English, as
// quillo-check --lang en words it: "line 12: message: detail".
void ComposeCompileMessage(char16_t* out, int32_t line, const char16_t* message, const char16_t* detail,
                           MessageLanguage language = LANG_JA);

// Case-insensitive prefix test of an ASCII lowercase keyword; the position after it, or none.
const char* MatchKeyword(const char* text, const char* keyword);
// Reads one token (quoted or bare) into out[outSize]. A token longer than outSize - 1 bytes is cut
// there; the rest of it is still consumed. `tokenLength`, when given, receives the uncut length.
const char* ReadToken(char* out, const char* text, size_t outSize = TOKEN_SIZE,
                      size_t* tokenLength = nullptr);
// Reads one value: quoted character, hexadecimal, decimal (clamped to 32 bits) or symbol.
const char* ReadValue(CompileContext* ctx, const char* text, int32_t* value);
const char* InternName(CompileContext* ctx, const char* name);
// The first definition of `name`, or none.
const SymbolEntry* FindSymbol(const CompileContext* ctx, const char* name);
void AddSymbol(CompileContext* ctx, const char* name, int32_t value);

void CompileFunc(CompileContext* ctx, const char* rest);
void CompileEndFunc(CompileContext* ctx);
void CompileDefine(CompileContext* ctx, const char* rest);
void CompileString(CompileContext* ctx, const char* rest);
void CompileInstruction(CompileContext* ctx, const char* line);
void EmitStringBlock(CompileContext* ctx, int32_t slot, const char* data, size_t length);
// What a compile tells the script tools beyond its messages: each value token with the symbol it
// resolved to, where each instruction and function went, and the text that was read. Unset in
// quillo.exe; the tools set it to name operands and to warn about scripts that compile silently.
// EVENT_TEXT_LOADED comes first, with the text in ctx; EVENT_COMPILED last, once the code is
// closed, while the symbol table can still be read. Messages shown outside a compile (about the file,
// or when the compiled script cannot be installed) come with no ctx.
enum CompileEventKind { EVENT_TEXT_LOADED, EVENT_MESSAGE, EVENT_VALUE, EVENT_INSTRUCTION, EVENT_FUNC, EVENT_COMPILED };

struct CompileEvent {
    CompileEventKind kind;
    int32_t line = 0;                      // the line being compiled; 0 before the first
    const char* text = nullptr;            // EVENT_MESSAGE: the detail or none; EVENT_VALUE: the token as read
    bool quoted = false;                   // EVENT_VALUE: a quoted character
    int32_t value = 0;                     // EVENT_VALUE
    const SymbolEntry* symbol = nullptr;   // EVENT_VALUE: the definition the token named, or none
    uint32_t offset = 0;  // EVENT_INSTRUCTION: where it was written; EVENT_FUNC: the entry's byte offset
    CompileMessage message = COMPILE_MESSAGE_COUNT;  // EVENT_MESSAGE
};

extern void (*gCompileObserver)(const CompileContext* ctx, const CompileEvent& event);

inline void ObserveCompile(const CompileContext* ctx, const CompileEvent& event) {
    if (gCompileObserver) gCompileObserver(ctx, event);
}

// The write offset in script->code.
inline uint32_t CodeOffset(const CompileContext* ctx) {
    return static_cast<uint32_t>(ctx->codeNext - ctx->script->code);
}
