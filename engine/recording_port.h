// A recording EnginePort: instead of reaching a platform it writes down every injected key
// and every posted command, in order, so tests and the script tools (quillo-sim) can show
// exactly what a run did.
//
//     EnginePort previous = InstallRecordingPort();   // gEnginePort now records; recording cleared
//     DispatchKeyEvent(0x10, 0x41, KEY_MSG_DOWN, 0);
//     for (int i = 0; i < gPortRecording.keyCount; ++i) ... gPortRecording.keys[i] ...
//     ClearPortRecording();                            // forget, keep recording
//     gEnginePort = previous;                          // stop recording
//
// Commands keep the value exactly as posted: for CmdNotice, CmdStatusLine and CmdRunProgram
// that is an address into the engine's buffers or the code image, readable until the engine
// rewrites that buffer or replaces the image, just as for the real host.
#pragma once
#include "engine_port.h"

#include <cstdint>

// A key event sends at most KEY_LIMIT keys plus the rest of its last instruction (a PRESS with
// every modifier injects 12 events), and a stopped run releases the keys it holds.
constexpr int RECORDED_KEY_LIMIT = 1024;
constexpr int RECORDED_COMMAND_LIMIT = 256;

struct RecordedKey {
    uint8_t vk;
    bool up;
};

struct RecordedCommand {
    void* window;
    uint16_t id;
    uintptr_t value;
};

struct PortRecording {
    RecordedKey keys[RECORDED_KEY_LIMIT];
    int keyCount;
    RecordedCommand commands[RECORDED_COMMAND_LIMIT];
    int commandCount;
    // Set when a key or command arrived after its array was full; that event was dropped.
    bool overflowed;
};

extern PortRecording gPortRecording;

// Points gEnginePort at the recorder, clears the recording and returns the port it replaced.
EnginePort InstallRecordingPort();
// Forgets everything recorded so far (counts 0, overflow flag cleared).
void ClearPortRecording();
