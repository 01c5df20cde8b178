#include "platform.h"

#include <dwmapi.h>
#include <shellapi.h>

#include "file_address.h"
#include "shell_classes.h"
#include "wide_text.h"

namespace {

constexpr DWORD WINDOW_CLOAKED = 14;  // DWMWA_CLOAKED (Windows 8): hidden by the shell, e.g. on another desktop

bool IsCloaked(HWND window) {
    DWORD cloaked = 0;
    return SUCCEEDED(DwmGetWindowAttribute(window, WINDOW_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

bool IsOwnProcessWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

bool CanTakeActivation(HWND candidate, HWND leaving) {
    return candidate != leaving && IsWindowVisible(candidate) && !IsIconic(candidate) && IsWindowEnabled(candidate) &&
           GetWindowTextLengthW(candidate) != 0 && !(GetWindowLongW(candidate, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

}  // namespace

// Desktop: the menu, in the user's language, becomes the main window's ordinary menu (SetMenu) inside its
// frame. The menu handle stands for the menu bar: none means there is no menu.
HMENU PlatformCreateMenuBar(HWND parent, HINSTANCE instance, int menuId) {
    HRSRC resource = PlatformFindResource(instance, RT_MENU, menuId);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    HMENU menu = loaded ? LoadMenuIndirectW(static_cast<const MENUTEMPLATEW*>(LockResource(loaded))) : nullptr;
    if (!menu) return nullptr;
    if (!SetMenu(parent, menu)) {
        DestroyMenu(menu);
        return nullptr;
    }
    return menu;
}

// Desktop: detach the menu before destroying it, so the window's own destruction does not free it twice.
void PlatformDestroyMenuBar(HWND parent, HMENU menuBar) {
    if (!menuBar) return;
    if (GetMenu(parent) == menuBar) SetMenu(parent, nullptr);
    DestroyMenu(menuBar);
}

// Desktop: a window whose style no longer holds WS_VISIBLE counts as hidden already, and hiding it then
// leaves its picture on the screen, taking clicks (Wine keeps its X window mapped). So the window is hidden
// first, while it is still visible, and stripped afterwards.
void PlatformStripAndHideWindow(HWND window) {
    ShowWindow(window, SW_HIDE);
    SetWindowTextW(window, nullptr);
    SetWindowLongW(window, GWL_STYLE, 0);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Desktop: moved to a screen of another density, the window takes the size Windows suggests, and the
// panel, which Windows scales itself, is fitted into it again.
void PlatformHandleDpiChange(HWND window, HWND panel, const RECT* suggested) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    PlatformFitMainWindow(window, panel);
}

// Desktop: the menu lies inside the window's frame and the screen is no handheld's, so the window's
// client area is sized to the panel each time the panel is made; where the window stands is the user's.
void PlatformFitMainWindow(HWND window, HWND panel) {
    RECT frame, client, panelRect;
    if (!panel || !GetWindowRect(window, &frame) || !GetClientRect(window, &client) || !GetWindowRect(panel, &panelRect))
        return;
    const int width = (panelRect.right - panelRect.left) + (frame.right - frame.left) - client.right;
    const int height = (panelRect.bottom - panelRect.top) + (frame.bottom - frame.top) - client.bottom;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Desktop: the dialogs carry their own OK button, a desktop dialog keeps its template size, and there is
// no soft input panel to lower, so there is nothing to set up.
void PlatformInitDialog(HWND, DWORD) {}

// Desktop: besides the OK button, the Esc key (IDCANCEL) is how a dialog is closed.
bool PlatformIsDoneCommand(int id) { return id == IDOK || id == IDCANCEL; }

// Desktop: there is no soft input panel whose state would follow the activation. A window that handles its
// own activation is given no keyboard focus, and one brought forward by another window of the program (the
// notification icon's) can be left with the focus on itself; so the focus goes to the panel's first control
// that takes it, as a dialog's would.
void PlatformHandleActivate(HWND window, WPARAM wParam, LPARAM, ShellActivateInfo*) {
    HWND panel = GetWindow(window, GW_CHILD);
    if (LOWORD(wParam) == WA_INACTIVE || !panel) return;
    if (HWND first = GetNextDlgTabItem(panel, nullptr, FALSE)) SetFocus(first);
}

// Desktop: no soft input panel takes room from the window.
void PlatformHandleSettingChange(HWND, WPARAM, LPARAM, ShellActivateInfo*) {}

// Desktop: a background process may not take the foreground (SetForegroundWindow's rules), so a box could
// open behind the application the user is typing in. MB_TOPMOST gives the box WS_EX_TOPMOST, which puts it
// above every window that is not topmost whatever the foreground rights; MB_SETFOREGROUND also makes it
// the active window wherever the process may set the foreground (it received the last input event, it is
// the foreground process, or the foreground lock time-out has passed); elsewhere the taskbar flashes.
void PlatformShowMessage(const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(nullptr, text, caption, MB_OK | MB_SETFOREGROUND | MB_TOPMOST);
}

// Desktop: a mouse pointer over the window needs a shape.
HCURSOR PlatformWindowCursor() { return LoadCursorW(nullptr, IDC_ARROW); }

// Desktop: Windows activates the next window itself, but Wine without a window manager lets a minimized
// window keep the activation; then the topmost other application window is activated here. A hidden
// window stays hidden: minimizing would show it (the notification icon's menu offers this command too).
void PlatformMinimizeWindow(HWND window) {
    if (!IsWindowVisible(window)) return;
    ShowWindow(window, SW_MINIMIZE);
    if (GetForegroundWindow() != window) return;
    for (HWND w = GetWindow(window, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (CanTakeActivation(w, window)) {
            SetForegroundWindow(w);
            return;
        }
    }
}

// Desktop: a handle with its lowest bit set is no valid handle; a plain SetForegroundWindow brings the
// window forward, and its owned windows stay above it anyway. A minimized window is restored first, or it
// would come forward as nothing but a taskbar button. The window is also put on top of the stacking
// order, which Wine without a window manager does not do for the foreground window. Where the foreground
// lock refuses this process, the window still rises and its taskbar button flashes.
void PlatformBringForward(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(window);
}

// Desktop: the windows that Alt+Tab offers. Minimized ones count; owned windows, tool windows and windows
// that take no activation count only when they ask for a taskbar button (WS_EX_APPWINDOW); windows the shell
// has cloaked, the shell's own windows and this program's windows never count. The style may be anything.
bool PlatformIsApplicationWindow(HWND window) {
    if (!IsWindowVisible(window) || GetWindowTextLengthW(window) == 0) return false;
    const LONG extended = GetWindowLongW(window, GWL_EXSTYLE);
    const bool standsAlone = !GetWindow(window, GW_OWNER) && !(extended & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE));
    if (!standsAlone && !(extended & WS_EX_APPWINDOW)) return false;
    return !IsCloaked(window) && !PlatformIsShellWindow(window) && !IsOwnProcessWindow(window);
}

// Desktop: the shell's desktop and taskbar windows are visible, titled and lie at the bottom of the
// stacking order; they are known by their class.
bool PlatformIsShellWindow(HWND window) {
    wchar_t name[CLASS_NAME_SIZE] = {};
    GetClassNameW(window, name, CLASS_NAME_SIZE);
    return IsDesktopShellClass(Utf16(name));
}

// Desktop: show command 0 is SW_HIDE and would start every program invisible, so programs are shown.
// The desktop shell also takes a file address as the path it names, fragment or query included, finds
// no such file and shows an error; given the page's document class, it hands the whole address to the
// program registered for that type, which opens the page at its fragment. A program started from here
// may come to the front: whatever foreground right this process holds is passed on (AllowSetForegroundWindow).
void PlatformShellExecute(const wchar_t* file, const wchar_t* parameters) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    wchar_t documentClass[DOCUMENT_CLASS_SIZE];
    if (FileAddressDocumentClass(Utf16(file), Utf16(documentClass), DOCUMENT_CLASS_SIZE)) {
        info.fMask |= SEE_MASK_CLASSNAME;
        info.lpClass = documentClass;
    }
    AllowSetForegroundWindow(ASFW_ANY);
    ShellExecuteExW(&info);
}
