// The compiler as cases (cases/compiler.txt lists the steps): what the tools' whole-script cases cannot
// reach. Then the symbol lookup against a scan, and UTF-16 texts no case file can hold.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "case_reader.h"
#include "compile_context.h"
#include "engine.h"
#include "script_load.h"

namespace {

// The script file, served from memory.
struct {
    std::string text, messages;
    bool failSize, failRead;
    int allocations, releases;  // compiler allocations that succeed; image releases LoadScriptFile reports
} gFile;

void* Allocate(size_t size) { return gFile.allocations-- > 0 ? std::malloc(size) : nullptr; }

// load SCRIPT... [path=P] [fail=size|read|text|image] => loaded|kept MESSAGES; load-file PATH: a file of
// the project's.
std::string Load(const std::vector<std::string>& w) {
    std::u16string path = w[0] == "load-file" ? Wide(QUILLO_ROOT "/" + w[1]) : u"scriptcommand.txt";
    gFile.text.clear(), gFile.messages.clear(), gFile.allocations = 1 << 30;
    for (size_t i = 1; i < w.size(); ++i) {
        if (w[i][0] == '"') gFile.text += Unquote(w[i]);
        else if (w[i].compare(0, 5, "path=") == 0) path = Wide(Unquote(w[i].substr(5)));
        else if (w[i] == "fail=size") gFile.failSize = true;
        else if (w[i] == "fail=read") gFile.failRead = true;
        else if (w[i] == "fail=text") gFile.allocations = 0;
        else if (w[i] == "fail=image") gCodeImageAllocator = [](size_t) -> void* { return nullptr; };
    }
    SetNativeCodePage(932);
    UseNativeCompilerPort([](const char16_t* text) { gFile.messages += (gFile.messages.empty() ? "" : " | ") + Utf8(text); });
    if (w[0] == "load") {  // scriptcommand.txt served from memory
        gCompilerPort.openFile = [](const char16_t* p) -> void* { return p == std::u16string(u"scriptcommand.txt") ? &gFile : nullptr; };
        gCompilerPort.fileSize = [](void*, uint32_t* size) { return *size = uint32_t(gFile.text.size()), !gFile.failSize; };
        gCompilerPort.readFile = [](void*, char* to, uint32_t n) { return std::memcpy(to, gFile.text.data(), n), !gFile.failRead; };
        gCompilerPort.closeFile = [](void*) {};
    }
    gCompilerAllocator = Allocate;
    const bool loaded = LoadScriptFile(path.c_str(), [] { ++gFile.releases; });
    gCompilerAllocator = std::malloc, gCodeImageAllocator = std::malloc;
    gFile.failSize = gFile.failRead = false;
    return std::string(loaded ? "loaded" : "kept") + (gFile.messages.empty() ? "" : " " + Quote(gFile.messages));
}

// image => the bytes in hex and the function-table entries (t1[41]=2), or none; image N => the size and
// the last N bytes.
std::string Image(const std::vector<std::string>& w) {
    const uint32_t size = gEngine.code.size, tail = w.size() > 1 ? uint32_t(std::stoi(w[1])) : size;
    std::string out = tail < size ? " " + std::to_string(size) : "";
    char hex[32];
    for (uint32_t i = size - std::min(tail, size); gEngine.code.bytes && i < size; ++i)
        std::snprintf(hex, sizeof hex, " %02X", gEngine.code.bytes[i]), out += hex;
    for (int table = 0; table < FUNCTION_TABLE_COUNT && tail == size; ++table)
        for (int key = 0; key < FUNCTION_TABLE_SIZE; ++key)
            if (gEngine.functionTables[table][key] != NO_FUNCTION)
                std::snprintf(hex, sizeof hex, " t%d[%02X]=%u", table, key, gEngine.functionTables[table][key]), out += hex;
    return gEngine.code.bytes ? out.erase(0, 1) : "none";
}

// engine set: string slot 0 and the toggle byte bound into the image, status line 2 "x"; engine => what
// of that is left, and the image releases.
std::string Engine(const std::vector<std::string>& w) {
    if (w.size() > 1) {
        gEngine.stringSlots[0] = reinterpret_cast<const char*>(gEngine.code.bytes);
        gEngine.toggleByte = gEngine.code.bytes + 1;
        gStatusSlots[2].bytes[0] = 2, gStatusSlots[2].bytes[1] = 'x';
        return "";
    }
    return std::string(gEngine.stringSlots[0] && gEngine.toggleByte ? "bound" : "unbound") + " releases=" +
           std::to_string(gFile.releases) + " " + Quote(reinterpret_cast<char*>(gStatusSlots[2].bytes + 1));
}

std::string Step(const std::vector<std::string>& w) {
    if (w[0] == "load" || w[0] == "load-file") return Load(w);
    if (w[0] == "image") return Image(w);
    if (w[0] == "engine") return Engine(w);
    if (w[0] == "compose") {  // compose LINE "MESSAGE" "DETAIL": within the buffer
        char16_t out[MESSAGE_SIZE + 4];
        std::fill(std::begin(out), std::end(out), u'#');
        ComposeCompileMessage(out, int32_t(std::stol(w[1])), Wide(Unquote(w[2])).c_str(), Wide(Unquote(w[3])).c_str());
        EXPECT_EQ(out[MESSAGE_SIZE], u'#') << "wrote past the message buffer";
        return Quote(Utf8(out));
    }
    if (w[0] == "convert") {  // convert CODEPAGE "BYTES" ROOM: within the room
        const int room = std::stoi(w[3]);
        char16_t out[32];
        std::fill(std::begin(out), std::end(out), u'#');
        if (!SetNativeCodePage(std::stoi(w[1]))) return "no such code page";
        const int count = NativeMultiByteToWide(Unquote(w[2]).c_str(), out, room);
        EXPECT_EQ(out[room], u'#') << "wrote past the room given";
        return std::to_string(count) + " " + Quote(Utf8(out));
    }
    ADD_FAILURE() << "unknown step: " << w[0];
    return "";
}

// The expected text with "TEXT"*N written out: its plain words, then its quoted words joined into one.
std::string Expand(const std::string& expected) {
    std::string out, text;
    bool quoted = false;
    for (const std::string& word : CaseWords(expected)) {
        if (word[0] == '"') text += Unquote(word), quoted = true;
        else out += (out.empty() ? "" : " ") + word;
    }
    return quoted ? out + (out.empty() ? "" : " ") + Quote(text) : out;
}

TEST(CompilerCases, EveryStepHolds) {
    RunCaseFile(QUILLO_COMPILER_CASES, [](const CaseStep& step) {
        if (step.words[0] == "==") return ReleaseCodeImage(), InitEngine(), void(gFile.releases = 0);
        const std::string got = Step(step.words);
        if (step.checked) {
            EXPECT_EQ(got, Expand(step.expected));
        }
    });
    ReleaseCodeImage();
}

// A full table of repeated names with different values, and similar names.
TEST(Symbols, LookupAgreesWithAScanInDefinitionOrder) {
    static CompileContext ctx;
    static CompiledScript script;
    InitCompileContext(&ctx, ScriptText{nullptr, 0}, &script);
    for (int i = 0; i < MAX_SYMBOLS; ++i) AddSymbol(&ctx, ("s" + std::to_string((i * 7919) % 611)).c_str(), i);
    for (int probe = 0; probe < 700; ++probe) {
        const std::string name = "s" + std::to_string(probe);
        const SymbolEntry* expected = nullptr;
        for (int i = ctx.symbolCount; i-- > 0;)
            if (ctx.symbols[i].name && name == ctx.symbols[i].name) expected = &ctx.symbols[i];
        ASSERT_EQ(FindSymbol(&ctx, name.c_str()), expected) << name;
    }
}

// Cut only between characters; a lone surrogate becomes U+FFFD.
TEST(WideToUtf8, StaysInsideItsBuffer) {
    char out[8];
    EXPECT_EQ(WideToUtf8(u"abcdefあ", out, sizeof out), 6u);
    EXPECT_EQ(WideToUtf8(u"abcdefg", out, sizeof out), 7u);  // exactly full
    EXPECT_EQ(WideToUtf8(u"\xD800é", out, sizeof out), 5u);
    EXPECT_STREQ(out, "\xEF\xBF\xBD\xC3\xA9");
}

}  // namespace
