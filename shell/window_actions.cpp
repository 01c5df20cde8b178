// The window actions of the command channel, and the titles they leave alone.
#include "engine.h"
#include "commands.h"
#include "host_state.h"
#include "main_window.h"
#include "window_titles.h"

namespace {

void CloseForegroundWindow() {
    HWND foreground = GetForegroundWindow();
    if (foreground && IsEligibleWindow(foreground)) PostMessageW(foreground, WM_CLOSE, 0, 0);
}

bool IsApplicationWindow(HWND window) {
    return IsWindowVisible(window) && GetWindowTextLengthW(window) != 0 && GetWindowLongW(window, GWL_STYLE) != 0 &&
           IsEligibleWindow(window);
}

// The lowest application window in the stacking order comes forward, so repeated use cycles through them.
void BringNextApplicationForward(HWND window) {
    for (HWND w = GetWindow(window, GW_HWNDLAST); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (IsApplicationWindow(w)) {
            PlatformBringForward(w);
            return;
        }
    }
}

void SetImeOpenFlag(bool open) {
    if (open) gEngine.sysflags |= SF_IME_OPEN;
    else gEngine.sysflags &= ~SF_IME_OPEN;
}

// A composition in progress keeps the input method open.
void ToggleInputMethod() {
    if (!PlatformImeIsOpen()) {
        PlatformImeSetOpen(true);
        SetImeOpenFlag(true);
    } else if (PlatformImeCompositionLength() == 0) {
        PlatformImeSetOpen(false);
        SetImeOpenFlag(false);
    }
}

}  // namespace

bool IsEligibleWindow(HWND window) {
    wchar_t title[TITLE_BUFFER_SIZE] = {};
    GetWindowTextW(window, title, TITLE_BUFFER_SIZE - 1);
    title[TITLE_BUFFER_SIZE - 1] = 0;
    return !IsExcludedTitle(reinterpret_cast<const char16_t*>(title));
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
