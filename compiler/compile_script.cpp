// The whole compile: walk the text's lines through the conditional blocks, compile the statements
// and close the code.
#include "compile_context.h"
#include "opcodes.h"
#include "script_chars.h"

void (*gCompileObserver)(const CompileContext* ctx, const CompileEvent& event) = nullptr;

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
        ReportCompileError(ctx, CM_IF_TOO_DEEP, line);
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
            ReportCompileError(ctx, CM_ENDIF_MISMATCH, line);
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
        ReportCompileError(ctx, CM_UNKNOWN_COMMAND, line);
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

// Walks the lines until the text ends or a message stops the compile; blocks still open are
// reported with the last line read.
static void CompileLines(CompileContext* ctx) {
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
    if (blocks.depth) ReportCompileError(ctx, CM_IF_NOT_CLOSED, line);
    ctx->lineText = nullptr;
}

// Closes the code with its final EXIT 0 and reports a function still open.
static void CloseCode(CompileContext* ctx) {
    if (CodeOffset(ctx) < CODE_LIMIT) {
        *ctx->codeNext++ = OP_EXIT;
        *ctx->codeNext++ = 0;
    } else {
        ReportCompileError(ctx, CM_CODE_FULL);
    }
    if (ctx->state & IN_FUNCTION) ReportCompileError(ctx, CM_FUNC_UNMATCHED);
    ctx->state &= ~IN_FUNCTION;
    ctx->script->size = CodeOffset(ctx);
}

int32_t CompileScriptText(const ScriptText& text, CompiledScript* script) {
    // One compile at a time (the host never nests them); the record (some 37 KB) stays off the stack.
    static CompileContext context;
    InitCompileContext(&context, text, script);
    ObserveCompile(&context, CompileEvent{EVENT_TEXT_LOADED});
    CompileLines(&context);
    CloseCode(&context);
    ObserveCompile(&context, CompileEvent{EVENT_COMPILED, context.line});
    return context.line;
}
