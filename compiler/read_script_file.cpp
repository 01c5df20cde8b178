// Reading the script file whole, before anything of the script in force is given up.
#include <cstdlib>
#include <cstring>

#include "compile_context.h"

// Starts empty: no file opens and no message is shown until the host fills it in.
CompilerPort gCompilerPort = {};

bool ReadScriptFile(const char16_t* path, ScriptText* text) {
    *text = ScriptText{nullptr, 0};
    void* file = gCompilerPort.openFile ? gCompilerPort.openFile(path) : nullptr;
    if (!file) {
        ReportCompileMessage(0, CM_NO_FILE, nullptr);
        ReportFilePath(path);
        return false;
    }
    uint32_t size = 0;
    const bool sized = gCompilerPort.fileSize(file, &size);
    char* bytes = sized ? static_cast<char*>(gCompilerAllocator(size_t{size} + TEXT_PADDING)) : nullptr;
    if (sized && !bytes) {
        ReportCompileMessage(0, CM_NO_MEMORY, nullptr);
        gCompilerPort.closeFile(file);
        return false;
    }
    if (!sized || !gCompilerPort.readFile(file, bytes, size)) {
        ReportCompileMessage(0, CM_READ_ERROR, nullptr);
        gCompilerPort.closeFile(file);
        std::free(bytes);
        return false;
    }
    gCompilerPort.closeFile(file);
    std::memset(bytes + size, 0, TEXT_PADDING);  // the text ends at its first zero byte
    *text = ScriptText{bytes, size};
    return true;
}

void FreeScriptText(ScriptText* text) {
    std::free(text->bytes);
    *text = ScriptText{nullptr, 0};
}
