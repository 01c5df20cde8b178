// Arbitrary bytes as "scriptcommand.txt": compiled into the engine through a port that serves
// the file from memory, then the start-up function and the keys the script registered are run.
// Checks: the compile context and the installed image keep their limits, compiling stops at the
// first line that failed (every message carries that one line number), every message is a
// terminated text, and the engine's invariants hold after every run.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "compile_context.h"
#include "compiler.h"
#include "engine.h"
#include "engine_oracle.h"
#include "fuzz_support.h"
#include "native_port.h"

namespace {

constexpr int MAX_KEYS_RUN = 8;  // bounds the time one input takes
constexpr uint32_t NO_LINE = 0xFFFFFFFF;
constexpr char16_t LINE_MARK = u'行';

struct MemoryFile {
    const uint8_t* data;
    uint32_t size;
    bool open;
};
MemoryFile gFile;

struct Messages {
    int count;
    uint32_t firstLine;
    bool mixedLines;
};
Messages gMessages;

void* OpenMemoryFile(const char16_t*) {
    FUZZ_CHECK(!gFile.open, "the script file was opened twice");
    gFile.open = true;
    return &gFile;
}
bool MemoryFileSize(void*, uint32_t* size) {
    *size = gFile.size;
    return true;
}
bool ReadMemoryFile(void*, char* buffer, uint32_t size) {
    FUZZ_CHECK(size == gFile.size, "read %u bytes of a %u-byte file", size, gFile.size);
    if (size) std::memcpy(buffer, gFile.data, size);
    return true;
}
void CloseMemoryFile(void*) {
    FUZZ_CHECK(gFile.open, "closed a file that is not open");
    gFile.open = false;
}

// "12行:..." gives 12; a text without a line number gives NO_LINE.
uint32_t LineOf(const char16_t* text) {
    uint32_t line = 0;
    int digits = 0;
    for (; text[digits] >= u'0' && text[digits] <= u'9'; ++digits) line = line * 10 + (text[digits] - u'0');
    return digits && text[digits] == LINE_MARK ? line : NO_LINE;
}

void RecordMessage(const char16_t* text) {
    size_t length = 0;
    while (length < MESSAGE_SIZE && text[length]) ++length;
    FUZZ_CHECK(length < MESSAGE_SIZE, "a message of %zu units or more", length);
    char utf8[MESSAGE_SIZE * 3];
    WideToUtf8(text, utf8, sizeof utf8);
    uint32_t line = LineOf(text);
    if (gMessages.count == 0) gMessages.firstLine = line;
    if (line != gMessages.firstLine) gMessages.mixedLines = true;
    FUZZ_CHECK(!gMessages.mixedLines, "compiling went on after a failed line: message \"%s\"", utf8);
    ++gMessages.count;
}

void CheckContext(const CompileContext& ctx) {
    const uint32_t offset = CodeOffset(&ctx);
    FUZZ_CHECK(offset % 2 == 0, "odd write offset %u", offset);
    FUZZ_CHECK(offset <= CODE_BUFFER_SIZE + CODE_BUFFER_SLACK, "write offset %u past the buffer", offset);
    FUZZ_CHECK(ctx.symbolCount >= 0 && ctx.symbolCount <= MAX_SYMBOLS, "%d symbols", ctx.symbolCount);
    FUZZ_CHECK(ctx.poolNext >= ctx.pool && ctx.poolNext <= ctx.pool + SYMBOL_POOL_SIZE, "pool pointer outside");
    FUZZ_CHECK(!(ctx.state & IN_FUNCTION), "a function is still open after the compile");
    FUZZ_CHECK((ctx.failed != 0) == (gMessages.count != 0), "failed is %d after %d messages", ctx.failed,
               gMessages.count);
}

void CheckInstalledImage(uint32_t writeOffset) {
    FUZZ_CHECK(gEngine.code.bytes != nullptr, "no image installed");
    FUZZ_CHECK(gEngine.code.size == writeOffset, "image of %u bytes for write offset %u", gEngine.code.size,
               writeOffset);
    for (const auto& table : gEngine.functionTables)
        for (uint16_t entry : table)
            FUZZ_CHECK(entry == NO_FUNCTION || uint32_t(entry) * 2 <= gEngine.code.size,
                       "table entry %u beyond an image of %u bytes", entry, gEngine.code.size);
}

// Every key that has a function in the current mode, down and up, as the device would send it.
void RunRegisteredKeys() {
    int run = 0;
    for (int vk = 0; vk < FUNCTION_TABLE_SIZE && run < MAX_KEYS_RUN && EngineWork() <= ENGINE_WORK_BUDGET; ++vk) {
        if (gEngine.keyTable[vk] == NO_FUNCTION) continue;
        ++run;
        const uint32_t scan = ScanTable[vk];
        FUZZ_CHECK(DispatchKeyEvent(scan, vk, MSG_KEYDOWN, 1000u * run) <= 1, "key result");
        CheckEngineAfter("key down");
        FUZZ_CHECK(DispatchKeyEvent(scan, vk, MSG_KEYUP, 1000u * run + 40) <= 1, "key result");
        CheckEngineAfter("key up");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetNativeCodePage(932);
    UseNativeCompilerPort(RecordMessage);
    gCompilerPort.openFile = OpenMemoryFile;
    gCompilerPort.fileSize = MemoryFileSize;
    gCompilerPort.readFile = ReadMemoryFile;
    gCompilerPort.closeFile = CloseMemoryFile;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    gFile = MemoryFile{data, static_cast<uint32_t>(size), false};
    gMessages = Messages{0, NO_LINE, false};
    ReleaseCodeImage();
    InitEngine();
    UseRecordingEngine();

    CompileContext ctx;
    FUZZ_CHECK(InitCompileContext(&ctx), "InitCompileContext failed");
    FUZZ_CHECK(LoadScriptFile(&ctx, u"scriptcommand.txt"), "the memory file did not load");
    FUZZ_CHECK(!gFile.open, "the script file was left open");
    CompileScript(&ctx, &gEngine);
    CheckContext(ctx);
    CheckInstalledImage(CodeOffset(&ctx));
    FreeCompileContext(&ctx);
    FreeCompileContext(&ctx);

    SnapshotEngine();
    CheckEngineAfter("compile");
    RunEventFunction(0);
    CheckEngineAfter("start-up function");
    RunRegisteredKeys();
    ReleaseCodeImage();
    return 0;
}
