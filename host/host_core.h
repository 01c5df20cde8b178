// The host's portable core: what quillo.exe, quillo-sim and the playground decide, without a window,
// about the commands the engine queues for the host. quillo.exe carries out its decisions with Win32
// calls; the tools record them. One record; the Win32 shell keeps its windows in its own HostState.
#pragma once
#include <cstdint>

#include "engine.h"

struct HostCore {
    // The text of status line n as last reported: one byte past the index byte of the engine's
    // StatusSlot n. None until a status line arrives, and again once the code image is released.
    const char* statusText[STATUS_LINE_COUNT];
    // A compile makes the queued run-program and status-line commands stale (command_address.h);
    // they are dropped until the mark numbered `staleMark` arrives behind them.
    uintptr_t staleMark;
    bool ignoringStale;
};

extern HostCore gHostCore;

// The host forgets every status-line text (at start-up and at exit).
void ForgetStatusTexts();
// The code image has just been released: the status texts point into slots the new script
// rewrites, and the queued commands may point into the released image. Forgets the texts and
// begins dropping the stale commands; returns the number of the mark to queue behind them.
uintptr_t ForgetImageAddresses();
