#include "panel.h"

#include "autostart.h"
#include "file_address.h"
#include "host_core.h"
#include "host_state.h"
#include "main_window.h"
#include "messages.h"
#include "platform.h"
#include "resource.h"
#include "wide_text.h"

namespace {

constexpr int STRINGS_PER_BLOCK = 16;  // RT_STRING resource n holds strings 16 * (n - 1) to 16 * n - 1

const void* ResourceData(const wchar_t* type, int id) {
    HRSRC resource = PlatformFindResource(gHost.instance, type, id);
    HGLOBAL loaded = resource ? LoadResource(gHost.instance, resource) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

}  // namespace

const DLGTEMPLATE* DialogTemplate(int id) { return static_cast<const DLGTEMPLATE*>(ResourceData(RT_DIALOG, id)); }

HMENU MenuResource(int id) {
    const auto* menu = static_cast<const MENUTEMPLATEW*>(ResourceData(RT_MENU, id));
    return menu ? LoadMenuIndirectW(menu) : nullptr;
}

// A string block is 16 counted texts in a row: a unit holding the length, then that many units.
void ResourceText(int id, wchar_t* out) {
    out[0] = 0;
    const auto* entry = static_cast<const wchar_t*>(ResourceData(RT_STRING, id / STRINGS_PER_BLOCK + 1));
    if (!entry) return;
    for (int skipped = 0; skipped < id % STRINGS_PER_BLOCK; ++skipped) entry += 1 + *entry;
    const int length = *entry < RESOURCE_TEXT_SIZE ? *entry : RESOURCE_TEXT_SIZE - 1;
    CopyMemory(out, entry + 1, length * sizeof(wchar_t));
    out[length] = 0;
}

namespace {

constexpr int UPDATE_URL_SIZE = 3 * PROGRAM_PATH_SIZE;  // every path character percent-encoded at worst

// The update page lies beside the program, so the shell gets it as a file address that keeps the
// fragment naming the release notes.
void OpenUpdatePage() {
    wchar_t path[PROGRAM_PATH_SIZE];
    wchar_t address[UPDATE_URL_SIZE];
    if (!BuildProgramPath(path, UPDATE_PAGE_FILE)) return;
    if (!FileUrlOf(Utf16(address), UPDATE_URL_SIZE, Utf16(path), Utf16(UPDATE_PAGE_FRAGMENT))) return;
    RunProgram(address, nullptr);
}

INT_PTR OnAboutCommand(HWND dialog, WORD id) {
    if (PlatformIsDoneCommand(id)) {
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (id == CtlWebButton) {
        OpenUpdatePage();
        EndDialog(dialog, CtlWebButton);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void RunAboutBox(HWND owner) {
    if (const DLGTEMPLATE* dialog = DialogTemplate(DlgAbout))
        DialogBoxIndirectParamW(gHost.instance, dialog, owner, AboutDlgProc, 0);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        PlatformInitDialog(dialog, DIALOG_DONE_BUTTON | DIALOG_SIZE_FULLSCREEN | DIALOG_INPUT_PANEL_DOWN);
        return TRUE;
    case WM_COMMAND: return OnAboutCommand(dialog, LOWORD(wParam));
    default: return FALSE;
    }
}

namespace {

constexpr UINT RESTORE_AND_SHOW = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW;

HWND CreatePanelDialog() {
    const DLGTEMPLATE* dialog = DialogTemplate(DlgPanel);
    return dialog ? CreateDialogIndirectParamW(gHost.instance, dialog, gHost.mainWindow, PanelDlgProc, 0) : nullptr;
}

void EnableIfFound(HWND dialog, int id, bool enable) {
    if (HWND control = GetDlgItem(dialog, id)) EnableWindow(control, enable);
}

INT_PTR OnPanelCommand(HWND dialog, WORD id) {
    switch (id) {
    case CtlAutoStartOn: CreateAutoStartShortcut(); break;
    case CtlAutoStartOff: DeleteAutoStartShortcut(); break;
    default: return FALSE;
    }
    RefreshAutoStartButtons(dialog);
    return TRUE;
}

}  // namespace

HMENU CreateMenuBar(HWND window) { return PlatformCreateMenuBar(window, gHost.instance, MenuMain); }

void HideMainWindow() { PlatformStripAndHideWindow(gHost.mainWindow); }

// The flag is set first: showing a minimized main window activates it once more, and that activation
// must find the panel on its way, or it would make a second one that nothing ever destroys.
void ShowPanel(int showCommand) {
    if (gHost.uiFlags & UI_PANEL_SHOWN) return;
    gHost.uiFlags |= UI_PANEL_SHOWN;
    HWND window = gHost.mainWindow;
    SetWindowLongW(window, GWL_STYLE, WS_VISIBLE);
    SetWindowTextW(window, QUILLO_WINDOW_TITLE);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, RESTORE_AND_SHOW);
    ShowWindow(window, SW_SHOWNORMAL);
    gHost.panel = CreatePanelDialog();
    PlatformFitMainWindow(window, gHost.panel);
    PushAllStatusLines();
    ShowWindow(gHost.panel, showCommand);
}

// The flag is cleared first: hiding the active main window hands the activation on, and the deactivation
// that brings must find the panel gone.
void HidePanel() {
    if (!(gHost.uiFlags & UI_PANEL_SHOWN)) return;
    gHost.uiFlags &= ~UI_PANEL_SHOWN;
    HideMainWindow();
    DestroyWindow(gHost.panel);
}

void PushStatusLine(int n) {
    if (!(gHost.uiFlags & UI_PANEL_SHOWN) || !gHostCore.statusText[n]) return;
    wchar_t text[STATUS_LINE_TEXT_SIZE];
    ScriptTextToWide(gHostCore.statusText[n], text, STATUS_LINE_TEXT_SIZE);
    SetDlgItemTextW(gHost.panel, CtlStatusFirst + n, text);
}

void PushAllStatusLines() {
    for (int n = 0; n < STATUS_LINE_COUNT; ++n) PushStatusLine(n);
}

void RefreshAutoStartButtons(HWND dialog) {
    const bool present = AutoStartShortcutExists();
    EnableIfFound(dialog, CtlAutoStartOn, !present);
    EnableIfFound(dialog, CtlAutoStartOff, present);
}

INT_PTR CALLBACK PanelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        PlatformInitDialog(dialog, DIALOG_DONE_BUTTON | DIALOG_INPUT_PANEL_DOWN);
        RefreshAutoStartButtons(dialog);
        return TRUE;
    case WM_COMMAND: return OnPanelCommand(dialog, LOWORD(wParam));
    default: return FALSE;
    }
}
