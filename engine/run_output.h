// What runs send out: injected keys and posted commands, counted against one allowance per key
// event (or event-function run), and the keys they hold down, released when a run is stopped.
// The small steps are inline: they sit on the key path of every output instruction.
#pragma once
#include <cstdint>

#include "engine.h"
#include "engine_port.h"

// The most keys one instruction sends: a PRESS with every modifier.
constexpr uint32_t MAX_KEYS_PER_INSTRUCTION = 12;
// Every key that goes down is logged once until it goes up, and no instruction starts sending
// after KEY_LIMIT keys, so the log never holds more than this.
constexpr uint32_t HELD_LOG_SIZE = KEY_LIMIT + MAX_KEYS_PER_INSTRUCTION;

struct RunOutput {
    uint32_t keys;
    uint32_t commands;
    bool shared;                 // a key event's pre-key and key function draw on one allowance
    bool held[KEY_MASK + 1];     // sent down and not up
    uint8_t log[HELD_LOG_SIZE];  // keys in the order they went down; some may be up again
    uint32_t logged;
};

extern RunOutput gRunOutput;

// Forgets the keys sent and held: a fresh allowance.
void ResetRunOutput();
// A run's start: a fresh allowance unless the run shares its key event's.
inline void StartRunOutput() {
    if (!gRunOutput.shared) ResetRunOutput();
}
// Between these two calls the runs (a key event's pre-key and key function) share one allowance
// and one record of the keys they hold down; outside them each run has its own.
inline void BeginSharedRunOutput() {
    ResetRunOutput();
    gRunOutput.shared = true;
}
inline void EndSharedRunOutput() { gRunOutput.shared = false; }
inline bool KeysLeft() { return gRunOutput.keys < KEY_LIMIT; }
// More than KEY_LIMIT: the instruction that crossed the limit has completed.
inline bool KeysOverdrawn() { return gRunOutput.keys > KEY_LIMIT; }
inline bool CommandsLeft() { return gRunOutput.commands < COMMAND_LIMIT; }

// The key is vk & KEY_MASK.
inline void SendKey(uint32_t vk, bool up) {
    const uint8_t key = static_cast<uint8_t>(vk & KEY_MASK);
    ++gRunOutput.keys;
    if (up) {
        gRunOutput.held[key] = false;
    } else if (!gRunOutput.held[key] && gRunOutput.logged < HELD_LOG_SIZE) {
        gRunOutput.held[key] = true;
        gRunOutput.log[gRunOutput.logged++] = key;
    }
    gEnginePort.injectKey(key, up);
}

inline void SendCommand(uint16_t id, uintptr_t value) {
    ++gRunOutput.commands;
    gEnginePort.postCommand(gEngine.window, id, value);
}

// A key-up for every key sent down and not up since the allowance began, the last pressed first.
// These keys are not counted: a stopped run always gets them out.
void ReleaseHeldKeys();
