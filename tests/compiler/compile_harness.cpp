#include "compile_harness.h"

#include <cstdio>
#include <cstring>

#include "compiler.h"
#include "native_port.h"

CompileHarness gHarness;

namespace {

struct MemoryFile {
    const std::string* text;
};

MemoryFile gOpenFile;

void RecordMessage(const char16_t* text) { gHarness.messages.push_back(Utf8(text)); }

void* OpenMemoryFile(const char16_t* path) {
    std::string name = Utf8(path);
    for (const auto& file : gHarness.files) {
        if (file.first == name) {
            gOpenFile.text = &file.second;
            return &gOpenFile;
        }
    }
    return nullptr;
}

bool MemoryFileSize(void* file, uint32_t* size) {
    if (gHarness.failSize) return false;
    *size = static_cast<uint32_t>(static_cast<MemoryFile*>(file)->text->size());
    return true;
}

bool ReadMemoryFile(void* file, char* buffer, uint32_t size) {
    if (gHarness.failRead) return false;
    const std::string& text = *static_cast<MemoryFile*>(file)->text;
    if (size != text.size()) return false;
    std::memcpy(buffer, text.data(), size);
    return true;
}

void CloseMemoryFile(void* file) { static_cast<MemoryFile*>(file)->text = nullptr; }

void CountStatusTextClear() { ++gHarness.statusTextClears; }

}  // namespace

std::string Utf8(const char16_t* text) {
    char out[4096];
    WideToUtf8(text, out, sizeof out);
    return out;
}

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
    gCompilerPort.clearStatusText = CountStatusTextClear;
}

void UseRealFiles() {
    gCompilerPort.openFile = NativeOpenFile;
    gCompilerPort.fileSize = NativeFileSize;
    gCompilerPort.readFile = NativeReadFile;
    gCompilerPort.closeFile = NativeCloseFile;
}

void ServeFile(const std::string& path, const std::string& text) {
    for (auto& file : gHarness.files) {
        if (file.first == path) {
            file.second = text;
            return;
        }
    }
    gHarness.files.emplace_back(path, text);
}

static std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

void CompileFile(const std::string& path) {
    gHarness.messages.clear();
    std::u16string widePath = Wide(path);
    CompileScriptFile(widePath.c_str());
}

void CompileText(const std::string& text) {
    ServeFile("scriptcommand.txt", text);
    CompileFile("scriptcommand.txt");
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
    for (int table = 0; table < FUNCTION_TABLE_COUNT; ++table) {
        for (int key = 0; key < FUNCTION_TABLE_SIZE; ++key) {
            uint16_t offset = gEngine.functionTables[table][key];
            if (offset == NO_FUNCTION) continue;
            std::snprintf(entry, sizeof entry, "%st%d[%02X]=%u", entries.empty() ? "" : " ", table, key, offset);
            entries += entry;
        }
    }
    return entries;
}

std::string Join(const std::vector<std::string>& messages, const char* separator) {
    std::string joined;
    for (const auto& message : messages) {
        if (!joined.empty()) joined += separator;
        joined += message;
    }
    return joined;
}

std::string Bytes(const std::string& hexPairs) {
    std::string bytes;
    unsigned value;
    int used;
    const char* at = hexPairs.c_str();
    while (std::sscanf(at, "%x%n", &value, &used) == 1) {
        bytes += static_cast<char>(value);
        at += used;
    }
    return bytes;
}
