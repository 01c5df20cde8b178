#include "panel.h"

#include "autostart.h"
#include "host_core.h"
#include "ui_resources.h"
#include "host_state.h"
#include "resource.h"
#include "text_convert.h"

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
