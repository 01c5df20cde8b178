// Addresses that arrive with the command channel. Any program may post WM_COMMAND to the main window,
// and a command may wait in the queue while the script is reloaded, so an address is used only when it
// lies in one of the engine's own buffers and its texts end inside that same buffer. No code outside
// the host core reads a command's value as an address.
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

// A compile makes stale the run-program and status-line commands still queued from before it: the
// program's text may lie in the code image that the compile releases, and a status slot is rewritten by
// the new script. They are ignored until the queue mark posted behind them comes; every other command
// is carried out in its turn, however many wait.
constexpr uint16_t QUEUE_MARK = 0xFFFF;  // a command id of no meaning: WM_COMMAND (QUEUE_MARK, mark number)

// Begins ignoring the stale commands; returns the number of the mark to post behind them.
uintptr_t IgnoreStaleCommands();
// True when command `id` with `value` is to be ignored: a stale one, or the current mark, which ends them.
bool IgnoredCommand(uint16_t id, uintptr_t value);
