#include "platform.h"

#include <imm.h>

namespace {

constexpr UINT IME_QUERY_TIMEOUT_MS = 200;  // a hung application must not stall the main window
// WM_IME_CONTROL requests that the default IME window answers for its thread (ime.h, which MinGW lacks).
constexpr WPARAM IMC_GETOPENSTATUS = 0x0005;
constexpr WPARAM IMC_SETOPENSTATUS = 0x0006;

// The window that has the keyboard focus in the foreground application, or the foreground window.
HWND ForegroundFocus() {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return nullptr;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info) && info.hwndFocus)
        return info.hwndFocus;
    return foreground;
}

bool IsOwnThreadWindow(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

// An input context can be used only by the thread that made it; another thread's focus window is
// reached through its default IME window, which answers WM_IME_CONTROL for the open state only.
LRESULT AskDefaultImeWindow(HWND window, WPARAM request, LPARAM value) {
    HWND ime = ImmGetDefaultIMEWnd(window);
    if (!ime) return 0;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(ime, WM_IME_CONTROL, request, value, SMTO_ABORTIFHUNG, IME_QUERY_TIMEOUT_MS, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

// Desktop: there is no "active context" behind a null context. The foreground application's focus window
// is asked: through its input context when it is one of ours, through its default IME window otherwise.
bool PlatformImeIsOpen() {
    HWND window = ForegroundFocus();
    if (!window) return false;
    if (!IsOwnThreadWindow(window)) return AskDefaultImeWindow(window, IMC_GETOPENSTATUS, 0) != 0;
    HIMC context = ImmGetContext(window);
    if (!context) return false;
    const bool open = ImmGetOpenStatus(context) != FALSE;
    ImmReleaseContext(window, context);
    return open;
}

void PlatformImeSetOpen(bool open) {
    HWND window = ForegroundFocus();
    if (!window) return;
    if (!IsOwnThreadWindow(window)) {
        AskDefaultImeWindow(window, IMC_SETOPENSTATUS, open ? 1 : 0);
        return;
    }
    HIMC context = ImmGetContext(window);
    if (!context) return;
    ImmSetOpenStatus(context, open ? TRUE : FALSE);
    ImmReleaseContext(window, context);
}

// Desktop: the composition string can be read only through an input context of our own thread. Neither
// IMM32 nor the default IME window's WM_IME_CONTROL requests tell another application's composition.
ImeComposition PlatformImeComposition() {
    HWND window = ForegroundFocus();
    if (!window) return IME_NOT_COMPOSING;
    if (!IsOwnThreadWindow(window)) return IME_COMPOSITION_UNKNOWN;
    HIMC context = ImmGetContext(window);
    if (!context) return IME_NOT_COMPOSING;
    const LONG bytes = ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0);
    ImmReleaseContext(window, context);
    return bytes > 0 ? IME_COMPOSING : IME_NOT_COMPOSING;
}
