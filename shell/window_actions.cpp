#include "window_actions.h"

#include "engine.h"
#include "commands.h"
#include "platform.h"
#include "wide_text.h"
#include "window_titles.h"

namespace {

// The shell's windows are never closed: on the desktop "Desktop" is no title but a class.
void CloseForegroundWindow() {
    HWND foreground = GetForegroundWindow();
    if (foreground && IsEligibleWindow(foreground) && !PlatformIsShellWindow(foreground))
        PostMessageW(foreground, WM_CLOSE, 0, 0);
}

// The lowest application window in the stacking order comes forward, so repeated use cycles through them.
void BringNextApplicationForward(HWND window) {
    for (HWND w = GetWindow(window, GW_HWNDLAST); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (PlatformIsApplicationWindow(w) && IsEligibleWindow(w)) {
            PlatformBringForward(w);
            return;
        }
    }
}

void SetImeOpenFlag(bool open) {
    if (open) gEngine.sysflags |= SF_IME_OPEN;
    else gEngine.sysflags &= ~SF_IME_OPEN;
}

void ToggleInputMethod() {
    const bool open = PlatformImeIsOpen();
    switch (DecideImeToggle(open, open ? PlatformImeComposition() : IME_NOT_COMPOSING)) {
    case IME_OPEN: PlatformImeSetOpen(true); SetImeOpenFlag(true); break;
    case IME_CLOSE: PlatformImeSetOpen(false); SetImeOpenFlag(false); break;
    case IME_LEAVE: break;
    }
}

}  // namespace

bool IsEligibleWindow(HWND window) {
    wchar_t title[TITLE_BUFFER_SIZE] = {};
    GetWindowTextW(window, title, TITLE_BUFFER_SIZE - 1);
    title[TITLE_BUFFER_SIZE - 1] = 0;
    return !IsExcludedTitle(Utf16(title));
}

void DoWindowAction(HWND window, uint32_t letter) {
    switch (letter) {
    case WINDOW_ACTION_CLOSE: CloseForegroundWindow(); break;
    case WINDOW_ACTION_NEXT: BringNextApplicationForward(window); break;
    case WINDOW_ACTION_IME_TOGGLE: ToggleInputMethod(); break;
    case WINDOW_ACTION_IME_READ: SetImeOpenFlag(PlatformImeIsOpen()); break;
    default: break;
    }
}
