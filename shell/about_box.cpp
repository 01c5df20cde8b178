#include "about_box.h"

#include "ui_resources.h"
#include "file_address.h"
#include "host_state.h"
#include "program_files.h"
#include "resource.h"
#include "shell_actions.h"
#include "wide_text.h"

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
