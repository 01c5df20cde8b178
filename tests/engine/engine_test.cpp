// The label index against the plain scan it replaces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "engine_cases.h"
#include "label_scan.h"
#include "native_port.h"
#include "script_load.h"

namespace {

// The index must answer as the scan does from every `stride`-th instruction position, for all labels.
void ExpectIndexAgreesWithScan(uint32_t stride) {
    uint32_t first[256];
    for (uint32_t from = 0; from + 2 <= gEngine.code.size; from += 2 * stride) {
        ScanForLabels(gEngine.code.bytes, gEngine.code.size, from, first);
        for (int label = 0; label < 256; ++label)
            ASSERT_EQ(FindLabel(gEngine.labels, from, uint8_t(label)), first[label]) << "label " << label << " from " << from;
    }
}

TEST(LabelIndex, AgreesWithTheScanOnTheSampleScript) {
    InitEngine();
    SetNativeCodePage(932);
    UseNativeCompilerPort(nullptr);
    const std::string path = QUILLO_EXAMPLES "/scriptcommand.txt";
    LoadScriptFile(std::u16string(path.begin(), path.end()).c_str(), nullptr);
    ASSERT_GT(gEngine.code.size, 400u);
    ExpectIndexAgreesWithScan(1);
    ReleaseCodeImage();
}

// Images at the compiler's limit and at the engine's: code with labels and string blocks, and
// bytes that make the search's paths split and join everywhere (SKIP, LABEL and 0 in every place).
TEST(LabelIndex, AgreesWithTheScanOnImagesAtTheSizeLimit) {
    std::mt19937 random(5);
    const uint8_t opcodes[] = {OP_LABEL, OP_LABEL, OP_LDI, OP_JMP, OP_EXIT, OP_SKIP, OP_END};
    for (uint32_t size : {32766u, MAX_IMAGE_SIZE - 1}) {
        for (uint32_t kinds : {6u, 7u}) {  // 6: code with some short SKIPs; 7: opcode 0 and long SKIPs too
            Bytes image(size);
            for (uint32_t i = 0; i + 1 < size; i += 2) {
                image[i] = opcodes[random() % kinds];
                image[i + 1] = uint8_t(random() % (image[i] != OP_SKIP ? 40 : kinds == 6 ? 8 : 256));
            }
            LoadImage(image);
            ExpectIndexAgreesWithScan(size / 2 / 1500);
            EXPECT_EQ(FindLabel(gEngine.labels, size / 2 * 2, 5), LABEL_NOT_FOUND) << "a search from the image's end";
        }
    }
    Bytes labels(512);  // nothing but labels: each takes a block pair of its own
    for (uint32_t i = 0; i < labels.size(); i += 2) labels[i] = OP_LABEL, labels[i + 1] = uint8_t(i / 2);
    LoadImage(labels);
    ExpectIndexAgreesWithScan(1);
    ReleaseCodeImage();
}

// An image over the size limit, or one whose label index finds no memory, is not installed.
TEST(LabelIndex, NoIndexNoImage) {
    gCodeImageAllocator = [](size_t size) -> void* { return size == 2 ? std::malloc(size) : nullptr; };
    const Bytes image(MAX_IMAGE_SIZE + 1, OP_EXIT);
    EXPECT_FALSE(InstallCodeImageBytes(image.data(), 2) || gEngine.code.bytes) << "no memory for the index";
    EXPECT_FALSE(InstallCodeImageBytes(image.data(), MAX_IMAGE_SIZE + 1) || gEngine.code.bytes) << "too large";
    gCodeImageAllocator = std::malloc;
}

}  // namespace
