#include "compile_harness.h"

#include <cstdio>
#include <cstring>

#include "compiler.h"
#include "native_port.h"
#include "script_load.h"

CompileHarness gHarness;

namespace {

const std::string* gOpenText = nullptr;

std::string Utf8(const char16_t* text) {
    char out[4096];
    WideToUtf8(text, out, sizeof out);
    return out;
}

void RecordMessage(const char16_t* text) { gHarness.messages.push_back(Utf8(text)); }

void* OpenMemoryFile(const char16_t* path) {
    for (const auto& file : gHarness.files)
        if (file.first == Utf8(path)) return const_cast<std::string*>(gOpenText = &file.second);
    return nullptr;
}

bool MemoryFileSize(void*, uint32_t* size) {
    *size = static_cast<uint32_t>(gOpenText->size());
    return !gHarness.failSize;
}

bool ReadMemoryFile(void*, char* buffer, uint32_t size) {
    std::memcpy(buffer, gOpenText->data(), size);
    return !gHarness.failRead;
}

void CloseMemoryFile(void*) { gOpenText = nullptr; }

}  // namespace

void ResetHarness() {
    gHarness = CompileHarness{};
    ReleaseCodeImage();
    InitEngine();
    SetNativeCodePage(932);
    UseNativeCompilerPort(RecordMessage);
    gCompilerPort.openFile = OpenMemoryFile;
    gCompilerPort.fileSize = MemoryFileSize;
    gCompilerPort.readFile = ReadMemoryFile;
    gCompilerPort.closeFile = CloseMemoryFile;
}

void CountImageRelease() { ++gHarness.imageReleases; }

void CompileText(const std::string& text, const std::string& path) {
    gHarness.files.emplace_back(path, text);
    gHarness.messages.clear();
    std::u16string widePath(path.begin(), path.end());
    LoadScriptFile(widePath.c_str(), CountImageRelease);
    gHarness.files.pop_back();
}

std::string ImageHex() {
    if (!gEngine.code.bytes) return "none";
    std::string hex;
    char pair[4];
    for (uint32_t i = 0; i < gEngine.code.size; ++i) {
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", gEngine.code.bytes[i]);
        hex += pair;
    }
    return hex;
}

std::string TableEntries() {
    std::string entries;
    char entry[32];
    for (int table = 0; table < FUNCTION_TABLE_COUNT; ++table)
        for (int key = 0; key < FUNCTION_TABLE_SIZE; ++key) {
            if (gEngine.functionTables[table][key] == NO_FUNCTION) continue;
            std::snprintf(entry, sizeof entry, "%st%d[%02X]=%u", entries.empty() ? "" : " ", table, key,
                          gEngine.functionTables[table][key]);
            entries += entry;
        }
    return entries;
}

std::string Joined(const std::vector<std::string>& messages) {
    std::string joined;
    for (const auto& message : messages) joined += (joined.empty() ? "" : " | ") + message;
    return joined;
}
