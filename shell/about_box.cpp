#include "about_box.h"

#include "file_url.h"
#include "host_state.h"
#include "main_window.h"
#include "resource.h"

namespace {

constexpr int UPDATE_URL_SIZE = 300;

// The update page lies beside the program, so the shell gets it as a file address that keeps the
// fragment naming the release notes.
void OpenUpdatePage() {
    wchar_t path[PROGRAM_PATH_SIZE];
    wchar_t address[UPDATE_URL_SIZE];
    if (!BuildProgramPath(path, UPDATE_PAGE)) return;
    if (!FileUrlOf(reinterpret_cast<char16_t*>(address), UPDATE_URL_SIZE, reinterpret_cast<const char16_t*>(path)))
        return;
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
    HRSRC resource = FindResourceW(gHost.instance, MAKEINTRESOURCEW(DlgAbout), RT_DIALOG);
    HGLOBAL loaded = resource ? LoadResource(gHost.instance, resource) : nullptr;
    if (!loaded) return;
    DialogBoxIndirectParamW(gHost.instance, static_cast<LPCDLGTEMPLATEW>(LockResource(loaded)), owner,
                            AboutDlgProc, 0);
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
