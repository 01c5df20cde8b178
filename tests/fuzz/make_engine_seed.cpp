// Writes a seed for the engine fuzz target from a script: the compiled image, its function-table
// entries, the start-up function and every registered key down and up in both modes.
//     make_engine_seed scriptcommand.txt out.bin
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "compiler.h"
#include "engine.h"
#include "native_port.h"

namespace {

// Operation numbers of fuzz_engine.cpp.
constexpr uint8_t OP_TABLE_ENTRY = 0;
constexpr uint8_t OP_KEY_EVENT = 2;
constexpr uint8_t OP_EVENT = 3;
constexpr uint8_t MESSAGE_KEYDOWN = 0;  // indexes into its message list
constexpr uint8_t MESSAGE_KEYUP = 1;

std::vector<uint8_t> gSeed;

void Put(uint8_t b) { gSeed.push_back(b); }
void Put16(uint32_t v) {
    Put(static_cast<uint8_t>(v));
    Put(static_cast<uint8_t>(v >> 8));
}
void Put32(uint32_t v) {
    Put16(v);
    Put16(v >> 16);
}

void PrintMessage(const char16_t* text) {
    char utf8[2048];
    WideToUtf8(text, utf8, sizeof utf8);
    std::fprintf(stderr, "%s\n", utf8);
}

void PutKey(uint8_t message, int vk, uint32_t time) {
    Put(OP_KEY_EVENT);
    Put(message);
    Put(static_cast<uint8_t>(vk));
    Put(ScanTable[vk]);
    Put32(time);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_engine_seed script out\n");
        return 2;
    }
    InitEngine();
    UseNativeCompilerPort(PrintMessage);
    std::u16string path;
    for (const char* p = argv[1]; *p; ++p) path += static_cast<char16_t>(static_cast<unsigned char>(*p));
    CompileScriptFile(path.c_str());
    if (!gEngine.code.bytes || gEngine.code.size > 0xFFFF) {
        std::fprintf(stderr, "no image, or one too large for a seed\n");
        return 1;
    }
    Put16(gEngine.code.size);
    gSeed.insert(gSeed.end(), gEngine.code.bytes, gEngine.code.bytes + gEngine.code.size);
    for (int table = 0; table < FUNCTION_TABLE_COUNT; ++table) {
        for (int index = 0; index < FUNCTION_TABLE_SIZE; ++index) {
            uint16_t entry = gEngine.functionTables[table][index];
            if (entry == NO_FUNCTION) continue;
            Put(OP_TABLE_ENTRY);
            Put(static_cast<uint8_t>(table));
            Put(static_cast<uint8_t>(index));
            Put16(entry);
        }
    }
    Put(OP_EVENT);
    Put(0);
    uint32_t time = 1000;
    for (int table = 1; table < FUNCTION_TABLE_COUNT; ++table) {
        for (int vk = 0; vk < FUNCTION_TABLE_SIZE; ++vk) {
            if (gEngine.functionTables[table][vk] == NO_FUNCTION) continue;
            PutKey(MESSAGE_KEYDOWN, vk, time);
            PutKey(MESSAGE_KEYUP, vk, time + 40);
            time += 1000;
        }
    }
    ReleaseCodeImage();
    FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(gSeed.data(), 1, gSeed.size(), out) != gSeed.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
