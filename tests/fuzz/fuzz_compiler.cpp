// Arbitrary bytes as "scriptcommand.txt", compiled into the engine from memory, then the start-up
// function and the keys the script registered are run. Checks: compiling stops after the first
// line that failed (every message names that one line), the function tables lead into the image,
// and the engine's invariants hold after every run.
#include <cstring>
#include <string>

#include "compiler.h"
#include "engine.h"
#include "engine_oracle.h"
#include "fuzz_support.h"
#include "native_port.h"
#include "script_load.h"

namespace {

constexpr int MAX_KEYS_RUN = 8;  // bounds the time one input takes
constexpr uint32_t NO_LINE = 0xFFFFFFFF;

std::string gScript;
int gMessages;
uint32_t gFirstLine;

// "12行:..." names line 12; a text without a line number, NO_LINE. Every message names the same.
void RecordMessage(const char16_t* text) {
    uint32_t line = 0;
    int digits = 0;
    for (; text[digits] >= u'0' && text[digits] <= u'9' && digits < 9; ++digits)
        line = line * 10 + (text[digits] - u'0');
    if (!digits || text[digits] != u'行') line = NO_LINE;
    if (gMessages++ == 0) gFirstLine = line;
    FUZZ_CHECK(line == gFirstLine, "compiling went on after line %u failed: a message for line %u", gFirstLine, line);
}

}  // namespace

void FuzzInit() {
    SetNativeCodePage(932);
    UseNativeCompilerPort(RecordMessage);
    // The script file is the input, served from memory.
    gCompilerPort.openFile = [](const char16_t*) -> void* { return &gScript; };
    gCompilerPort.fileSize = [](void*, uint32_t* size) { return *size = uint32_t(gScript.size()), true; };
    gCompilerPort.readFile = [](void*, char* to, uint32_t size) { return std::memcpy(to, gScript.data(), size), true; };
    gCompilerPort.closeFile = [](void*) {};
}

void FuzzOne(ByteReader& in) {
    gScript = in.Take(in.Left());
    gMessages = 0;
    ReleaseCodeImage();
    InitEngine();
    UseRecordingEngine();
    LoadScriptFile(u"scriptcommand.txt", nullptr);
    FUZZ_CHECK(gEngine.code.bytes, "no image was installed");
    for (const auto& table : gEngine.functionTables)
        for (uint16_t entry : table)
            FUZZ_CHECK(entry == NO_FUNCTION || uint32_t(entry) * 2 <= gEngine.code.size,
                       "table entry %u beyond an image of %u bytes", entry, gEngine.code.size);
    SnapshotEngine();
    CheckEngineAfter("compile");
    CheckLabelsFrom(0);
    RunEventFunction(0);
    CheckEngineAfter("start-up function");
    // Every key with a function in the current mode, down and up, as the device would send it.
    int run = 0;
    for (int vk = 0; vk < FUNCTION_TABLE_SIZE && run < MAX_KEYS_RUN && EngineWork() <= ENGINE_WORK_BUDGET; ++vk) {
        if (gEngine.keyTable[vk] == NO_FUNCTION) continue;
        CheckLabelsFrom(uint32_t(gEngine.keyTable[vk]) * 2);
        ++run;
        FUZZ_CHECK(DispatchKeyEvent(ScanTable[vk], vk, KEY_MSG_DOWN, 1000u * run) <= 1, "key result");
        CheckEngineAfter("key down");
        FUZZ_CHECK(DispatchKeyEvent(ScanTable[vk], vk, KEY_MSG_UP, 1000u * run + 40) <= 1, "key result");
        CheckEngineAfter("key up");
    }
    ReleaseCodeImage();
}
