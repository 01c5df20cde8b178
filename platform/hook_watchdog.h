// Keeps the low-level keyboard hook installed. Desktop Windows (7 and later) removes a low-level hook
// without telling its program when one call outlasts LowLevelHooksTimeout; the handheld never removes
// one, so there the hook is simply installed and nothing watches it.
//
// How a lost hook is noticed without injecting anything: every few seconds a timer compares the time
// of the system's last input (GetLastInputInfo) with the hook's last call. Input well after the hook's
// last call means the hook may be gone (or the input was the mouse's). Then a second hook is installed
// in front of the suspect one, which stays. The next key event tells them apart: the front hook
// dispatches it, and when the suspect is alive it is called again for the same event from inside the
// front hook's CallNextHookEx and only passes it on. No key is dispatched twice, none skips the hook,
// and a live suspect is simply removed. A dead one is removed too, and every key that the engine
// injected down and whose release the lost hook never saw is released.
#pragma once
#include <windows.h>

// The class of the watchdog's message-only window, which exists while the hook is watched.
#define WATCHDOG_CLASS L"QuilloHookWatchdog"

// Installs `proc` as the low-level keyboard hook for all threads into *hook and starts watching it;
// false (*hook none) when the platform refuses the hook. `proc` gets each key event once. The watchdog
// also puts its replacements into *hook; once the program sets *hook to none, nothing is dispatched.
bool InstallWatchedHook(HHOOK* hook, HOOKPROC proc, HINSTANCE instance);
// Stops the timer and removes a suspect hook still held; the program removes *hook itself.
void StopHookWatchdog();
// Runs the timer's check at once.
void CheckHookNow();
// Probes begun so far, and the suspect hooks they found dead and alive.
struct HookWatchdogCounts {
    int probes, dead, alive;
};
HookWatchdogCounts WatchdogCounts();
