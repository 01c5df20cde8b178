// Engine behaviour that needs code of its own: the label index against the plain scan, and runs
// that do not nest.
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

}  // namespace
