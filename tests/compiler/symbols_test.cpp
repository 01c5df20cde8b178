// The symbol table: first definition wins, pool and count limits at their exact edges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "compile_harness.h"

namespace {

class SymbolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetHarness();
        ASSERT_TRUE(InitCompileContext(&ctx));
    }
    void TearDown() override { FreeCompileContext(&ctx); }
    int32_t ValueOf(const char* name) {
        const SymbolEntry* entry = FindSymbol(&ctx, name);
        return entry ? entry->value : -999;
    }
    size_t PoolUsed() const { return static_cast<size_t>(ctx.poolNext - ctx.pool); }
    // Names of `length` bytes, distinct, each starting with a letter.
    static std::string Name(int index, size_t length) {
        std::string name = "n" + std::to_string(index);
        name.resize(length, '_');
        return name;
    }
    CompileContext ctx;
};

TEST_F(SymbolsTest, FirstDefinitionWinsAndEveryDefinitionTakesSpace) {
    AddSymbol(&ctx, "X", 1);
    AddSymbol(&ctx, "X", 2);
    AddSymbol(&ctx, "x", 3);
    EXPECT_EQ(ValueOf("X"), 1);
    EXPECT_EQ(ValueOf("x"), 3);
    EXPECT_EQ(ValueOf("Y"), -999);
    EXPECT_EQ(ctx.symbolCount, 3);
    EXPECT_EQ(PoolUsed(), 6u);
    EXPECT_STREQ(ctx.symbols[1].name, "X");
    EXPECT_EQ(ctx.symbols[1].value, 2);  // kept in the table, never found
    EXPECT_TRUE(gHarness.messages.empty());
}

struct PoolRow {
    int line;
    size_t filled;     // pool bytes used before the last name
    std::string last;  // the name that may or may not fit
    std::string messages;
};

TEST_F(SymbolsTest, PoolOverflowsOnlyPastItsLastByte) {
    const PoolRow rows[] = {
        {__LINE__, SYMBOL_POOL_SIZE - 4, "abc", ""},  // fills the pool exactly
        {__LINE__, SYMBOL_POOL_SIZE - 3, "abc", "Symbol領域が溢れました "},  // only the zero byte has no room
        {__LINE__, SYMBOL_POOL_SIZE - 2, "abc", "Symbol領域が溢れました c"},
        {__LINE__, SYMBOL_POOL_SIZE, "abc", "Symbol領域が溢れました abc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        FreeCompileContext(&ctx);
        ASSERT_TRUE(InitCompileContext(&ctx));
        gHarness.messages.clear();
        // Fill with names of up to 200 bytes (plus zero), then one name that tops it up exactly.
        size_t used = 0;
        int index = 0;
        while (row.filled - used > 201) {
            AddSymbol(&ctx, Name(index, 200).c_str(), index);
            ++index;
            used += 201;
        }
        AddSymbol(&ctx, Name(index, row.filled - used - 1).c_str(), index);
        ++index;
        ASSERT_EQ(PoolUsed(), row.filled);
        ASSERT_TRUE(gHarness.messages.empty());
        AddSymbol(&ctx, row.last.c_str(), 77);
        EXPECT_EQ(Join(gHarness.messages), row.messages);
        EXPECT_EQ(ctx.symbolCount, index + 1);  // the entry is taken even without a name
        EXPECT_EQ(ValueOf(row.last.c_str()), row.messages.empty() ? 77 : -999);
        EXPECT_EQ(PoolUsed(), row.messages.empty() ? size_t(SYMBOL_POOL_SIZE) : row.filled);
        EXPECT_EQ(ValueOf(Name(0, 200).c_str()), 0);  // the earlier names are still found
    }
}

TEST_F(SymbolsTest, TheLastAllowedDefinitionIsStoredAndTheNextIsRefused) {
    for (int i = 0; i < MAX_SYMBOLS; ++i) AddSymbol(&ctx, Name(i, 6).c_str(), i);
    EXPECT_TRUE(gHarness.messages.empty());
    EXPECT_EQ(ValueOf(Name(MAX_SYMBOLS - 1, 6).c_str()), MAX_SYMBOLS - 1);
    AddSymbol(&ctx, "extra", 1);
    EXPECT_EQ(Join(gHarness.messages), "symbol定義数が多すぎます ");
    EXPECT_EQ(ctx.symbolCount, MAX_SYMBOLS);
    EXPECT_EQ(ValueOf("extra"), -999);
}

// The lookup index must give exactly what a scan of the table in definition order gives,
// whatever the mix of repeated names, similar names and names without pool space.
TEST_F(SymbolsTest, LookupAgreesWithAScanInDefinitionOrder) {
    for (int i = 0; i < MAX_SYMBOLS; ++i) {
        std::string name = "s" + std::to_string((i * 7919) % 611);  // repeats with different values
        AddSymbol(&ctx, name.c_str(), i);
    }
    for (int probe = 0; probe < 700; ++probe) {
        std::string name = "s" + std::to_string(probe);
        const SymbolEntry* expected = nullptr;
        for (int i = 0; i < ctx.symbolCount && !expected; ++i)
            if (ctx.symbols[i].name && std::strcmp(ctx.symbols[i].name, name.c_str()) == 0) expected = &ctx.symbols[i];
        ASSERT_EQ(FindSymbol(&ctx, name.c_str()), expected) << name;
    }
}

TEST_F(SymbolsTest, AFreedContextFindsAndAddsNothing) {
    AddSymbol(&ctx, "A", 1);
    FreeCompileContext(&ctx);
    FreeCompileContext(&ctx);  // a second call does nothing
    EXPECT_EQ(FindSymbol(&ctx, "A"), nullptr);
    AddSymbol(&ctx, "B", 2);
    EXPECT_EQ(InternName(&ctx, "C"), nullptr);
    EXPECT_TRUE(gHarness.messages.empty());
}

}  // namespace
