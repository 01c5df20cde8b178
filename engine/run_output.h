// What runs send out: injected keys and posted commands, counted against one allowance per key
// event (or event-function run), and the keys the current run holds down, released when it is
// stopped. The record is gEngine.output (RunOutput, engine.h).
// The small steps are inline: they sit on the key path of every output instruction.
#pragma once
#include <cstdint>

#include "engine.h"
#include "engine_port.h"

inline void ResetAllowance() {
    gEngine.output.keys = 0;
    gEngine.output.commands = 0;
}
// Forgets the keys held, so that a run stopped later releases only its own.
void ForgetHeldKeys();
// A run's start: a fresh allowance unless the run shares its key event's, and no keys held yet.
inline void StartRunOutput() {
    if (!gEngine.output.shared) ResetAllowance();
    ForgetHeldKeys();
}
// Between these two calls the runs (a key event's pre-key and key function) share one allowance;
// outside them each run has its own.
inline void BeginSharedRunOutput() {
    ResetAllowance();
    gEngine.output.shared = true;
}
inline void EndSharedRunOutput() { gEngine.output.shared = false; }
inline bool KeysLeft() { return gEngine.output.keys < KEY_LIMIT; }
// More than KEY_LIMIT: the instruction that crossed the limit has completed.
inline bool KeysOverdrawn() { return gEngine.output.keys > KEY_LIMIT; }
inline bool CommandsLeft() { return gEngine.output.commands < COMMAND_LIMIT; }

// The key is vk & KEY_MASK.
inline void SendKey(uint32_t vk, bool up) {
    RunOutput& output = gEngine.output;
    const uint8_t key = static_cast<uint8_t>(vk & KEY_MASK);
    ++output.keys;
    if (up) {
        output.held[key] = false;
    } else if (!output.held[key] && output.logged < HELD_LOG_SIZE) {
        output.held[key] = true;
        output.log[output.logged++] = key;
    }
    gEnginePort.injectKey(key, up);
}

inline void SendCommand(uint16_t id, uintptr_t value) {
    ++gEngine.output.commands;
    gEnginePort.postCommand(gEngine.window, id, value);
}

// A key-up for every key the current run sent down and not up, the last pressed first. These keys
// are not counted: a stopped run always gets them out. Keys an earlier run of the same key event
// left down stay down.
void ReleaseRunKeys();
