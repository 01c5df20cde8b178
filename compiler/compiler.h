// The script compiler's public face: compile "scriptcommand.txt" into gEngine.
// Portable C++17; the outside world is reached only through CompilerPort.
#pragma once
#include <cstdint>

struct CompilerPort {
    // Shows one composed compile message ("%d行:%s %s" or "%s %s") and returns when it is dismissed.
    void (*showMessage)(const char16_t* text);
    // Converts zero-terminated multibyte (OEM code page) text to UTF-16. Writes at most
    // outCount - 1 units and always terminates; returns the units written before the terminator.
    int (*multiByteToWide)(const char* text, char16_t* out, int outCount);
    // The script file: opened for reading with no sharing, sized, read whole once, closed.
    void* (*openFile)(const char16_t* path);  // none when it cannot be opened
    bool (*fileSize)(void* file, uint32_t* size);
    bool (*readFile)(void* file, char* buffer, uint32_t size);
    void (*closeFile)(void* file);
    // The host forgets its status-line texts before every compile (they point into the engine's slots).
    void (*clearStatusText)();
};

extern CompilerPort gCompilerPort;

// Compiles the file at `path` (UTF-16) into gEngine. The outcome shows in the engine and in messages.
void CompileScriptFile(const char16_t* path);
