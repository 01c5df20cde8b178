// Helpers for the engine tests: hand-written code images, a clean engine per test, and the
// observable outcome of a run (result, injected keys, posted commands) rendered to a short string.
#pragma once
#include "commands.h"
#include "engine.h"
#include "opcodes.h"
#include "recording_port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes Code(std::initializer_list<int> bytes) {
    Bytes out;
    for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
    return out;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Repeat(const Bytes& part, int count) {
    Bytes out;
    for (int i = 0; i < count; ++i) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// STR slot, SKIP k and the data: two zero-terminated texts padded to an even length.
inline Bytes StringBlock(int slot, const std::string& first, const std::string& second) {
    Bytes data(first.begin(), first.end());
    data.push_back(0);
    data.insert(data.end(), second.begin(), second.end());
    data.push_back(0);
    if (data.size() % 2) data.push_back(0);
    Bytes out = Code({OP_STR, slot, OP_SKIP, int(data.size() / 2)});
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

inline void* const TEST_WINDOW = reinterpret_cast<void*>(0x5150);

inline std::string Hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02x", v);
    return buf;
}

// "+41" key down, "-41" key up.
inline std::string RenderKeys() {
    std::string out;
    for (int i = 0; i < gPortRecording.keyCount; ++i) {
        if (!out.empty()) out += ' ';
        out += (gPortRecording.keys[i].up ? "-" : "+") + Hex(gPortRecording.keys[i].vk);
    }
    return out;
}

inline std::string RenderCommand(const RecordedCommand& c) {
    std::string out;
    const char* text = reinterpret_cast<const char*>(c.value);
    switch (c.id) {
    case CmdNotice: out = "notice:" + std::string(text); break;
    case CmdStatusLine: {
        const auto* slot = reinterpret_cast<const StatusSlot*>(c.value);
        out = "status" + std::to_string(slot->bytes[0]) + ":" +
              std::string(reinterpret_cast<const char*>(slot->bytes + 1));
        if (slot->bytes[STATUS_SLOT_SIZE - 1] != 0) out += "<unterminated>";
        break;
    }
    case CmdRunProgram: out = "run:" + std::string(text) + "|" + std::string(text + std::strlen(text) + 1); break;
    case CmdRotateScreen: out = "rotate:" + std::to_string(c.value); break;
    case CmdWindowAction: out = "winact:" + std::string(1, static_cast<char>(c.value)); break;
    default: out = "cmd" + std::to_string(c.id) + ":" + std::to_string(c.value);
    }
    if (c.window != gEngine.window) out += "@otherwindow";
    return out;
}

inline std::string RenderCommands() {
    std::string out;
    for (int i = 0; i < gPortRecording.commandCount; ++i) {
        if (!out.empty()) out += ' ';
        out += RenderCommand(gPortRecording.commands[i]);
    }
    return out;
}

// "1 keys[+41 -41] cmds[notice:x 0]"; empty parts are left out.
inline std::string Outcome(uint32_t result) {
    std::string out = std::to_string(result);
    std::string keys = RenderKeys(), commands = RenderCommands();
    if (!keys.empty()) out += " keys[" + keys + "]";
    if (!commands.empty()) out += " cmds[" + commands + "]";
    if (gPortRecording.overflowed) out += " overflow";
    return out;
}

// Every test starts from a freshly initialised engine with no image and a recording port.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousPort_ = InstallRecordingPort();
        FreshEngine();
    }
    // The engine as the program starts it: all zero, initialised, pointed at the main window.
    static void FreshEngine() {
        ReleaseCodeImage();
        std::memset(&gEngine, 0, sizeof gEngine);
        InitEngine();
        gEngine.window = TEST_WINDOW;
        ClearPortRecording();
    }
    void TearDown() override {
        ReleaseCodeImage();
        gEnginePort = previousPort_;
    }
    static void Load(const Bytes& image) {
        ReleaseCodeImage();
        ASSERT_TRUE(InstallCodeImageBytes(image.data(), static_cast<uint32_t>(image.size())));
    }

private:
    EnginePort previousPort_{};
};
