#include "compile_context.h"

#include <cstdlib>
#include <cstring>

#include "compile_messages.h"

void* (*gCompilerAllocator)(size_t) = std::malloc;

static void ClearContext(CompileContext* ctx) {
    ctx->pool = nullptr;
    ctx->poolNext = nullptr;
    ctx->symbols = nullptr;
    ctx->symbolCount = 0;
    ctx->text = nullptr;
    ctx->textSize = 0;
    ctx->line = 0;
    ctx->failed = 0;
    ctx->state = 0;
    ctx->codeBuffer = nullptr;
    ctx->codeNext = nullptr;
    ctx->engine = nullptr;
    ctx->lineText = nullptr;
    std::memset(ctx->symbolIndex, 0, sizeof ctx->symbolIndex);
}

bool InitCompileContext(CompileContext* ctx) {
    ClearContext(ctx);
    ctx->pool = static_cast<char*>(gCompilerAllocator(SYMBOL_POOL_SIZE));
    ctx->symbols = static_cast<SymbolEntry*>(gCompilerAllocator(MAX_SYMBOLS * sizeof(SymbolEntry)));
    ctx->codeBuffer = static_cast<uint8_t*>(gCompilerAllocator(CODE_BUFFER_SIZE + CODE_BUFFER_SLACK));
    if (!ctx->pool || !ctx->symbols || !ctx->codeBuffer) {
        FreeCompileContext(ctx);
        ReportCompileError(ctx, CompileMessageText(MSG_NO_MEMORY), nullptr);
        return false;
    }
    std::memset(ctx->codeBuffer, 0, CODE_BUFFER_SIZE + CODE_BUFFER_SLACK);
    ctx->poolNext = ctx->pool;
    ctx->codeNext = ctx->codeBuffer;
    return true;
}

void FreeCompileContext(CompileContext* ctx) {
    std::free(ctx->text);
    std::free(ctx->codeBuffer);
    std::free(ctx->pool);
    std::free(ctx->symbols);
    ctx->text = nullptr;
    ctx->codeBuffer = nullptr;
    ctx->codeNext = nullptr;
    ctx->pool = nullptr;
    ctx->poolNext = nullptr;
    ctx->symbols = nullptr;
    ctx->symbolCount = 0;
}
