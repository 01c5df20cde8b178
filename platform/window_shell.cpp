#include "platform.h"

#include <shellapi.h>

#include "address_class.h"

// Desktop: the menu becomes the main window's ordinary menu (LoadMenu + SetMenu) inside its frame.
// The menu handle stands for the menu bar: none means there is no menu.
HMENU PlatformCreateMenuBar(HWND parent, HINSTANCE instance, int menuId) {
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(menuId));
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

// Desktop: the dialogs carry their own OK button, a desktop dialog keeps its template size, and there is
// no soft input panel to lower, so there is nothing to set up.
void PlatformInitDialog(HWND, DWORD) {}

// Desktop: besides the OK button, the Esc key (IDCANCEL) is how a dialog is closed.
bool PlatformIsDoneCommand(int id) { return id == IDOK || id == IDCANCEL; }

// Desktop: there is no soft input panel whose state would follow the activation.
void PlatformHandleActivate(HWND, WPARAM, LPARAM, ShellActivateInfo*) {}

// Desktop: no soft input panel takes room from the window.
void PlatformHandleSettingChange(HWND, WPARAM, LPARAM, ShellActivateInfo*) {}

// Desktop: a handle with its lowest bit set is no valid handle; a plain SetForegroundWindow brings the
// window forward, and its owned windows stay above it anyway. The window is also put on top of the
// stacking order, which Wine without a window manager does not do for the foreground window.
void PlatformBringForward(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(window);
}

// Desktop: show command 0 is SW_HIDE and would start every program invisible, so programs are shown.
// The desktop shell also takes a file address as the path it names, fragment or query included, finds
// no such file and shows an error; given the page's document class, it hands the whole address to the
// program registered for that type, which opens the page at its fragment.
void PlatformShellExecute(const wchar_t* file, const wchar_t* parameters) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    wchar_t documentClass[DOCUMENT_CLASS_SIZE];
    if (FileAddressDocumentClass(reinterpret_cast<const char16_t*>(file), reinterpret_cast<char16_t*>(documentClass),
                                 DOCUMENT_CLASS_SIZE)) {
        info.fMask |= SEE_MASK_CLASSNAME;
        info.lpClass = documentClass;
    }
    ShellExecuteExW(&info);
}

// Desktop: a mouse pointer over the window needs a shape.
HCURSOR PlatformWindowCursor() { return LoadCursorW(nullptr, IDC_ARROW); }

namespace {

bool CanTakeActivation(HWND candidate, HWND leaving) {
    return candidate != leaving && IsWindowVisible(candidate) && !IsIconic(candidate) && IsWindowEnabled(candidate) &&
           GetWindowTextLengthW(candidate) != 0 && !(GetWindowLongW(candidate, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

}  // namespace

// Desktop: Windows activates the next window itself, but Wine without a window manager lets a minimized
// window keep the activation; then the topmost other application window is activated here.
void PlatformMinimizeWindow(HWND window) {
    ShowWindow(window, SW_MINIMIZE);
    if (GetForegroundWindow() != window) return;
    for (HWND w = GetWindow(window, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (CanTakeActivation(w, window)) {
            SetForegroundWindow(w);
            return;
        }
    }
}
