#include "run_output.h"

#include "engine.h"
#include "engine_port.h"

namespace {

// The most keys one instruction sends: a PRESS with every modifier.
constexpr uint32_t MAX_KEYS_PER_INSTRUCTION = 12;
// Every key that goes down is logged once until it goes up; no more go down than are sent.
constexpr uint32_t HELD_LOG_SIZE = KEY_LIMIT + MAX_KEYS_PER_INSTRUCTION;

struct RunOutput {
    uint32_t keys;
    uint32_t commands;
    bool shared;                    // a key event's pre-key and key function draw on one allowance
    bool held[KEY_MASK + 1];        // sent down and not up
    uint8_t log[HELD_LOG_SIZE];     // keys in the order they went down; some may be up again
    uint32_t logged;
};

RunOutput gOutput;

void ResetOutput() {
    gOutput.keys = 0;
    gOutput.commands = 0;
    for (uint32_t i = 0; i < gOutput.logged; ++i) gOutput.held[gOutput.log[i]] = false;
    gOutput.logged = 0;
}

}  // namespace

void StartRunOutput() {
    if (!gOutput.shared) ResetOutput();
}

void BeginSharedOutputAllowance() {
    ResetOutput();
    gOutput.shared = true;
}

void EndSharedOutputAllowance() { gOutput.shared = false; }

bool KeysLeft() { return gOutput.keys < KEY_LIMIT; }
bool KeysOverdrawn() { return gOutput.keys > KEY_LIMIT; }
bool CommandsLeft() { return gOutput.commands < COMMAND_LIMIT; }

void SendKey(uint32_t vk, bool up) {
    const uint8_t key = static_cast<uint8_t>(vk & KEY_MASK);
    ++gOutput.keys;
    if (up) {
        gOutput.held[key] = false;
    } else if (!gOutput.held[key] && gOutput.logged < HELD_LOG_SIZE) {
        gOutput.held[key] = true;
        gOutput.log[gOutput.logged++] = key;
    }
    gEnginePort.injectKey(key, up);
}

void SendCommand(uint16_t id, uintptr_t value) {
    ++gOutput.commands;
    gEnginePort.postCommand(gEngine.window, id, value);
}

void ReleaseHeldKeys() {
    while (gOutput.logged > 0) {
        const uint8_t key = gOutput.log[--gOutput.logged];
        if (!gOutput.held[key]) continue;
        gOutput.held[key] = false;
        gEnginePort.injectKey(key, true);
    }
}
