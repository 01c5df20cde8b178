#include "compile_gate.h"

namespace {
bool gCompiling = false;
bool gCompileRequested = false;  // asked for while a compile was running
}  // namespace

bool CompileRunning() { return gCompiling; }

void RunCompile(void (*compile)(), void (*afterCompile)()) {
    if (gCompiling) {
        gCompileRequested = true;
        return;
    }
    do {
        gCompileRequested = false;
        gCompiling = true;
        compile();
        gCompiling = false;
        if (afterCompile) afterCompile();
    } while (gCompileRequested);
}
