#include "window_actions.h"

#include "platform.h"
#include "wide_text.h"

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

const InputMethodPort INPUT_METHOD = {PlatformImeIsOpen, PlatformImeSetOpen, PlatformImeComposition};

}  // namespace

bool IsEligibleWindow(HWND window) {
    wchar_t title[TITLE_BUFFER_SIZE] = {};
    GetWindowTextW(window, title, TITLE_BUFFER_SIZE - 1);
    title[TITLE_BUFFER_SIZE - 1] = 0;
    return !IsExcludedTitle(Utf16(title));
}

void DoWindowAction(HWND window, WindowAction action) {
    switch (action) {
    case WINDOW_CLOSE_FOREGROUND: CloseForegroundWindow(); break;
    case WINDOW_NEXT_APPLICATION: BringNextApplicationForward(window); break;
    default: CarryOutInputMethodAction(action, INPUT_METHOD); break;
    }
}
