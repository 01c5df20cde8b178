// The five statements and the bytes they write into the code buffer.
#include <cstring>

#include "compile_context.h"
#include "opcodes.h"
#include "script_chars.h"

constexpr int STRING_BLOCK_HEADER = 2 * INSTRUCTION_SIZE;  // STR slot, SKIP k

// Plain instructions go only below CODE_LIMIT, which keeps room for the final EXIT 0.
static bool CodeHasRoom(CompileContext* ctx, size_t extra) {
    if (CodeOffset(ctx) + extra < CODE_LIMIT) return true;
    ReportCompileError(ctx, CM_CODE_FULL);
    return false;
}

static void EmitInstruction(CompileContext* ctx, int32_t opcode, int32_t operand) {
    *ctx->codeNext++ = static_cast<uint8_t>(opcode);
    *ctx->codeNext++ = static_cast<uint8_t>(operand);
}

void CompileFunc(CompileContext* ctx, const char* rest) {
    if (ctx->state & IN_FUNCTION) ReportCompileError(ctx, CM_FUNC_NOT_CLOSED);
    ctx->state |= IN_FUNCTION;
    int32_t flags = 0;
    int32_t key = 0;
    rest = ReadValue(ctx, rest, &flags);
    ReadValue(ctx, rest, &key);
    CompileEvent event{EVENT_FUNC, ctx->line};
    event.offset = CodeOffset(ctx);
    ObserveCompile(ctx, event);
    uint16_t entry = static_cast<uint16_t>(CodeOffset(ctx) / INSTRUCTION_SIZE);
    // Bit t of the flags registers the function in table t; a later func for the same key wins.
    for (int table = 0; table < FUNCTION_TABLE_COUNT; ++table)
        if (flags & (1 << table)) ctx->script->functionTables[table][key & 0xFF] = entry;
}

void CompileEndFunc(CompileContext* ctx) {
    if (!(ctx->state & IN_FUNCTION)) {
        ReportCompileError(ctx, CM_ENDFUNC_WITHOUT_FUNC);
        return;
    }
    ctx->state &= ~IN_FUNCTION;
    if (CodeHasRoom(ctx, 0)) EmitInstruction(ctx, OP_EXIT, 0);
}

void CompileDefine(CompileContext* ctx, const char* rest) {
    char name[TOKEN_SIZE];
    rest = ReadToken(name, rest);
    int32_t value = 0;
    ReadValue(ctx, rest, &value);  // read before the name is added: a definition cannot use itself
    AddSymbol(ctx, name, value);
}

void CompileString(CompileContext* ctx, const char* rest) {
    if (!(ctx->state & IN_FUNCTION)) {
        ReportCompileError(ctx, CM_STRING_OUTSIDE_FUNC);
        return;
    }
    int32_t slot = 0;
    rest = SkipBlanks(ReadValue(ctx, rest, &slot));
    // Zeroed, so an absent second string is the empty one after the first string's zero byte.
    char data[STRING_DATA_SIZE] = {};
    size_t length = 2;
    if (*rest == '"') {
        size_t first = 0;
        rest = ReadToken(data, rest, sizeof data, &first);
        size_t second = 0;
        if (first + 2 <= MAX_STRING_DATA && *rest) {
            rest = SkipBlanks(rest);
            if (*rest == '"') ReadToken(data + first + 1, rest, sizeof data - (first + 1), &second);
        }
        length = first + 1 + second + 1;
    }
    EmitStringBlock(ctx, slot, data, length);
}

void EmitStringBlock(CompileContext* ctx, int32_t slot, const char* data, size_t length) {
    // k counts 2-byte units in one byte, and a cut program path would launch the wrong thing.
    if (length > MAX_STRING_DATA) {
        ReportCompileError(ctx, CM_STRING_TOO_LONG, ctx->lineText);
        return;
    }
    // The unpadded data length is what is compared with the limit; CODE_BUFFER_SLACK holds the
    // header and pad bytes of a block accepted just below it.
    if (!CodeHasRoom(ctx, length)) return;
    size_t units = (length + 1) / 2;
    EmitInstruction(ctx, OP_STR, slot);
    EmitInstruction(ctx, OP_SKIP, static_cast<int32_t>(units));
    std::memcpy(ctx->codeNext, data, length);
    ctx->codeNext += length;
    if (length % 2) *ctx->codeNext++ = 0;
    static_assert(CODE_LIMIT - 1 + STRING_BLOCK_HEADER + 1 <= CODE_BUFFER_SIZE + CODE_BUFFER_SLACK,
                  "the largest accepted string block must end inside the buffer");
}

void CompileInstruction(CompileContext* ctx, const char* line) {
    if (!(ctx->state & IN_FUNCTION)) {
        ReportCompileError(ctx, CM_UNKNOWN_COMMAND, line);
        return;
    }
    int32_t opcode = 0;
    int32_t operand = 0;
    const char* rest = ReadValue(ctx, line, &opcode);
    ReadValue(ctx, rest, &operand);  // missing: 0; anything after it is ignored
    if (!CodeHasRoom(ctx, 0)) return;
    CompileEvent event{EVENT_INSTRUCTION, ctx->line};
    event.offset = CodeOffset(ctx);
    ObserveCompile(ctx, event);
    EmitInstruction(ctx, opcode, operand);
}
