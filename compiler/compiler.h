// The script compiler's public face: read a script file, compile its text into a CompiledScript
// (compiled_script.h) that the host installs in the engine. Portable C++17; the outside world is
// reached only through CompilerPort.
#pragma once
#include <cstdint>

#include "compile_messages.h"
#include "compiled_script.h"

struct CompilerPort {
    // Shows one composed compile message ("%d行:%s %s" or "%s %s") and returns when it is dismissed.
    void (*showMessage)(const char16_t* text);
    // Converts zero-terminated multibyte (code page 932) text to UTF-16. Writes at most
    // outCount - 1 units and always terminates; returns the units written before the terminator.
    int (*multiByteToWide)(const char* text, char16_t* out, int outCount);
    // The script file: opened for reading with no sharing, sized, read whole once, closed.
    void* (*openFile)(const char16_t* path);  // none when it cannot be opened
    bool (*fileSize)(void* file, uint32_t* size);
    bool (*readFile)(void* file, char* buffer, uint32_t size);
    void (*closeFile)(void* file);
    // The language of the boxes: Japanese, as on the handheld, unless the host says otherwise.
    MessageLanguage language;
};

extern CompilerPort gCompilerPort;

constexpr int TEXT_PADDING = 8;  // zero bytes after the file's bytes in ScriptText

// A script file's bytes as read, TEXT_PADDING zero bytes after them: the text ends at its first zero.
struct ScriptText {
    char* bytes;  // none when nothing is held
    uint32_t size;
};

// Reads the whole file at `path` (UTF-16). False after its messages ("ファイルがありません" and a
// box naming the path, "読込エラー" or "メモリが確保できませんでした"); `text` then holds nothing.
bool ReadScriptFile(const char16_t* path, ScriptText* text);
void FreeScriptText(ScriptText* text);

// Compiles `text` into `script`, showing the compile's messages. A message stops the compile after
// its line; `script` then holds the code compiled up to there, closed by EXIT 0 as every compile's
// code is. Returns the line the compile ended on.
int32_t CompileScriptText(const ScriptText& text, CompiledScript* script);

// Shows one message as the compile shows its own: on `line` (0: about the file, no line number),
// followed by `detail` (multibyte script text) or nothing.
void ReportCompileMessage(int32_t line, CompileMessage message, const char* detail);
