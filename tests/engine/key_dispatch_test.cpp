// Key events entering the engine: origin classification, key and pre-key functions, the hook's decision.
#include "engine_test_support.h"

namespace {

class KeyDispatchTest : public EngineTest {};

std::string OriginBits() {
    std::string out;
    if (gEngine.sysflags & SF_NATIVE_SCAN) out += "17";
    if (gEngine.sysflags & SF_NO_SCAN_ENTRY) out += out.empty() ? "18" : "+18";
    return out.empty() ? "none" : out;
}

TEST_F(KeyDispatchTest, ClassifiesTheKeysOrigin) {
    struct Row {
        int line;
        bool classify;  // sysflags bit 3
        uint32_t vk, scan;
        const char* bits;
    } rows[] = {
        {__LINE__, false, 0x41, 0x10, "17+18"},  // unclassified keys claim both
        {__LINE__, false, 0x70, 0x50, "17+18"},
        {__LINE__, true, 0x41, 0x10, "17"},    // A with the device's own scan code
        {__LINE__, true, 0x41, 0x50, "none"},  // A from another keyboard
        {__LINE__, true, 0x70, 0x3B, "18"},    // F1: no table entry
        {__LINE__, true, 0xBE, 0x35, "17"},    // the period's second native scan code
        {__LINE__, true, 0xBE, 0x01, "17"},    // and its table entry
        {__LINE__, true, 0xBC, 0x36, "17"},    // the comma's second native scan code
        {__LINE__, true, 0xBC, 0x35, "none"},  // the period's alias does not apply to the comma
        {__LINE__, true, 0x30, 0x00, "17"},    // scan code 0 is a real entry
        {__LINE__, true, 0x26, 0x3C, "17+18"}, // the device's arrow key: no entry, but native
        {__LINE__, true, 0x28, 0x3F, "18"},    // scan code outside the arrow range
        {__LINE__, true, 0x24, 0x3C, "18"},    // virtual key outside the arrow range
        {__LINE__, true, 0x141, 0x10, "17"},   // only the low 8 bits of the virtual key count
    };
    Load(Code({OP_EXIT, 1}));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        // Stale bits from an earlier key must not survive a classified key.
        gEngine.sysflags = SF_NATIVE_SCAN | SF_NO_SCAN_ENTRY | (row.classify ? SF_CLASSIFY_ORIGIN : 0);
        if (row.classify && std::string(row.bits) == "17+18") gEngine.sysflags = SF_CLASSIFY_ORIGIN;
        DispatchKeyEvent(row.scan, row.vk, MSG_KEYDOWN, 0);
        EXPECT_EQ(OriginBits(), row.bits);
        EXPECT_EQ(gEngine.sysflags & SF_CLASSIFY_ORIGIN, row.classify ? SF_CLASSIFY_ORIGIN : 0u);
    }
}

TEST(ScanTable, HasTheDevicesFortySixKeys) {
    int entries = 0;
    for (uint8_t scan : ScanTable) entries += scan != 0xFF;
    EXPECT_EQ(entries, 46);
}

TEST_F(KeyDispatchTest, RecordsTheKeyInRegisters) {
    Load(Code({OP_EXIT, 1}));  // no key function: the registers are written all the same
    EXPECT_EQ(DispatchKeyEvent(0x12, 0x143, MSG_KEYUP, 0xFFFFFFF0u), 0);
    EXPECT_EQ(gEngine.regs[R_VK], 0x43);
    EXPECT_EQ(gEngine.regs[R_SCAN], 0x12);
    EXPECT_EQ(static_cast<uint32_t>(gEngine.regs[R_TIME]), 0xFFFFFFF0u);
}

// Key function for 0x41 at unit `keyUnit`, pre-key function at unit `preUnit` (or none).
struct DispatchCase {
    int line;
    const char* what;
    Bytes image;
    int keyUnit;  // -1: no key function
    int preUnit;  // -1: no pre-key function
    uint32_t message;
    std::string expected;  // "<dispatch result> keys[...] cmds[...] r4=..."
};

TEST_F(KeyDispatchTest, KeyFunctionsDecideTheKeysFate) {
    const Bytes marker = Code({OP_LDA, R_VK, OP_STA, 4, OP_EXIT, 0});  // the pre-key function leaves a trace
    const DispatchCase cases[] = {
        {__LINE__, "EXIT 1 swallows", Code({OP_EXIT, 1}), 0, -1, MSG_KEYDOWN, "1 r4=0"},
        {__LINE__, "EXIT 2 passes", Code({OP_EXIT, 2}), 0, -1, MSG_KEYDOWN, "0 r4=0"},
        {__LINE__, "EXIT 0 passes", Code({OP_EXIT, 0}), 0, -1, MSG_KEYDOWN, "0 r4=0"},
        {__LINE__, "a run-time error passes the key after its notice", Code({OP_RET, 0}), 0, -1, MSG_KEYDOWN,
         "0 cmds[notice:return without call 0] r4=0"},
        {__LINE__, "worked example, down", Code({0x30, 1, 1, 1, 5, 1, 8, 1, 9, 0x43, 1, 1}), 0, -1, MSG_KEYDOWN,
         "1 keys[+11 +43 -43 -11] r4=0"},
        {__LINE__, "worked example, up", Code({0x30, 1, 1, 1, 5, 1, 8, 1, 9, 0x43, 1, 1}), 0, -1, MSG_KEYUP,
         "1 r4=0"},
        {__LINE__, "the pre-key function runs first and sees the key", Join({Code({OP_EXIT, 1}), marker}), 0, 1,
         MSG_KEYDOWN, "1 r4=65"},
        {__LINE__, "no key function: the pre-key function does not run", Join({Code({OP_EXIT, 1}), marker}), -1, 1,
         MSG_KEYDOWN, "0 r4=0"},
        {__LINE__, "the pre-key function's result is ignored", Code({OP_EXIT, 2, OP_EXIT, 1}), 1, 0, MSG_KEYDOWN,
         "1 r4=0"},
        {__LINE__, "the pre-key function's error does not stop the key function",
         Code({OP_RET, 0, OP_EXIT, 1}), 1, 0, MSG_KEYDOWN, "1 cmds[notice:return without call 0] r4=0"},
        {__LINE__, "the pre-key function runs with message 0 and time 0",
         Code({OP_EXIT, 1, OP_MARK, 0, OP_JKEYDOWN, 1, OP_LDA, R_MARK, OP_STA, 4, OP_EXIT, 0, OP_LABEL, 1, OP_LDI, 9,
               OP_STA, 4, OP_EXIT, 0}),
         0, 1, MSG_KEYDOWN, "1 r4=0"},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "line " << c.line << ": " << c.what);
        Load(c.image);
        gEngine.regs[4] = 0;
        if (c.keyUnit >= 0) gEngine.functionTables[1][0x41] = uint16_t(c.keyUnit);
        if (c.preUnit >= 0) gEngine.functionTables[0][1] = uint16_t(c.preUnit);
        ClearPortRecording();
        int result = DispatchKeyEvent(0x10, 0x41, c.message, 5000);
        EXPECT_EQ(Outcome(uint32_t(result)) + " r4=" + std::to_string(gEngine.regs[4]), c.expected);
    }
}

TEST_F(KeyDispatchTest, ModeSwitchInPreKeyAppliesFromTheNextKey) {
    // Mode 1 swallows A, mode 2 passes it; the pre-key function switches to mode 2.
    Load(Code({OP_EXIT, 1, OP_EXIT, 2, OP_MODE, 2, OP_EXIT, 0}));
    gEngine.functionTables[1][0x41] = 0;
    gEngine.functionTables[2][0x41] = 1;
    gEngine.functionTables[0][1] = 2;
    EXPECT_EQ(DispatchKeyEvent(0x10, 0x41, MSG_KEYDOWN, 0), 1);
    EXPECT_EQ(gEngine.keyTable, gEngine.functionTables[2]);
    EXPECT_EQ(DispatchKeyEvent(0x10, 0x41, MSG_KEYUP, 0), 0);
}

TEST_F(KeyDispatchTest, EventsThatLeaveTheEngineUntouched) {
    struct Row {
        int line;
        const char* what;
        int code;
        uint32_t scan;
        bool installed;
    } rows[] = {
        {__LINE__, "the engine's own injected key", 0, INJECTED_SCAN_CODE, true},
        {__LINE__, "hook code other than 0", 1, 0x10, true},
        {__LINE__, "negative hook code", -1, 0x10, true},
        {__LINE__, "no script installed", 0, 0x10, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "line " << row.line << ": " << row.what);
        ReleaseCodeImage();
        if (row.installed) {
            Load(Code({OP_PRESS, 0x42, OP_EXIT, 1}));
            gEngine.functionTables[1][0x41] = 0;
        }
        gEngine.sysflags = 0;
        gEngine.regs[R_VK] = 7;
        gEngine.regs[R_SCAN] = 8;
        gEngine.regs[R_TIME] = 9;
        ClearPortRecording();
        EXPECT_FALSE(HookSwallowsEvent(row.code, MSG_KEYDOWN, 0x41, row.scan, 1234));
        EXPECT_EQ(Outcome(0), "0");
        EXPECT_EQ(gEngine.sysflags, 0u);
        EXPECT_EQ(gEngine.regs[R_VK] * 10000 + gEngine.regs[R_SCAN] * 100 + gEngine.regs[R_TIME], 70809);
    }
    EXPECT_EQ(DispatchKeyEvent(INJECTED_SCAN_CODE, 0x41, MSG_KEYDOWN, 0), 0);
}

TEST_F(KeyDispatchTest, HookSwallowsWhatTheKeyFunctionSwallows) {
    Load(Code({OP_JKEYDOWN, 1, OP_EXIT, 2, OP_LABEL, 1, OP_PRESS, 0x42, OP_EXIT, 1}));
    gEngine.functionTables[1][0x41] = 0;
    EXPECT_TRUE(HookSwallowsEvent(0, MSG_KEYDOWN, 0x41, 0x10, 1));
    EXPECT_FALSE(HookSwallowsEvent(0, MSG_KEYUP, 0x41, 0x10, 2));
    EXPECT_FALSE(HookSwallowsEvent(0, MSG_KEYDOWN, 0x43, 0x12, 3));  // no key function
    EXPECT_EQ(RenderKeys(), "+42 -42");
}

TEST_F(KeyDispatchTest, ReloadKeepsRegistersAndUnbindsImagePointers) {
    // The old script: mode 2, a state bit, a register, a toggle byte, a string slot and a status line.
    Load(Join({StringBlock(0, "old %d", ""),
               Code({OP_MODE, 2, OP_STSET, 1, OP_TIMEOUT, 5, OP_LDI, 42, OP_STA, 20, OP_SFSET, 3, OP_TGSEL, 0xFF,
                     OP_STATUS, 4, OP_EXIT, 1})}));
    ASSERT_EQ(RunScript(0, 0, 0), 1u);
    ASSERT_NE(gEngine.toggleByte, nullptr);

    // Reload: the compiler releases the old image, fills the tables and installs the new one.
    ReleaseCodeImage();
    Load(Code({OP_LDI, 7, OP_TGTSTX, 0, OP_JTG1, 1, OP_NOTICE, 0, OP_EXIT, 1, OP_LABEL, 1, OP_EXIT, 2}));
    EXPECT_EQ(gEngine.toggleByte, nullptr);
    for (const char* slot : gEngine.stringSlots) EXPECT_EQ(slot, nullptr);
    for (const StatusSlot& slot : gStatusSlots) EXPECT_EQ(slot.bytes[0] + slot.bytes[1], 0);
    EXPECT_EQ(gEngine.regs[R_MODE], 2);
    EXPECT_EQ(gEngine.keyTable, gEngine.functionTables[2]);
    EXPECT_EQ(gEngine.regs[R_STATE], 2);
    EXPECT_EQ(gEngine.regs[R_TIMEOUT], 200);
    EXPECT_EQ(gEngine.regs[20], 42);
    EXPECT_EQ(gEngine.acc, 42);
    EXPECT_EQ(gEngine.sysflags, SF_CLASSIFY_ORIGIN);

    // The new script before it binds anything: no toggle byte, slot 0 reads as empty.
    ClearPortRecording();
    uint32_t result = RunScript(0, 0, 0);
    EXPECT_EQ(Outcome(result) + " acc=" + std::to_string(gEngine.acc), "1 cmds[notice: 7] acc=7");
}

TEST_F(KeyDispatchTest, EventFunctions) {
    EXPECT_EQ(RunEventFunction(0), -1);  // no script
    Load(Code({OP_EXIT, 3, OP_EXIT, 4}));
    EXPECT_EQ(RunEventFunction(0), -1);  // no start-up function
    gEngine.functionTables[0][0] = 1;
    gEngine.functionTables[0][7] = 0;
    EXPECT_EQ(RunEventFunction(0), 4);
    EXPECT_EQ(RunEventFunction(0x107), 3);  // the low 8 bits pick the entry
}

}  // namespace
