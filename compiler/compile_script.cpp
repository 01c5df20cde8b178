// The whole compile: read the file, walk its lines through the conditional blocks, compile the
// statements and install the code image in the engine.
#include <cstdlib>
#include <cstring>

#include "compile_context.h"
#include "compile_messages.h"
#include "compiler.h"
#include "script_chars.h"

// Starts empty: no file opens and no message is shown until the host fills it in.
CompilerPort gCompilerPort = {};
void (*gCompileObserver)(const CompileContext* ctx, const CompileEvent& event) = nullptr;

static void Report(CompileContext* ctx, CompileMessage message, const char* detail = nullptr) {
    ReportCompileError(ctx, CompileMessageText(message), detail);
}

// Reads the whole file into `text`. False after a message; the engine is untouched then.
static bool LoadScriptFile(CompileContext* ctx, const char16_t* path) {
    void* file = gCompilerPort.openFile ? gCompilerPort.openFile(path) : nullptr;
    if (!file) {
        Report(ctx, MSG_NO_FILE);
        ReportCompileError(ctx, path, nullptr);
        return false;
    }
    std::free(ctx->text);
    ctx->text = nullptr;
    uint32_t size = 0;
    bool sized = gCompilerPort.fileSize(file, &size);
    if (sized) ctx->text = static_cast<char*>(gCompilerAllocator(size_t{size} + TEXT_PADDING));
    if (sized && !ctx->text) {
        Report(ctx, MSG_NO_MEMORY);
        gCompilerPort.closeFile(file);
        return false;
    }
    if (!sized || !gCompilerPort.readFile(file, ctx->text, size)) {
        Report(ctx, MSG_READ_ERROR);
        gCompilerPort.closeFile(file);
        std::free(ctx->text);
        ctx->text = nullptr;
        return false;
    }
    gCompilerPort.closeFile(file);
    std::memset(ctx->text + size, 0, TEXT_PADDING);  // the text ends at its first zero byte
    ctx->textSize = size;
    ObserveCompile(ctx, CompileEvent{EVENT_TEXT_LOADED, nullptr, nullptr, false, 0, nullptr, 0});
    return true;
}

namespace {

// Conditional blocks: the active flag and the flags saved by the blocks that are open.
struct BlockStack {
    bool active = true;
    int depth = 0;
    bool saved[MAX_IF_DEPTH];
};

// Opens a block; false (after a message) when MAX_IF_DEPTH blocks are open already.
bool OpenBlock(CompileContext* ctx, BlockStack* blocks, const char* line) {
    if (blocks->depth == MAX_IF_DEPTH) {
        Report(ctx, MSG_IF_TOO_DEEP, line);
        return false;
    }
    blocks->saved[blocks->depth++] = blocks->active;
    return true;
}

// Blocks are tracked in skipped regions too; there ifsw and ifnsw read no value.
bool CompileConditional(CompileContext* ctx, BlockStack* blocks, const char* line) {
    const char* rest;
    int32_t value = 0;
    if (MatchKeyword(line, "ifpc")) {
        if (OpenBlock(ctx, blocks, line)) blocks->active = false;
    } else if (MatchKeyword(line, "ifce")) {
        OpenBlock(ctx, blocks, line);
    } else if ((rest = MatchKeyword(line, "ifsw"))) {
        if (OpenBlock(ctx, blocks, line) && blocks->active) {
            ReadValue(ctx, rest, &value);
            blocks->active = value != 0;
        }
    } else if ((rest = MatchKeyword(line, "ifnsw"))) {
        if (OpenBlock(ctx, blocks, line) && blocks->active) {
            ReadValue(ctx, rest, &value);
            blocks->active = value == 0;
        }
    } else if (MatchKeyword(line, "endif")) {
        if (blocks->depth == 0)
            Report(ctx, MSG_ENDIF_MISMATCH, line);
        else
            blocks->active = blocks->saved[--blocks->depth];
    } else {
        return false;
    }
    return true;
}

void CompileStatement(CompileContext* ctx, const char* line) {
    const char* rest;
    if ((rest = MatchKeyword(line, "func")))
        CompileFunc(ctx, rest);
    else if (MatchKeyword(line, "endfunc"))
        CompileEndFunc(ctx);
    else if ((rest = MatchKeyword(line, "define")))
        CompileDefine(ctx, rest);
    else if ((rest = MatchKeyword(line, "string")))
        CompileString(ctx, rest);
    else if (ctx->state & IN_FUNCTION)
        CompileInstruction(ctx, line);
    else
        Report(ctx, MSG_UNKNOWN_COMMAND, line);
}

// Copies one line (after its leading blanks, at most MAX_LINE_LENGTH bytes) and steps over its
// line end: CR, LF or CR LF. Returns the position of the next line.
const char* TakeLine(const char* text, char* line) {
    text = SkipBlanks(text);
    int length = 0;
    while (length < MAX_LINE_LENGTH && *text && *text != '\r' && *text != '\n') line[length++] = *text++;
    line[length] = 0;
    if (*text == '\r') ++text;
    if (*text == '\n') ++text;
    return text;
}

}  // namespace

// Compiles `text` into `engine` (which must be &gEngine: the engine functions it calls act on the
// one global engine) and installs the image, releasing the old one first.
static void CompileScript(CompileContext* ctx, EngineState* engine) {
    if (!ctx->codeBuffer) return;
    ctx->engine = engine;
    ReleaseCodeImage();
    ctx->line = 0;
    BlockStack blocks;
    char line[LINE_BUFFER_SIZE] = {};
    ctx->lineText = line;
    const char* next = ctx->text ? ctx->text : "";
    while (*next) {
        ++ctx->line;
        next = TakeLine(next, line);
        if (line[0] == 0 || line[0] == COMMENT_CHAR) continue;
        if (!CompileConditional(ctx, &blocks, line) && blocks.active) CompileStatement(ctx, line);
        if (ctx->failed) break;
    }
    if (blocks.depth) Report(ctx, MSG_IF_NOT_CLOSED, line);
    ctx->lineText = nullptr;
    InstallCodeImage(ctx);
    ObserveCompile(ctx, CompileEvent{EVENT_COMPILED, nullptr, nullptr, false, 0, nullptr, 0});
}

void InstallCodeImage(CompileContext* ctx) {
    if (!ctx->codeBuffer) return;
    if (CodeOffset(ctx) < CODE_LIMIT) {
        *ctx->codeNext++ = 1;  // EXIT 0
        *ctx->codeNext++ = 0;
    } else {
        Report(ctx, MSG_CODE_FULL);
    }
    if (ctx->state & IN_FUNCTION) Report(ctx, MSG_FUNC_UNMATCHED);
    ctx->state &= ~IN_FUNCTION;
    if (!ctx->engine) return;
    if (!InstallCodeImageBytes(ctx->codeBuffer, CodeOffset(ctx))) {
        Report(ctx, MSG_NO_MEMORY);
        ResetFunctionTables();
        ClearStatusSlots();
    }
}

void CompileScriptFile(const char16_t* path) {
    CompileContext ctx;
    if (gCompilerPort.clearStatusText) gCompilerPort.clearStatusText();
    if (InitCompileContext(&ctx) && LoadScriptFile(&ctx, path)) CompileScript(&ctx, &gEngine);
    FreeCompileContext(&ctx);
}
