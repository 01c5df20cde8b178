// Addresses that arrive with the command channel. Any program may post WM_COMMAND to the main window,
// and a command may wait in the queue while the script is reloaded, so an address is used only when it
// lies in one of the engine's own buffers and its texts end inside that same buffer. Portable.
#pragma once
#include <cstdint>

#include "engine.h"

// The first of `texts` consecutive zero-terminated texts at `address` when all of them lie inside the
// notice buffer, inside one status slot, or inside the installed code image; none otherwise.
const char* EngineTextsAt(uintptr_t address, int texts);

// The status slot that starts at `address`, or none.
const StatusSlot* StatusSlotAt(uintptr_t address);

// The status line (0-5) that `slot` names in its index byte, read as a signed byte; -1 for any other.
int StatusLineOf(const StatusSlot& slot);

// False for the commands whose address a compile makes stale: a run-program command may point into
// the code image that the compile releases, and a status line's slot may be rewritten by the new script.
bool CommandOutlivesCompile(uint16_t id);
