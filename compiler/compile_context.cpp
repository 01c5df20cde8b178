#include "compile_context.h"

#include <cstdlib>
#include <cstring>

void* (*gCompilerAllocator)(size_t) = std::malloc;

void InitCompileContext(CompileContext* ctx, const ScriptText& text, CompiledScript* script) {
    ctx->poolNext = ctx->pool;
    ctx->symbolCount = 0;
    ctx->text = text.bytes;
    ctx->textSize = text.size;
    ctx->line = 0;
    ctx->failed = 0;
    ctx->state = 0;
    ctx->script = script;
    ctx->codeNext = script->code;
    ctx->lineText = nullptr;
    std::memset(ctx->symbolIndex, 0, sizeof ctx->symbolIndex);
    script->size = 0;
    for (auto& table : script->functionTables)
        for (auto& entry : table) entry = NO_FUNCTION;
}
