// The test build's requests (quillo-test.exe only; the shipped quillo.exe has none): messages to the main
// window that let the Wine tests read the live menus, which Wine keeps out of other processes' reach, and
// lose the hook as the system does. The environment variable QUILLO_TEST=no-hook makes the hook refused at
// start-up.
#pragma once
#include <windows.h>

// Removes the keyboard hook behind the program's back; 1 when there was one.
constexpr UINT TEST_MSG_LOSE_HOOK = WM_APP + 2;
// The watchdog's probes begun, suspects found dead and alive, in bits 16-23, 8-15 and 0-7 of the result.
constexpr UINT TEST_MSG_PROBE_COUNTS = WM_APP + 3;
// The watchdog's check, now.
constexpr UINT TEST_MSG_CHECK_NOW = WM_APP + 4;
// Writes the menu bar (wParam 0) or the notification icon's menu (1) into TEST_MENU_FILE beside the program,
// one entry a line: "id text", a separator as "-", a pop-up's entries indented by two blanks; 1 when done.
constexpr UINT TEST_MSG_WRITE_MENU = WM_APP + 11;
#define TEST_MENU_FILE L"menu.txt"
#define TEST_SWITCH_VARIABLE L"QUILLO_TEST"
#define TEST_HOOK_REFUSED L"no-hook"

// True when QUILLO_TEST says the hook is refused.
bool HookRefusedForTest();
// Makes the main window answer the requests above.
void AnswerTestRequests(HWND mainWindow);
