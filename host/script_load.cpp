#include "script_load.h"

#include "compiler.h"
#include "engine.h"

namespace {
// One load at a time; the record (code and tables, some 34 KB) stays off the stack.
CompiledScript gCompiledScript;
}  // namespace

bool LoadScriptFile(const char16_t* path, void (*imageReleased)()) {
    ScriptText text;
    if (!ReadScriptFile(path, &text)) return false;
    ReleaseCodeImage();
    if (imageReleased) imageReleased();
    const int32_t lastLine = CompileScriptText(text, &gCompiledScript);
    FreeScriptText(&text);
    if (!InstallCompiledScript(gCompiledScript)) ReportCompileMessage(lastLine, CM_NO_MEMORY, nullptr);
    return true;
}
