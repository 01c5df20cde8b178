#include "engine.h"
#include "hook_watchdog.h"

#include "platform.h"

namespace {

constexpr UINT CHECK_INTERVAL_MS = 5000;
// A hook call never lasts longer than the desktop's longest hook timeout; input later than that after
// the hook's last call was not seen by it.
constexpr LONG SILENCE_MS = 1000;
constexpr UINT_PTR CHECK_TIMER = 1;
constexpr UINT WATCHDOG_MSG_PROBE_DONE = WM_APP + 1;  // wParam: 1 when the suspect hook was found dead
constexpr int KEY_COUNT = 256;

struct Watchdog {
    HHOOK* hook;
    HOOKPROC proc;
    HINSTANCE instance;
    HWND window;
    HHOOK suspect;  // the hook under suspicion while the probe hook runs in front of it; none otherwise
    DWORD lastCall;  // GetTickCount at the hook's last outermost call
    int depth;       // hook calls in progress on this thread
    KBDLLHOOKSTRUCT event;  // the event of the outermost call in progress
    WPARAM message;
    bool suspectCalled;     // the suspect hook was called for that same event
    bool held[KEY_COUNT];   // keys the engine injected down whose release the hook has not seen
    bool heldAtProbe[KEY_COUNT];  // of those, the ones held when the probe began
    HookWatchdogCounts counts;
};

Watchdog gWatch;

bool IsEngineInjection(const KBDLLHOOKSTRUCT& e) {
    return e.scanCode == INJECTED_SCAN_CODE && e.dwExtraInfo == INJECTED_EXTRA_INFO;
}

bool SameEvent(const KBDLLHOOKSTRUCT& a, WPARAM messageA, const KBDLLHOOKSTRUCT& b, WPARAM messageB) {
    return messageA == messageB && a.vkCode == b.vkCode && a.scanCode == b.scanCode && a.flags == b.flags &&
           a.time == b.time && a.dwExtraInfo == b.dwExtraInfo;
}

// A key injected again after the probe began belongs to the engine's present, not to a lost hook.
void TrackInjectedKey(const KBDLLHOOKSTRUCT& e, WPARAM message) {
    if (!IsEngineInjection(e)) return;
    const DWORD vk = e.vkCode & (KEY_COUNT - 1);
    gWatch.held[vk] = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    gWatch.heldAtProbe[vk] = false;
}

// After the front hook has handled an event: the suspect's fate is known when it was called for the
// same event (alive) or when the event was passed on without reaching it (dead). A swallowed event
// tells nothing.
void ResolveProbe(LRESULT result) {
    if (!gWatch.suspect) return;
    if (gWatch.suspectCalled) PostMessageW(gWatch.window, WATCHDOG_MSG_PROBE_DONE, 0, 0);
    else if (result == 0) PostMessageW(gWatch.window, WATCHDOG_MSG_PROBE_DONE, 1, 0);
}

LRESULT CALLBACK WatchedHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HC_ACTION) return CallNextHookEx(nullptr, code, wParam, lParam);
    const KBDLLHOOKSTRUCT& e = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    TrackInjectedKey(e, wParam);
    // A call inside a call in progress is the suspect hook getting the same event, or a key injected
    // meanwhile; either way the outer call decides, as the engine does for keys arriving during a run.
    if (gWatch.depth > 0) {
        if (SameEvent(e, wParam, gWatch.event, gWatch.message)) gWatch.suspectCalled = true;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // The program has removed its hook: a hook not yet removed only passes events on.
    if (!*gWatch.hook) return CallNextHookEx(nullptr, code, wParam, lParam);
    gWatch.lastCall = GetTickCount();
    gWatch.event = e;
    gWatch.message = wParam;
    gWatch.suspectCalled = false;
    ++gWatch.depth;
    const LRESULT result = gWatch.proc(code, wParam, lParam);
    --gWatch.depth;
    ResolveProbe(result);
    return result;
}

// Input the system saw well after the hook's last call: the hook may be gone.
bool HookMayBeLost() {
    LASTINPUTINFO info = {};
    info.cbSize = sizeof info;
    if (!GetLastInputInfo(&info)) return false;
    return static_cast<LONG>(info.dwTime - gWatch.lastCall) > SILENCE_MS;
}

void StartProbe() {
    HHOOK front = SetWindowsHookExW(WH_KEYBOARD_LL, WatchedHookProc, gWatch.instance, 0);
    if (!front) return;  // tried again at the next check
    gWatch.suspect = *gWatch.hook;
    *gWatch.hook = front;
    for (int vk = 0; vk < KEY_COUNT; ++vk) gWatch.heldAtProbe[vk] = gWatch.held[vk];
    ++gWatch.counts.probes;
}

void CheckHook() {
    if (!*gWatch.hook || gWatch.suspect) return;
    if (HookMayBeLost()) StartProbe();
}

// Releases, through the hook now in place, every key the engine held down when the hook was lost.
void ReleaseHeldKeys() {
    for (int vk = 0; vk < KEY_COUNT; ++vk) {
        if (!gWatch.heldAtProbe[vk]) continue;
        gWatch.held[vk] = gWatch.heldAtProbe[vk] = false;
        PlatformInjectKey(static_cast<uint8_t>(vk), true);
    }
}

void FinishProbe(bool suspectDead) {
    if (!gWatch.suspect) return;
    UnhookWindowsHookEx(gWatch.suspect);  // fails when the system has removed it already
    gWatch.suspect = nullptr;
    if (suspectDead) ReleaseHeldKeys();
    ++(suspectDead ? gWatch.counts.dead : gWatch.counts.alive);
}

LRESULT CALLBACK WatchdogWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: CheckHook(); return 0;
    case WATCHDOG_MSG_PROBE_DONE: FinishProbe(wParam != 0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A message-only window carries the timer and the probe's outcome.
HWND CreateWatchdogWindow(HINSTANCE instance) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WatchdogWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WATCHDOG_CLASS;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, WATCHDOG_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

}  // namespace

bool InstallWatchedHook(HHOOK* hook, HOOKPROC proc, HINSTANCE instance) {
    gWatch = Watchdog{};
    gWatch.hook = hook;
    gWatch.proc = proc;
    gWatch.instance = instance;
    gWatch.lastCall = GetTickCount();
    *hook = SetWindowsHookExW(WH_KEYBOARD_LL, WatchedHookProc, instance, 0);
    if (!*hook) return false;
    gWatch.window = CreateWatchdogWindow(instance);
    // Without its window the hook still works; it is only not watched.
    if (gWatch.window) SetTimer(gWatch.window, CHECK_TIMER, CHECK_INTERVAL_MS, nullptr);
    return true;
}

void StopHookWatchdog() {
    if (gWatch.suspect) UnhookWindowsHookEx(gWatch.suspect);
    gWatch.suspect = nullptr;
    if (gWatch.window) DestroyWindow(gWatch.window);
    gWatch.window = nullptr;
}

void CheckHookNow() { CheckHook(); }

HookWatchdogCounts WatchdogCounts() { return gWatch.counts; }
