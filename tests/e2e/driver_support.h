// What the end-to-end cases need to drive quillo.exe from another process under Wine: starting it,
// waiting for its windows, reading its panel and message boxes, and typing into a window of our own.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <iterator>
#include <string>

constexpr DWORD WAIT_MS = 10000;       // for anything that must happen
constexpr DWORD QUIET_MS = 400;        // for something that must not happen
constexpr WORD CMD_QUIT = 30002;

// --- results ---
// Records a failed check of the running case and prints it. Returns `ok`.
bool Check(bool ok, const char* what);
bool CheckText(const std::wstring& actual, const std::wstring& expected, const char* what);
int FailureCount();
void Note(const std::wstring& text);
std::string Utf8(const std::wstring& text);

// --- waiting: our own messages are pumped meanwhile ---
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = WAIT_MS);
void PumpFor(DWORD ms);

// --- the program under test ---
struct Program {
    PROCESS_INFORMATION process = {};
    bool running = false;
};
extern std::wstring gProgramDir;  // ends with a backslash

bool StartQuillo(Program* program, const std::wstring& arguments);
// Exit code, or STILL_ACTIVE when it did not end within the time.
DWORD WaitForExit(Program* program, DWORD timeoutMs = WAIT_MS);
// Ends the program through its quit command (killing it if that fails) and checks it ended with 0.
void StopQuillo(Program* program);
HWND QuilloWindow();  // the main window of class "Quillo", or none
int QuilloWindowCount();
HWND PanelOf(HWND mainWindow);  // the control panel dialog inside the main window, or none
std::wstring WindowText(HWND window);
std::wstring StatusLine(HWND panel, int n);
bool WaitForPanel(Program* program, HWND* panel);

// --- message boxes with caption "quillo" ---
HWND FindBox(const Program& program);
HWND WaitForBox(const Program& program, DWORD timeoutMs = WAIT_MS);
std::wstring BoxText(HWND box);  // the texts of its static controls
void CloseBox(HWND box);
// Waits for a box, reads and closes it; the empty text when none came.
std::wstring TakeBox(const Program& program, DWORD timeoutMs = WAIT_MS);

// --- our own window with an edit control that logs the key messages it gets ---
struct TestWindow {
    HWND frame = nullptr;
    HWND edit = nullptr;
};
TestWindow CreateTestWindow(const wchar_t* title);
void DestroyTestWindow(TestWindow* window);
bool TakeForeground(const TestWindow& window);
// Presses and releases a key with its real scan code.
void TypeKey(BYTE vk);
std::wstring EditText(const TestWindow& window);
std::wstring KeyLog();  // "d41 u41 ..." for WM_KEYDOWN / WM_KEYUP of the edit control
int CloseRequests();  // WM_CLOSE messages our frame received
void ClearTestInput(const TestWindow& window);
// Types `keys`, then waits until the edit control holds `expected`.
bool TypeAndExpect(const TestWindow& window, const std::wstring& keys, const std::wstring& expected);
// Brings quillo's main window forward (it then shows its panel).
bool BringQuilloForward(HWND* panel);

// A named case of a driver program.
struct Case {
    const wchar_t* name;
    void (*run)();
};

// Runs the case called `name`, printing "case NAME" and then PASS or FAIL; the exit code is 0 when it
// passed, 1 when it failed and 2 (after the list of cases) when no case has that name.
int RunNamedCase(const Case* cases, size_t count, const wchar_t* name);
void PrintCaseNames(const Case* cases, size_t count);
