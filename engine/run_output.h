// What runs send out: injected keys and posted commands, counted against one allowance per key
// event (or event-function run), and the keys they hold down, released when a run is stopped.
#pragma once
#include <cstdint>

// A fresh allowance and no keys held; a run calls this at its start unless the allowance is shared.
void StartRunOutput();
bool KeysLeft();        // fewer than KEY_LIMIT keys sent
bool KeysOverdrawn();   // more than KEY_LIMIT: the instruction that crossed the limit has completed
bool CommandsLeft();    // fewer than COMMAND_LIMIT commands sent
void SendKey(uint32_t vk, bool up);  // the key is vk & KEY_MASK
void SendCommand(uint16_t id, uintptr_t value);
// A key-up for every key sent down and not up since StartRunOutput, the last pressed first.
// These keys are not counted: a stopped run always gets them out.
void ReleaseHeldKeys();
