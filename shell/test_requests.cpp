#include "test_requests.h"

#include "hook_watchdog.h"
#include "host_state.h"
#include "tray_menu.h"

namespace {

constexpr int MENU_TEXT_SIZE = 64;
constexpr int MENU_LINE_SIZE = 96;
constexpr DWORD SWITCH_SIZE = 16;

WNDPROC gMainWndProc;

void WriteMenu(HANDLE file, HMENU menu, const wchar_t* indent) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[MENU_TEXT_SIZE] = {};
        wchar_t line[MENU_LINE_SIZE];
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = MENU_TEXT_SIZE - 1;
        GetMenuItemInfoW(menu, i, TRUE, &item);
        if (item.fType & MFT_SEPARATOR) wsprintfW(line, L"%s-\n", indent);
        else wsprintfW(line, L"%s%u %s\n", indent, item.hSubMenu ? 0u : item.wID, text);
        char utf8[3 * MENU_LINE_SIZE];
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, nullptr, nullptr) - 1;
        DWORD written = 0;
        WriteFile(file, utf8, bytes > 0 ? bytes : 0, &written, nullptr);
        if (item.hSubMenu) WriteMenu(file, item.hSubMenu, L"  ");
    }
}

LRESULT WriteMenuFile(bool trayMenu) {
    wchar_t path[PROGRAM_PATH_SIZE];
    if (!BuildProgramPath(path, TEST_MENU_FILE)) return 0;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    HMENU menu = trayMenu ? CreateTrayMenu() : GetMenu(gHost.mainWindow);
    WriteMenu(file, menu, L"");
    if (trayMenu) DestroyMenu(menu);
    CloseHandle(file);
    return 1;
}

LRESULT CALLBACK TestRequestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case TEST_MSG_LOSE_HOOK: return gHost.hook && UnhookWindowsHookEx(gHost.hook);
    case TEST_MSG_PROBE_COUNTS: {
        const HookWatchdogCounts n = WatchdogCounts();
        return (n.probes & 0xFF) << 16 | (n.dead & 0xFF) << 8 | (n.alive & 0xFF);
    }
    case TEST_MSG_CHECK_NOW: return CheckHookNow(), 0;
    case TEST_MSG_WRITE_MENU: return WriteMenuFile(wParam == 1);
    default: return CallWindowProcW(gMainWndProc, window, message, wParam, lParam);
    }
}

}  // namespace

bool HookRefusedForTest() {
    wchar_t value[SWITCH_SIZE] = {};
    GetEnvironmentVariableW(TEST_SWITCH_VARIABLE, value, SWITCH_SIZE);
    return lstrcmpW(value, TEST_HOOK_REFUSED) == 0;
}

void AnswerTestRequests(HWND mainWindow) {
    gMainWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TestRequestProc)));
}
