// The interpreter, run by run: hand-written images, observable outcome compared as text.
#include "engine_test_support.h"

#include <climits>
#include <utility>

namespace {

constexpr int ACC = -1;  // in `presets` and `show`: the accumulator instead of a register

struct FunctionEntry {
    int table;
    int index;
    int unit;  // code offset in 2-byte units
};

struct RunCase {
    int line;
    const char* what;
    Bytes image;
    std::string expected;  // Outcome(result) followed by the shown registers
    uint32_t entry = 0;    // byte position
    uint32_t message = 0;
    uint32_t time = 0;
    std::vector<std::pair<int, int32_t>> presets = {};
    std::vector<int> show = {};
    std::vector<FunctionEntry> functions = {};
    int firstEntry = -1;  // a run from here first (to bind string slots); its outcome is discarded
};

std::string ShowRegisters(const std::vector<int>& show) {
    std::string out;
    for (int r : show) {
        int32_t v = r == ACC ? gEngine.acc : gEngine.regs[r];
        out += (r == ACC ? std::string(" acc=") : " r" + std::to_string(r) + "=") + std::to_string(v);
    }
    return out;
}

class InterpreterTest : public EngineTest {
protected:
    std::string Perform(const RunCase& c) {
        FreshEngine();
        Load(c.image);
        for (const FunctionEntry& f : c.functions) gEngine.functionTables[f.table][f.index] = uint16_t(f.unit);
        for (const auto& p : c.presets) (p.first == ACC ? gEngine.acc : gEngine.regs[p.first]) = p.second;
        if (c.firstEntry >= 0) RunScript(uint32_t(c.firstEntry), 0, 0);
        ClearPortRecording();
        uint32_t result = RunScript(c.entry, c.message, c.time);
        return Outcome(result) + ShowRegisters(c.show);
    }
    void Check(const std::vector<RunCase>& cases) {
        for (const RunCase& c : cases) {
            SCOPED_TRACE(testing::Message() << "line " << c.line << ": " << c.what);
            EXPECT_EQ(Perform(c), c.expected);
        }
    }
};

Bytes WorkedExample() { return Code({0x30, 1, 1, 1, 5, 1, 8, 1, 9, 0x43, 1, 1}); }

TEST_F(InterpreterTest, EndsAndKeyMessages) {
    Check({
        {__LINE__, "EXIT 1 ends with 1", Code({OP_EXIT, 1}), "1"},
        {__LINE__, "EXIT carries its operand", Code({OP_EXIT, 255}), "255"},
        {__LINE__, "opcode 0 ends with 0", Code({0, 0, OP_EXIT, 1}), "0"},
        {__LINE__, "worked example, key down: control-C", WorkedExample(), "1 keys[+11 +43 -43 -11] r35=0", 0,
         MSG_KEYDOWN, 0, {}, {R_MODS}},
        {__LINE__, "worked example, key up: swallowed, nothing injected", WorkedExample(), "1", 0, MSG_KEYUP},
        {__LINE__, "system key down counts as key down", WorkedExample(), "1 keys[+11 +43 -43 -11]", 0,
         MSG_SYSKEYDOWN},
        {__LINE__, "JKEYUP jumps on system key up",
         Code({OP_JKEYUP, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}), "1", 0, MSG_SYSKEYUP},
        {__LINE__, "event functions (message 0) take neither key jump",
         Code({OP_JKEYDOWN, 1, OP_JKEYUP, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}), "2", 0, 0},
        {__LINE__, "31, 85 and 255 are no instructions and do nothing",
         Code({31, 0, 85, 1, 255, 255, OP_LABEL, 3, OP_EXIT, 1}), "1"},
    });
}

TEST_F(InterpreterTest, LabelSearch) {
    Check({
        {__LINE__, "JMP searches forward only", Code({OP_LABEL, 7, OP_JMP, 7, OP_EXIT, 1}),
         "0 cmds[notice:Label notfound 7]", 2},
        {__LINE__, "JMPS searches from the run's entry, not the image start",
         Code({OP_LABEL, 7, OP_EXIT, 5, OP_LABEL, 7, OP_LDA, 4, OP_ADDI, 1, OP_STA, 4, OP_LTI, 3, OP_JZ, 8,
               OP_JMPS, 7, OP_LABEL, 8, OP_EXIT, 1}),
         "1 r4=3", 4, 0, 0, {}, {4}},
        {__LINE__, "string data holding the bytes of LABEL 3 is stepped over",
         Code({OP_JMP, 3, OP_STR, 0, OP_SKIP, 2, 5, 3, 0, 0, OP_EXIT, 2, OP_LABEL, 3, OP_EXIT, 1}), "1"},
        {__LINE__, "executing STR continues after its data",
         Code({OP_STR, 0, OP_SKIP, 1, OP_EXIT, 9, OP_EXIT, 1}), "1"},
        {__LINE__, "executing SKIP continues after its data", Code({OP_SKIP, 1, OP_EXIT, 9, OP_EXIT, 1}), "1"},
        {__LINE__, "the search stops at opcode 0",
         Code({OP_JMP, 4, 0, 0, OP_LABEL, 4, OP_EXIT, 1}), "0 cmds[notice:Label notfound 4]"},
        {__LINE__, "a label in a later function satisfies the jump",
         Code({OP_JMP, 9, OP_EXIT, 2, OP_EXIT, 3, OP_LABEL, 9, OP_EXIT, 1}), "1", 0, 0, 0, {}, {},
         {{0, 5, 2}}},
        {__LINE__, "the first matching label wins",
         Code({OP_JMP, 1, OP_LABEL, 1, OP_EXIT, 1, OP_LABEL, 1, OP_EXIT, 2}), "1"},
        {__LINE__, "JNZ jumps on non-zero", Code({OP_JNZ, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}), "1", 0, 0, 0,
         {{ACC, -5}}},
        {__LINE__, "JNZ falls through on zero", Code({OP_JNZ, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}), "2"},
        {__LINE__, "JZ jumps on zero", Code({OP_JZ, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}), "1"},
        {__LINE__, "a jump not taken does not search (no notice for a missing label)",
         Code({OP_JZ, 99, OP_EXIT, 2}), "2", 0, 0, 0, {{ACC, 1}}},
        {__LINE__, "JST1/JST2/JST8 fall through, JST4 jumps for state 4",
         Code({OP_JST1, 1, OP_JST2, 1, OP_JST8, 1, OP_JST4, 2, OP_EXIT, 9, OP_LABEL, 1, OP_EXIT, 1, OP_LABEL, 2,
               OP_EXIT, 4}),
         "4", 0, 0, 0, {{R_STATE, 4}}},
        {__LINE__, "JST8 jumps for state 8",
         Code({OP_JST1, 1, OP_JST2, 1, OP_JST4, 1, OP_JST8, 2, OP_EXIT, 9, OP_LABEL, 1, OP_EXIT, 1, OP_LABEL, 2,
               OP_EXIT, 4}),
         "4", 0, 0, 0, {{R_STATE, 8}}},
        {__LINE__, "JTG4 jumps for toggle byte 4, JTG1/2/8 do not",
         Code({OP_TGSEL, 4, OP_JTG1, 1, OP_JTG2, 1, OP_JTG8, 1, OP_JTG4, 2, OP_EXIT, 9, OP_LABEL, 1, OP_EXIT, 1,
               OP_LABEL, 2, OP_EXIT, 4}),
         "4"},
        {__LINE__, "toggle jumps never jump with no toggle byte selected",
         Code({OP_JTG1, 1, OP_JTG2, 1, OP_JTG4, 1, OP_JTG8, 1, OP_EXIT, 9, OP_LABEL, 1, OP_EXIT, 1}), "9"},
    });
}

TEST_F(InterpreterTest, Calls) {
    // Function 2 calls itself until r5 exceeds its GTI operand, then every level returns.
    auto recursion = [](int stopAbove) {
        return Code({OP_CALLEV, 2, OP_EXIT, 1, OP_LDA, 5, OP_ADDI, 1, OP_STA, 5, OP_GTI, stopAbove, OP_JNZ, 1,
                     OP_CALLEV, 2, OP_LABEL, 1, OP_RET, 0});
    };
    Check({
        {__LINE__, "16 nested calls work and unwind", recursion(15), "1 r5=16", 0, 0, 0, {}, {5}, {{0, 2, 2}}},
        {__LINE__, "the 17th nested call overflows", recursion(16), "0 cmds[notice:call stack overflow 2] r5=16",
         0, 0, 0, {}, {5}, {{0, 2, 2}}},
        {__LINE__, "RET with nothing to return to", Code({OP_RET, 0, OP_EXIT, 1}),
         "0 cmds[notice:return without call 0]"},
        {__LINE__, "CALLEV of an empty entry", Code({OP_CALLEV, 9, OP_EXIT, 1}),
         "0 cmds[notice:callfunc not found 9]"},
        {__LINE__, "CALLEVR uses the register's low 8 bits", Code({OP_CALLEVR, 4, OP_EXIT, 1, OP_EXIT, 7}), "7", 0,
         0, 0, {{4, 0x102}}, {}, {{0, 2, 2}}},
        {__LINE__, "CALLEVR of an empty entry names the index", Code({OP_CALLEVR, 4, OP_EXIT, 1}),
         "0 cmds[notice:callfunc not found 9]", 0, 0, 0, {{4, 0x109}}},
        {__LINE__, "entry 0 is a valid offset", Code({OP_JZ, 1, OP_EXIT, 3, OP_LABEL, 1, OP_LDI, 1, OP_CALLEV, 0}),
         "3", 6, 0, 0, {}, {}, {{0, 0, 0}}},
        {__LINE__, "CALLK1R with no key function does nothing", Code({OP_CALLK1R, 4, OP_EXIT, 1}), "1", 0, 0, 0,
         {{4, 0x41}}},
        {__LINE__, "CALLK1R calls table 1 and returns", Code({OP_CALLK1R, 4, OP_EXIT, 1, OP_LDI, 6, OP_RET, 0}),
         "1 acc=6", 0, 0, 0, {{4, 0x141}}, {ACC}, {{1, 0x41, 2}}},
        {__LINE__, "CALLK2R calls table 2, not table 1",
         Code({OP_CALLK2R, 4, OP_EXIT, 1, OP_LDI, 6, OP_RET, 0, OP_EXIT, 9}), "1 acc=6", 0, 0, 0, {{4, 0x41}},
         {ACC}, {{2, 0x41, 2}, {1, 0x41, 4}}},
        {__LINE__, "CALLK1R recursion overflows with the key as index", Code({OP_CALLK1R, 4}),
         "0 cmds[notice:call stack overflow 65]", 0, 0, 0, {{4, 0x41}}, {}, {{1, 0x41, 0}}},
        {__LINE__, "a call to an offset beyond the image ends the run", Code({OP_CALLEV, 2, OP_EXIT, 1}), "0", 0, 0,
         0, {}, {}, {{0, 2, 1000}}},
    });
}

Bytes Pushes(int count) {
    Bytes out;
    for (int i = 1; i <= count; ++i) out.insert(out.end(), {uint8_t(OP_PUSHI), uint8_t(i)});
    return out;
}
// Each pop lands in r4 and is summed into r5.
Bytes Pops(int count) { return Repeat(Code({OP_POP, 4, OP_LDA, 4, OP_ADDR, 5}), count); }

TEST_F(InterpreterTest, ValueStack) {
    const Bytes exit = Code({OP_EXIT, 1});
    Check({
        {__LINE__, "the 81st push overwrites r127", Join({Pushes(81), exit}), "1 r48=1 r126=79 r127=81 r36=128", 0,
         0, 0, {}, {48, 126, 127, R_SP}},
        {__LINE__, "the first pop of a full stack yields r127", Join({Pushes(81), Pops(1), exit}),
         "1 r4=81 r36=127", 0, 0, 0, {}, {4, R_SP}},
        {__LINE__, "80 pops yield r127 down to r48", Join({Pushes(81), Pops(80), exit}), "1 r4=1 r5=3241 r36=48",
         0, 0, 0, {}, {4, 5, R_SP}},
        {__LINE__, "the 81st pop yields r48 again", Join({Pushes(81), Pops(81), exit}), "1 r4=1 r5=3242 r36=48", 0,
         0, 0, {}, {4, 5, R_SP}},
        {__LINE__, "every run starts with an empty stack", Code({OP_PUSHI, 9, OP_EXIT, 1}), "1 r48=9 r36=49", 0, 0,
         0, {{R_SP, 100}}, {48, R_SP}},
        {__LINE__, "a stack pointer below 48 pushes to r48", Code({OP_LDI, 3, OP_STA, R_SP, OP_PUSHI, 9, OP_EXIT, 1}),
         "1 r48=9 r36=49", 0, 0, 0, {}, {48, R_SP}},
        {__LINE__, "a stack pointer above 128 pushes to r127",
         Code({OP_LDI, 200, OP_STA, R_SP, OP_PUSHI, 9, OP_EXIT, 1}), "1 r127=9 r36=128", 0, 0, 0, {},
         {127, R_SP}},
        {__LINE__, "a stack pointer above 128 pops r127", Code({OP_LDI, 200, OP_STA, R_SP, OP_POP, 4, OP_EXIT, 1}),
         "1 r4=5 r36=127", 0, 0, 0, {{127, 5}}, {4, R_SP}},
        {__LINE__, "a stack pointer of INT_MIN pops r48 without overflow",
         Code({OP_LDA, 6, OP_STA, R_SP, OP_POP, 4, OP_EXIT, 1}), "1 r4=77 r36=48", 0, 0, 0,
         {{6, INT_MIN}, {48, 77}}, {4, R_SP}},
        {__LINE__, "PUSH copies a register", Code({OP_PUSH, 132, OP_POP, 5, OP_EXIT, 1}), "1 r5=-3", 0, 0, 0,
         {{4, -3}}, {5}},
    });
}

Bytes Press(int mods) { return Code({OP_SETMODS, mods, OP_PRESS, 0x41, OP_EXIT, 1}); }

TEST_F(InterpreterTest, KeyInjection) {
    Check({
        {__LINE__, "no modifier", Press(0), "1 keys[+41 -41]"},
        {__LINE__, "bit 0: control", Press(0x01), "1 keys[+11 +41 -41 -11]"},
        {__LINE__, "bit 1: shift", Press(0x02), "1 keys[+10 +41 -41 -10]"},
        {__LINE__, "bit 4: 0x5C", Press(0x10), "1 keys[+5c +41 -41 -5c]"},
        {__LINE__, "bit 5: 0x15, tapped again inside", Press(0x20), "1 keys[+15 +41 -15 +15 -41 -15]"},
        {__LINE__, "0x21", Press(0x21), "1 keys[+11 +15 +41 -15 +15 -41 -15 -11]"},
        {__LINE__, "all four, released in reverse", Press(0x33),
         "1 keys[+11 +10 +5c +15 +41 -15 +15 -41 -15 -5c -10 -11]"},
        {__LINE__, "bits 2, 3, 6, 7 press nothing", Press(0xCC), "1 keys[+41 -41]"},
        {__LINE__, "PRESS clears the modifiers for the next tap",
         Code({OP_SETMODS, 1, OP_PRESS, 0x41, OP_PRESS, 0x42, OP_EXIT, 1}), "1 keys[+11 +41 -41 -11 +42 -42] r35=0",
         0, 0, 0, {}, {R_MODS}},
        {__LINE__, "PRESSR taps the register's low 8 bits with modifiers",
         Code({OP_SETMODS, 2, OP_PRESSR, 4, OP_EXIT, 1}), "1 keys[+10 +41 -41 -10]", 0, 0, 0, {{4, 0x141}}},
        {__LINE__, "KEYDOWN and KEYUP", Code({OP_KEYDOWN, 0x5B, OP_KEYUP, 0x5B, OP_EXIT, 1}), "1 keys[+5b -5b]"},
        {__LINE__, "KEYDOWNR and KEYUPR use the low 8 bits", Code({OP_KEYDOWNR, 4, OP_KEYUPR, 4, OP_EXIT, 1}),
         "1 keys[+a5 -a5]", 0, 0, 0, {{4, 0x1A5}}},
        {__LINE__, "keys stay injected when the run fails later", Code({OP_KEYDOWN, 0x20, OP_RET, 0}),
         "0 keys[+20] cmds[notice:return without call 0]"},
    });
}

Bytes TimeoutJump() { return Code({OP_JTIMEOUT, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}); }

TEST_F(InterpreterTest, TimeAndState) {
    const int32_t markBeforeWrap = static_cast<int32_t>(0xFFFFFE00u);  // 512 ms before the wrap
    Check({
        {__LINE__, "TIMEOUT 25 is 1000 ms", Code({OP_TIMEOUT, 25, OP_EXIT, 1}), "1 r34=1000", 0, 0, 0, {},
         {R_TIMEOUT}},
        {__LINE__, "MARK takes the run's time; no timeout at once",
         Join({Code({OP_MARK, 0}), TimeoutJump()}), "2 r33=12345", 0, 0, 12345, {}, {R_MARK}},
        {__LINE__, "1000 ms after the mark across the wrap: timed out", TimeoutJump(), "1", 0, 0, 0x1E8,
         {{R_MARK, markBeforeWrap}}},
        {__LINE__, "999 ms after the mark across the wrap: not yet", TimeoutJump(), "2", 0, 0, 0x1E7,
         {{R_MARK, markBeforeWrap}}},
        {__LINE__, "a time before the mark is a huge unsigned distance", TimeoutJump(), "1", 0, 0, 100,
         {{R_MARK, 200}}},
        {__LINE__, "MODE 3 changes nothing", Code({OP_MODE, 3, OP_EXIT, 1}), "1 r40=0", 0, 0, 0, {}, {R_MODE}},
        {__LINE__, "MODE 2 sets the mode register", Code({OP_MODE, 2, OP_EXIT, 1}), "1 r40=2", 0, 0, 0, {},
         {R_MODE}},
        {__LINE__, "MODE 0 after MODE 1 changes nothing", Code({OP_MODE, 1, OP_MODE, 0, OP_EXIT, 1}), "1 r40=1", 0,
         0, 0, {}, {R_MODE}},
        {__LINE__, "RESET clears state, modifiers, mark, acc and the toggle selection",
         Code({OP_TGSEL, 1, OP_RESET, 0, OP_JTG1, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}),
         "2 r32=0 r33=0 r35=0 acc=0 r34=1000", 0, 0, 0, {{R_STATE, 5}, {R_MODS, 3}, {R_MARK, 9}, {ACC, 4}},
         {R_STATE, R_MARK, R_MODS, ACC, R_TIMEOUT}},
        {__LINE__, "state bits: set, clear, test; bit 40 does nothing",
         Code({OP_STSET, 3, OP_STSET, 40, OP_STCLR, 0, OP_STCLR, 40, OP_STTST, 3, OP_STA, 4, OP_STTST, 40,
               OP_EXIT, 1}),
         "1 r32=8 r4=1 acc=0", 0, 0, 0, {{R_STATE, 1}}, {R_STATE, 4, ACC}},
        {__LINE__, "bit 31 of the state word",
         Code({OP_STSET, 31, OP_STTST, 31, OP_EXIT, 1}), "1 r32=-2147483648 acc=1", 0, 0, 0, {},
         {R_STATE, ACC}},
        {__LINE__, "sysflags: set, test, clear; bit 32 tests 0",
         Code({OP_SFSET, 5, OP_SFTST, 5, OP_STA, 4, OP_SFCLR, 5, OP_SFTST, 5, OP_STA, 6, OP_SFSET, 32, OP_SFTST, 32,
               OP_EXIT, 1}),
         "1 r4=1 r6=0 acc=0", 0, 0, 0, {}, {4, 6, ACC}},
    });
}

TEST_F(InterpreterTest, ToggleByte) {
    Check({
        {__LINE__, "TGTSTX 2 on 0x04: no other bit", Code({OP_TGSEL, 0x04, OP_TGTSTX, 2, OP_EXIT, 1}), "1 acc=0",
         0, 0, 0, {{ACC, 9}}, {ACC}},
        {__LINE__, "TGTSTX 2 on 0x05: bit 0 besides", Code({OP_TGSEL, 0x05, OP_TGTSTX, 2, OP_EXIT, 1}), "1 acc=1",
         0, 0, 0, {}, {ACC}},
        {__LINE__, "TGTSTX 9 on 0x04: any bit counts", Code({OP_TGSEL, 0x04, OP_TGTSTX, 9, OP_EXIT, 1}),
         "1 acc=1", 0, 0, 0, {}, {ACC}},
        {__LINE__, "TGTSTX with no toggle byte leaves acc", Code({OP_TGTSTX, 2, OP_EXIT, 1}), "1 acc=7", 0, 0, 0,
         {{ACC, 7}}, {ACC}},
        {__LINE__, "TGSET/TGCLR change the byte; bit 8 does not exist",
         Code({OP_TGSEL, 0x01, OP_TGSET, 3, OP_TGCLR, 0, OP_TGSET, 8, OP_TGTSTX, 3, OP_STA, 4, OP_JTG8, 1, OP_EXIT,
               2, OP_LABEL, 1, OP_EXIT, 1}),
         "1 r4=0", 0, 0, 0, {}, {4}},
        {__LINE__, "TGSET with no toggle byte does nothing",
         Code({OP_TGSET, 0, OP_JTG1, 1, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}), "2"},
    });
}

TEST_F(InterpreterTest, ToggleBytePersistsInTheImage) {
    // The first run finds bit 0 clear and sets it; the next run's TGSEL selects the changed byte.
    Load(Code({OP_TGSEL, 0, OP_JTG1, 1, OP_TGSET, 0, OP_EXIT, 2, OP_LABEL, 1, OP_EXIT, 1}));
    EXPECT_EQ(RunScript(0, 0, 0), 2u);
    EXPECT_EQ(RunScript(0, 0, 0), 1u);
    EXPECT_EQ(gEngine.code.bytes[1], 1);
}

TEST_F(InterpreterTest, Arithmetic) {
    Check({
        {__LINE__, "LDR0-LDR3", Code({OP_LDR0, 1, OP_LDR1, 2, OP_LDR2, 3, OP_LDR3, 255, OP_EXIT, 1}),
         "1 r0=1 r1=2 r2=3 r3=255", 0, 0, 0, {}, {0, 1, 2, 3}},
        {__LINE__, "register operands wrap at 128", Code({OP_LDI, 9, OP_STA, 128, OP_LDA, 129, OP_EXIT, 1}),
         "1 r0=9 acc=4", 0, 0, 0, {{1, 4}}, {0, ACC}},
        {__LINE__, "LDAI and STAI go through a register's low 7 bits",
         Code({OP_LDAI, 4, OP_STA, 6, OP_LDI, 9, OP_STAI, 4, OP_EXIT, 1}), "1 r6=77 r5=9", 0, 0, 0,
         {{4, 133}, {5, 77}}, {6, 5}},
        {__LINE__, "register arithmetic against acc",
         Code({OP_ADDR, 4, OP_SUBR, 5, OP_ANDR, 6, OP_ORR, 7, OP_XORR, 8, OP_EXIT, 1}),
         "1 r4=22 r5=2 r6=8 r7=14 r8=6", 0, 0, 0, {{ACC, 10}, {4, 12}, {5, 12}, {6, 12}, {7, 12}, {8, 12}},
         {4, 5, 6, 7, 8}},
        {__LINE__, "immediate arithmetic", Code({OP_ADDI, 5, OP_SUBI, 1, OP_ORI, 0x30, OP_ANDI, 0x3C, OP_XORI, 1,
                                                 OP_EXIT, 1}),
         "1 acc=61", 0, 0, 0, {{ACC, 10}}, {ACC}},
        {__LINE__, "ADDI wraps past INT_MAX", Code({OP_ADDI, 1, OP_EXIT, 1}), "1 acc=-2147483648", 0, 0, 0,
         {{ACC, INT_MAX}}, {ACC}},
        {__LINE__, "SUBI wraps past INT_MIN", Code({OP_SUBI, 1, OP_EXIT, 1}), "1 acc=2147483647", 0, 0, 0,
         {{ACC, INT_MIN}}, {ACC}},
        {__LINE__, "ADDR wraps", Code({OP_ADDR, 4, OP_EXIT, 1}), "1 r4=-2147483648", 0, 0, 0, {{ACC, 1}, {4, INT_MAX}},
         {4}},
        {__LINE__, "SUBR wraps", Code({OP_SUBR, 4, OP_EXIT, 1}), "1 r4=2147483647", 0, 0, 0, {{ACC, 1}, {4, INT_MIN}},
         {4}},
        {__LINE__, "comparisons with immediates are signed",
         Code({OP_LTI, 5, OP_STA, 4, OP_LDI, 0, OP_SUBI, 1, OP_GTI, 5, OP_STA, 5, OP_LDI, 255, OP_EQI, 255,
               OP_EXIT, 1}),
         "1 r4=1 r5=0 acc=1", 0, 0, 0, {{ACC, -1}}, {4, 5, ACC}},
        {__LINE__, "comparisons with registers are signed",
         Code({OP_LTR, 4, OP_STA, 5, OP_LDI, 0, OP_SUBI, 2, OP_GTR, 4, OP_STA, 6, OP_LDI, 1, OP_EQR, 4, OP_EXIT,
               1}),
         "1 r5=1 r6=0 acc=1", 0, 0, 0, {{ACC, -2}, {4, 1}}, {5, 6, ACC}},
        {__LINE__, "MULR wraps", Code({OP_MULR, 4, OP_EXIT, 1}), "1 r4=0", 0, 0, 0, {{ACC, 0x10000}, {4, 0x10000}},
         {4}},
        {__LINE__, "MULR2 multiplies too", Code({OP_MULR2, 4, OP_EXIT, 1}), "1 r4=-12", 0, 0, 0, {{ACC, -4}, {4, 3}},
         {4}},
        {__LINE__, "DIVR truncates toward zero", Code({OP_DIVR, 4, OP_DIVR, 5, OP_EXIT, 1}), "1 r4=-3 r5=3", 0, 0, 0,
         {{ACC, 2}, {4, -7}, {5, 7}}, {4, 5}},
        {__LINE__, "DIVR by a negative", Code({OP_DIVR, 4, OP_EXIT, 1}), "1 r4=-3", 0, 0, 0, {{ACC, -2}, {4, 7}},
         {4}},
        {__LINE__, "DIVR by zero leaves the register", Code({OP_DIVR, 4, OP_EXIT, 1}), "1 r4=7", 0, 0, 0,
         {{ACC, 0}, {4, 7}}, {4}},
        {__LINE__, "DIVR INT_MIN by -1 wraps to INT_MIN", Code({OP_DIVR, 4, OP_EXIT, 1}), "1 r4=-2147483648", 0, 0,
         0, {{ACC, -1}, {4, INT_MIN}}, {4}},
        {__LINE__, "SHLR by 31", Code({OP_SHLR, 4, OP_EXIT, 1}), "1 r4=-2147483648", 0, 0, 0, {{ACC, 31}, {4, 1}},
         {4}},
        {__LINE__, "SHLR by 32 gives 0", Code({OP_SHLR, 4, OP_EXIT, 1}), "1 r4=0", 0, 0, 0, {{ACC, 32}, {4, 3}}, {4}},
        {__LINE__, "SHLR uses the low 8 bits of acc", Code({OP_SHLR, 4, OP_EXIT, 1}), "1 r4=6", 0, 0, 0,
         {{ACC, 0x101}, {4, 3}}, {4}},
        {__LINE__, "SHLR by a negative count (low bits 255)", Code({OP_SHLR, 4, OP_EXIT, 1}), "1 r4=0", 0, 0, 0,
         {{ACC, -1}, {4, 3}}, {4}},
        {__LINE__, "SARR keeps the sign", Code({OP_SARR, 4, OP_EXIT, 1}), "1 r4=-4", 0, 0, 0, {{ACC, 1}, {4, -8}},
         {4}},
        {__LINE__, "SARR by 40 acts as 31 on a negative", Code({OP_SARR, 4, OP_EXIT, 1}), "1 r4=-1", 0, 0, 0,
         {{ACC, 40}, {4, -8}}, {4}},
        {__LINE__, "SARR by 40 acts as 31 on a positive", Code({OP_SARR, 4, OP_EXIT, 1}), "1 r4=0", 0, 0, 0,
         {{ACC, 40}, {4, INT_MAX}}, {4}},
        {__LINE__, "SARR INT_MIN by 31", Code({OP_SARR, 4, OP_EXIT, 1}), "1 r4=-1", 0, 0, 0, {{ACC, 31}, {4, INT_MIN}},
         {4}},
    });
}

TEST_F(InterpreterTest, Commands) {
    const Bytes exit = Code({OP_EXIT, 1});
    Check({
        {__LINE__, "WINACT and ROTATE post their operand", Code({OP_WINACT, 'C', OP_ROTATE, 5, OP_EXIT, 1}),
         "1 cmds[winact:C rotate:5]"},
        {__LINE__, "EXEC posts program and arguments", Join({StringBlock(2, "\\prog.exe", "-x"), Code({OP_EXEC, 6}), exit}),
         "1 cmds[run:\\prog.exe|-x]"},
        {__LINE__, "EXEC with empty arguments", Join({StringBlock(1, "http://q", ""), Code({OP_EXEC, 1}), exit}),
         "1 cmds[run:http://q|]"},
        {__LINE__, "NOTICE shows the first text and acc",
         Join({StringBlock(1, "hello", "unused"), Code({OP_LDI, 0, OP_SUBI, 5, OP_NOTICE, 1}), exit}),
         "1 cmds[notice:hello -5]"},
        {__LINE__, "STATUS formats slot 0 with r0-r3",
         Join({StringBlock(0, "v=%d k=%x %u|%c", ""),
               Code({OP_LDR0, 7, OP_LDR1, 255, OP_LDR2, 3, OP_LDR3, 'z', OP_STATUS, 2}), exit}),
         "1 cmds[status2:v=7 k=ff 3|z]"},
        {__LINE__, "STATUS keeps the first 48 bytes", Join({StringBlock(0, "%060d", ""), Code({OP_LDR0, 1, OP_STATUS, 5}), exit}),
         "1 cmds[status5:" + std::string(48, '0') + "]"},
        {__LINE__, "STATUS 6 does nothing", Join({StringBlock(0, "x", ""), Code({OP_STATUS, 6}), exit}), "1"},
        {__LINE__, "a slot rewritten before the host reads it shows its newest text",
         Join({StringBlock(0, "n%d", ""), Code({OP_LDR0, 1, OP_STATUS, 1, OP_LDR0, 2, OP_STATUS, 1}), exit}),
         "1 cmds[status1:n2 status1:n2]"},
        {__LINE__, "STATUS never reads memory for %s, %n or %p",
         Join({StringBlock(0, "%s%n%p%f%*d %d", ""), Code({OP_LDR0, 4, OP_STATUS, 0}), exit}),
         "1 cmds[status0:%s%n%p%f%*d 4]"},
    });
}

// Hand-written images that end early, bind unterminated text or claim more data than they hold.
// ASan checks that nothing is read past the image's exact-size allocation.
TEST_F(InterpreterTest, ImageEnd) {
    // Code that uses slot 0 (bound by a first run from byte 10), then the block at the very end.
    const Bytes user = Code({OP_LDI, 5, OP_NOTICE, 0, OP_EXEC, 0, OP_STATUS, 1, OP_EXIT, 1});
    Check({
        {__LINE__, "running off the end ends with 0", Code({OP_LDI, 1}), "0"},
        {__LINE__, "an opcode as the last byte of an odd image is not run", Code({OP_LDI, 1, OP_EXIT}), "0"},
        {__LINE__, "a search reaching the end fails", Code({OP_JMP, 3, OP_LDI, 1}), "0 cmds[notice:Label notfound 3]"},
        {__LINE__, "a LABEL opcode without its operand byte is no label", Code({OP_JMP, 3, OP_LABEL}),
         "0 cmds[notice:Label notfound 3]"},
        {__LINE__, "SKIP beyond the end ends the run", Code({OP_SKIP, 200, OP_EXIT, 1}), "0"},
        {__LINE__, "a label inside over-long SKIP data is not found", Code({OP_JMP, 3, OP_SKIP, 100, OP_LABEL, 3}),
         "0 cmds[notice:Label notfound 3]"},
        {__LINE__, "an entry beyond the image ends with 0", Code({OP_EXIT, 1}), "0", 1000},
        {__LINE__, "text without a zero stops at the image's end; EXEC posts nothing",
         Join({user, Code({OP_STR, 0, OP_SKIP, 1, 'A', 'B'})}), "1 cmds[notice:AB 5 status1:AB]", 0, 0, 0, {}, {},
         {}, 10},
        {__LINE__, "EXEC needs the second zero inside the image",
         Join({user, Code({OP_STR, 0, OP_SKIP, 2, 'A', 'B', 0, 'C'})}), "1 cmds[notice:AB 5 status1:AB]", 0, 0, 0,
         {}, {}, {}, 10},
        {__LINE__, "SKIP claiming more units than remain binds what is there",
         Join({user, Code({OP_STR, 0, OP_SKIP, 100, 'X', '%', 'd', 0})}), "1 cmds[notice:X%d 5 status1:X3]", 0, 0, 0,
         {{0, 3}}, {}, {}, 10},
        {__LINE__, "STR as the image's last instruction ends the run", Code({OP_LDI, 1, OP_STR, 0}), "0"},
        {__LINE__, "unbound slots read as empty text; EXEC posts nothing",
         Code({OP_LDI, 5, OP_NOTICE, 2, OP_EXEC, 1, OP_LDR0, 3, OP_STATUS, 3, OP_EXIT, 1}),
         "1 cmds[notice: 5 status3:]"},
        {__LINE__, "STR without a SKIP after it unbinds the slot and goes on",
         Join({StringBlock(0, "old", ""), Code({OP_STR, 0, OP_LDI, 3, OP_NOTICE, 0, OP_EXIT, 1})}),
         "1 cmds[notice: 3]"},
        {__LINE__, "a notice text longer than the notice buffer is cut",
         Join({StringBlock(3, std::string(300, 'n'), ""), Code({OP_NOTICE, 3, OP_EXIT, 1})}),
         "1 cmds[notice:" + std::string(NOTICE_BUFFER_SIZE - 1, 'n') + "]"},
    });
}

TEST_F(InterpreterTest, StepLimit) {
    Check({
        {__LINE__, "an endless loop is stopped", Code({OP_LABEL, 1, OP_JMPS, 1}),
         "0 cmds[notice:step limit exceeded 100000]"},
        {__LINE__, "an endless loop of calls and returns is stopped",
         Code({OP_LABEL, 1, OP_CALLEV, 2, OP_JMPS, 1, OP_RET, 0}), "0 cmds[notice:step limit exceeded 100000]", 0,
         0, 0, {}, {}, {{0, 2, 3}}},
        {__LINE__, "4000 turns of a loop stay within the limit",
         Code({OP_LABEL, 1, OP_LDA, 4, OP_ADDI, 1, OP_STA, 4, OP_LTR, 5, OP_JZ, 2, OP_JMPS, 1, OP_LABEL, 2, OP_EXIT,
               1}),
         "1 r4=4000", 0, 0, 0, {{5, 4000}}, {4}},
    });
}

// Counts what a run sends out, however much: the recording port holds only so many.
struct OutputCount {
    int keys = 0, commands = 0, keysHeld = 0;
    std::string lastNotice;
};
OutputCount gOutput;

TEST_F(InterpreterTest, KeyAndCommandLimits) {
    // A loop that would post tens of thousands of commands or inject keys without end is stopped
    // once the instruction crossing the limit has completed, so a tap is never cut in half.
    struct LimitCase {
        int line;
        const char* what;
        Bytes image;
        uint32_t result;
        int keys, commands, keysHeld;
        const char* lastNotice;
    };
    const LimitCase cases[] = {
        {__LINE__, "a status-line flood", Code({OP_LABEL, 1, OP_STATUS, 0, OP_JMPS, 1}), 0, 0,
         int(COMMAND_LIMIT) + 2, 0, "command limit exceeded 64"},
        {__LINE__, "a loop of taps with control and shift",
         Code({OP_LABEL, 1, OP_SETMODS, MODS_CONTROL | MODS_SHIFT, OP_PRESS, 0x41, OP_JMPS, 1}), 0,
         int(KEY_LIMIT / 6 + 1) * 6, 1, 0, "key limit exceeded 256"},
        {__LINE__, "exactly at both limits",
         Join({Repeat(Code({OP_STATUS, 1}), int(COMMAND_LIMIT)), Repeat(Code({OP_KEYDOWN, 0x41}), int(KEY_LIMIT)),
               Code({OP_EXIT, 1})}),
         1, int(KEY_LIMIT), int(COMMAND_LIMIT), int(KEY_LIMIT), ""},
    };
    gEnginePort.injectKey = [](uint8_t, bool up) {
        ++gOutput.keys;
        gOutput.keysHeld += up ? -1 : 1;
    };
    gEnginePort.postCommand = [](void*, uint16_t id, uintptr_t value) {
        ++gOutput.commands;
        if (id == CmdNotice) gOutput.lastNotice = reinterpret_cast<const char*>(value);
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "line " << c.line << ": " << c.what);
        FreshEngine();
        Load(c.image);
        gOutput = OutputCount{};
        EXPECT_EQ(RunScript(0, MSG_KEYDOWN, 0), c.result);
        EXPECT_EQ(gOutput.keys, c.keys);
        EXPECT_EQ(gOutput.commands, c.commands);  // the error notice included
        EXPECT_EQ(gOutput.keysHeld, c.keysHeld);
        EXPECT_EQ(gOutput.lastNotice, c.lastNotice);
    }
}

TEST_F(InterpreterTest, OneKeyEventSharesItsAllowanceBetweenPreKeyAndKeyFunction) {
    // Pre-key function (unit 0) injects 200 keys; the key function for 0x41 (unit 201) 100 more.
    Load(Join({Repeat(Code({OP_KEYDOWN, 0x88}), 200), Code({OP_EXIT, 0}), Repeat(Code({OP_KEYDOWN, 0x89}), 100),
               Code({OP_EXIT, 1})}));
    gEngine.functionTables[0][1] = 0;
    gEngine.keyTable[0x41] = 201;
    gEnginePort.injectKey = [](uint8_t, bool) { ++gOutput.keys; };
    gEnginePort.postCommand = [](void*, uint16_t id, uintptr_t value) {
        if (id == CmdNotice) gOutput.lastNotice = reinterpret_cast<const char*>(value);
    };
    gOutput = OutputCount{};
    EXPECT_EQ(DispatchKeyEvent(0x10, 0x41, MSG_KEYDOWN, 0), 0) << "the key function fails, so the key passes";
    EXPECT_EQ(gOutput.keys, int(KEY_LIMIT) + 1);
    EXPECT_EQ(gOutput.lastNotice, "key limit exceeded 256");
    // The next key event starts afresh, and so does a run of its own.
    gOutput = OutputCount{};
    EXPECT_EQ(RunScript(201 * 2, MSG_KEYDOWN, 0), 1u);
    EXPECT_EQ(gOutput.keys, 100);
    EXPECT_EQ(gOutput.lastNotice, "");
}

TEST_F(InterpreterTest, LabelSearchesCountAgainstTheStepLimit) {
    // Each turn scans 10,000 instructions to reach LABEL 1. Were only executed instructions
    // counted, this loop would scan over 300 million instructions before it was stopped.
    const int filler = 10000;
    Load(Join({Code({OP_LABEL, 2, OP_LDA, 4, OP_ADDI, 1, OP_STA, 4, OP_JMP, 1}), Repeat(Code({OP_LDI, 0}), filler),
               Code({OP_LABEL, 1, OP_JMPS, 2})}));
    EXPECT_EQ(RunScript(0, 0, 0), 0u);
    EXPECT_EQ(RenderCommands(), "notice:step limit exceeded 100000");
    EXPECT_GE(gEngine.regs[4], 1);
    EXPECT_LE(gEngine.regs[4], int32_t(STEP_LIMIT / filler));
}

TEST_F(InterpreterTest, RunsDoNotNest) {
    // A port that calls back into the engine while a run is in progress.
    static int nestedResult;
    nestedResult = -1;
    gEnginePort.injectKey = [](uint8_t, bool) {
        nestedResult = int(RunScript(4, 0, 0)) + 10 * DispatchKeyEvent(0x10, 0x41, MSG_KEYDOWN, 77);
    };
    Load(Code({OP_KEYDOWN, 0x41, OP_EXIT, 1, OP_LDI, 9, OP_EXIT, 3}));
    gEngine.functionTables[1][0x41] = 2;
    EXPECT_EQ(RunScript(0, 0, 0), 1u);
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(gEngine.acc, 0);
    EXPECT_EQ(gEngine.regs[R_TIME], 0);
    EXPECT_FALSE(ScriptIsRunning());
}

TEST(FindOpcode, KnowsExactlyTheInstructions) {
    struct Row {
        int opcode;
        const char* mnemonic;  // none: no instruction
    } rows[] = {{0, nullptr}, {1, "EXIT"}, {30, "KEYUPR"}, {31, nullptr}, {32, "LDR0"},
                {76, "MULR2"}, {84, "STATUS"}, {85, nullptr}, {255, nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.opcode);
        const OpcodeInfo* info = FindOpcode(uint8_t(row.opcode));
        EXPECT_STREQ(info ? info->mnemonic : nullptr, row.mnemonic);
    }
    int found = 0;
    for (int op = 0; op < 256; ++op)
        if (const OpcodeInfo* info = FindOpcode(uint8_t(op))) {
            EXPECT_EQ(info->number, op);
            ++found;
        }
    EXPECT_EQ(found, 83);  // 1-30 and 32-84
}

}  // namespace
