// The symbol pool and table that define lines fill. The table keeps every definition in order;
// symbolIndex maps each name to its first definition, so a lookup probes a few slots instead of
// comparing against up to MAX_SYMBOLS names.
#include <cstring>

#include "compile_context.h"

static_assert((SYMBOL_INDEX_SIZE & (SYMBOL_INDEX_SIZE - 1)) == 0, "the index is probed with a mask");
static_assert(SYMBOL_INDEX_SIZE >= 2 * MAX_SYMBOLS, "the index must never fill up");
static_assert(MAX_SYMBOLS < 0xFFFF, "index slots hold entry + 1 in 16 bits");

static uint32_t NameHash(const char* name) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (; *name; ++name) hash = (hash ^ static_cast<uint8_t>(*name)) * 16777619u;
    return hash;
}

// The slot that holds `name`, or the empty slot where it would go.
static uint32_t IndexSlot(const CompileContext* ctx, const char* name) {
    const uint32_t mask = SYMBOL_INDEX_SIZE - 1;
    uint32_t slot = NameHash(name) & mask;
    while (uint16_t held = ctx->symbolIndex[slot]) {
        if (std::strcmp(ctx->symbols[held - 1].name, name) == 0) break;
        slot = (slot + 1) & mask;
    }
    return slot;
}

const char* InternName(CompileContext* ctx, const char* name) {
    size_t room = static_cast<size_t>(ctx->pool + SYMBOL_POOL_SIZE - ctx->poolNext);
    size_t length = std::strlen(name);
    if (length + 1 > room) {
        // The detail starts at the first byte that found no room (the terminator's place when
        // only the zero byte is missing).
        ReportCompileError(ctx, CM_POOL_FULL, name + room);
        return nullptr;
    }
    char* copy = ctx->poolNext;
    std::memcpy(copy, name, length + 1);
    ctx->poolNext += length + 1;
    return copy;
}

const SymbolEntry* FindSymbol(const CompileContext* ctx, const char* name) {
    uint16_t held = ctx->symbolIndex[IndexSlot(ctx, name)];
    return held ? &ctx->symbols[held - 1] : nullptr;
}

void AddSymbol(CompileContext* ctx, const char* name, int32_t value) {
    if (ctx->symbolCount >= MAX_SYMBOLS) {
        ReportCompileError(ctx, CM_TOO_MANY_SYMBOLS);
        return;
    }
    int32_t index = ctx->symbolCount++;
    SymbolEntry& entry = ctx->symbols[index];
    entry.name = InternName(ctx, name);
    entry.value = value;
    if (!entry.name) return;
    uint32_t slot = IndexSlot(ctx, entry.name);
    if (ctx->symbolIndex[slot] == 0)  // an earlier definition of the name stays in force
        ctx->symbolIndex[slot] = static_cast<uint16_t>(index + 1);
}
