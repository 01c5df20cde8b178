// Engine behaviour that needs code of its own: the label index against the plain scan, runs
// that do not nest, and a key path that allocates nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "compiler.h"
#include "engine_cases.h"
#include "engine_port.h"
#include "label_scan.h"
#include "native_port.h"

namespace {

// The index must answer as the scan does from every `stride`-th instruction position, for all labels.
void ExpectIndexAgreesWithScan(uint32_t stride) {
    uint32_t first[256];
    int compared = 0;
    for (uint32_t from = 0; from + 2 <= gEngine.code.size; from += 2 * stride) {
        ScanForLabels(gEngine.code.bytes, gEngine.code.size, from, first);
        for (int label = 0; label < 256; ++label, ++compared)
            if (FindLabel(from, uint8_t(label)) != first[label])
                return ADD_FAILURE() << "label " << label << " from " << from << ": index "
                                     << FindLabel(from, uint8_t(label)) << ", scan " << first[label];
    }
    EXPECT_GT(compared, 0);
}

TEST(LabelIndex, AgreesWithTheScanOnTheSampleScript) {
    InitEngine();
    SetNativeCodePage(932);
    UseNativeCompilerPort(nullptr);
    const std::string path = QUILLO_EXAMPLES "/scriptcommand.txt";
    CompileScriptFile(std::u16string(path.begin(), path.end()).c_str());
    ASSERT_GT(gEngine.code.size, 400u);
    ExpectIndexAgreesWithScan(1);
    ReleaseCodeImage();
}

// Images at the compiler's limit and at the engine's: code with labels and string blocks, and
// bytes that make the search's paths split and join everywhere (SKIP, LABEL and 0 in every place).
TEST(LabelIndex, AgreesWithTheScanOnImagesAtTheSizeLimit) {
    std::mt19937 random(5);
    const uint8_t opcodes[] = {OP_LABEL, OP_LABEL, OP_SKIP, OP_JMP, OP_LDI, OP_EXIT, OP_END};
    for (uint32_t size : {32766u, MAX_IMAGE_SIZE - 1}) {
        for (bool dense : {false, true}) {
            SCOPED_TRACE(std::to_string(size) + (dense ? " dense" : " code"));
            Bytes image(size);
            for (uint32_t i = 0; i < size; i += 2) {
                const uint8_t op = opcodes[random() % (dense ? 7 : 5)];
                image[i] = op == OP_SKIP && !dense && random() % 4 ? uint8_t(OP_LDI) : op;
                if (i + 1 < size) image[i + 1] = uint8_t(op == OP_SKIP ? random() % (dense ? 256 : 8) : random() % 40);
            }
            LoadImage(image);
            ExpectIndexAgreesWithScan(size / 2 / 1500);
        }
    }
    ReleaseCodeImage();
}

TEST(Runs, DoNotNest) {
    // A port that calls back into the engine while a run is in progress, as a platform whose key
    // injection runs the hook at once would: the calls return at once and change nothing.
    static int nestedResult;
    nestedResult = -1;
    FreshEngine();
    LoadImage(AssembleText("KEYDOWN 0x41 EXIT 1 LDI 9 EXIT 3"));
    gEngine.functionTables[1][0x41] = 2;
    gEnginePort.injectKey = [](uint8_t, bool) {
        nestedResult = int(RunScript(4, 0, 0)) + 10 * DispatchKeyEvent(0x10, 0x41, MSG_KEYDOWN, 77);
    };
    EXPECT_EQ(RunScript(0, 0, 0), 1u);
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(gEngine.acc, 0);
    EXPECT_EQ(gEngine.regs[R_TIME], 0);
    EXPECT_FALSE(ScriptIsRunning());
    ReleaseCodeImage();
}

// The test program is linked with --wrap for the C allocator and for operator new, so every
// allocation made by the engine's code passes this counter.
bool gCounting = false;
int gAllocations = 0;

}  // namespace

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* p, size_t size);
void* __real__Znwm(size_t size);
void* __real__Znam(size_t size);
void* __wrap_malloc(size_t size) { return gAllocations += gCounting, __real_malloc(size); }
void* __wrap_calloc(size_t count, size_t size) { return gAllocations += gCounting, __real_calloc(count, size); }
void* __wrap_realloc(void* p, size_t size) { return gAllocations += gCounting, __real_realloc(p, size); }
void* __wrap__Znwm(size_t size) { return gAllocations += gCounting, __real__Znwm(size); }
void* __wrap__Znam(size_t size) { return gAllocations += gCounting, __real__Znam(size); }
}

namespace {

TEST(KeyPath, AllocatesNothing) {
    // Every kind of work a key can cause: pre-key function, calls, stack, injection, a status
    // line, a notice, a program launch, a run-time error that releases a key.
    FreshEngine();
    const Bytes strings = AssembleText("string 0 \"key %d state %x\" \"\" string 1 \"prog\" \"args\" EXIT 0");
    const Bytes preKey = AssembleText("LDA R_VK STA 4 EXIT 0");
    const Bytes key = AssembleText("JKEYUP 2 TGSEL 0 TGSET 2 CALLEV 5 PUSH 4 POP 0 SETMODS 0x33 PRESSR 4 "
                                   "STATUS 1 NOTICE 1 EXEC 1 EXIT 1 LABEL 2 KEYDOWN 0x10 JMP 99");
    Bytes image = strings;
    for (const Bytes* part : {&preKey, &key}) image.insert(image.end(), part->begin(), part->end());
    const Bytes function5 = AssembleText("LDR1 5 RET 0");
    image.insert(image.end(), function5.begin(), function5.end());
    gAllocations = 0;
    gCounting = true;
    LoadImage(image);
    gCounting = false;
    ASSERT_GT(gAllocations, 0) << "the counter does not see the engine's allocations";
    const uint16_t preKeyUnit = uint16_t(strings.size() / 2), keyUnit = uint16_t(preKeyUnit + preKey.size() / 2);
    gEngine.functionTables[0][1] = preKeyUnit;
    gEngine.functionTables[1][0x41] = keyUnit;
    gEngine.functionTables[0][5] = uint16_t(keyUnit + key.size() / 2);
    RunScript(0, 0, 0);  // the start-up run binds the two string slots
    const std::string down = "1 keys[+11 +10 +5c +15 +41 -15 +15 -41 -15 -5c -10 -11] "
                             "cmds[status1:key 65 state 5 notice:prog 65 run:prog|args]";
    const struct {
        uint32_t message;
        bool throughHook;
        std::string outcome;
    } events[] = {{MSG_KEYDOWN, false, down},
                  {MSG_KEYUP, false, "0 keys[+10 -10] cmds[notice:Label notfound 99]"},
                  {MSG_KEYDOWN, true, down}};
    for (const auto& e : events) {
        ClearPortRecording();
        gAllocations = 0;
        gCounting = true;
        const int swallowed = e.throughHook ? int(HookSwallowsEvent(0, e.message, 0x41, 0x10, 100))
                                            : DispatchKeyEvent(0x10, 0x41, e.message, 100);
        gCounting = false;
        EXPECT_EQ(gAllocations, 0);
        EXPECT_EQ(Outcome(swallowed), e.outcome);
    }
    ReleaseCodeImage();
}

}  // namespace
