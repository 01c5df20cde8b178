#include "test_requests.h"

#include "engine.h"
#include "host_state.h"
#include "program_files.h"
#include "test_switch.h"

namespace {

// wParam 0: the notice buffer's address; 1-6: status slot wParam - 1's.
constexpr UINT TEST_MSG_ENGINE_ADDRESS = WM_APP + 10;
// Writes the menu bar as the live window has it into MENU_FILE beside the program, one entry a line:
// "id text", a separator as "-", a pop-up's entries indented by two blanks below its own line.
constexpr UINT TEST_MSG_WRITE_MENU = WM_APP + 11;
const wchar_t MENU_FILE[] = L"menu.txt";
constexpr int MENU_TEXT_SIZE = 64;
constexpr int MENU_LINE_SIZE = 96;

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

LRESULT WriteMenuFile() {
    wchar_t path[PROGRAM_PATH_SIZE];
    if (!BuildProgramPath(path, MENU_FILE)) return 0;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    WriteMenu(file, GetMenu(gHost.mainWindow), L"");
    CloseHandle(file);
    return 1;
}

}  // namespace

bool IsTestRequest(UINT message) { return message == TEST_MSG_ENGINE_ADDRESS || message == TEST_MSG_WRITE_MENU; }

LRESULT AnswerTestRequest(UINT message, WPARAM wParam) {
    if (!TestSwitchIs(TEST_ANSWER_REQUESTS)) return 0;
    if (message == TEST_MSG_WRITE_MENU) return WriteMenuFile();
    if (wParam == 0) return reinterpret_cast<LRESULT>(gNoticeBuffer);
    return wParam <= STATUS_LINE_COUNT ? reinterpret_cast<LRESULT>(&gStatusSlots[wParam - 1]) : 0;
}
