#include "driver_support.h"

#include <cstdio>
#include <cwchar>

std::wstring gProgramDir;

namespace {

constexpr DWORD POLL_MS = 20;
constexpr UINT TEXT_TIMEOUT_MS = 2000;
constexpr int STATUS_FIRST_ID = 1058;
constexpr DWORD STABLE_FOREGROUND_POLLS = 4;

int gFailures = 0;
std::wstring gKeyLog;
int gCloseRequests = 0;
WNDPROC gEditProc = nullptr;

bool SameClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 63);
    return _wcsicmp(name, className) == 0;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

LRESULT CALLBACK LoggingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
        wchar_t entry[16];
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        swprintf(entry, 16, L"%ls%02X ", down ? L"d" : L"u", static_cast<unsigned>(wParam));
        gKeyLog += entry;
    }
    return CallWindowProcW(gEditProc, window, message, wParam, lParam);
}

LRESULT CALLBACK TestFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ++gCloseRequests;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

void Note(const std::wstring& text) {
    std::printf("  %s\n", Utf8(text).c_str());
    std::fflush(stdout);
}

bool Check(bool ok, const char* what) {
    if (!ok) {
        ++gFailures;
        std::printf("  FAILED: %s\n", what);
        std::fflush(stdout);
    }
    return ok;
}

bool CheckText(const std::wstring& actual, const std::wstring& expected, const char* what) {
    if (actual == expected) return true;
    ++gFailures;
    std::printf("  FAILED: %s\n    got      \"%s\"\n    expected \"%s\"\n", what, Utf8(actual).c_str(),
                Utf8(expected).c_str());
    std::fflush(stdout);
    return false;
}

int FailureCount() { return gFailures; }

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, POLL_MS, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        PumpFor(POLL_MS);
    }
}

bool StartQuillo(Program* program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + gProgramDir + L"quillo.exe\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    program->running = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      gProgramDir.c_str(), &startup, &program->process) != FALSE;
    return Check(program->running, "quillo.exe starts");
}

DWORD WaitForExit(Program* program, DWORD timeoutMs) {
    if (!program->process.hProcess) return STILL_ACTIVE;
    WaitUntil([&] { return WaitForSingleObject(program->process.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program->process.hProcess, &code);
    if (code != STILL_ACTIVE) program->running = false;
    return code;
}

void StopQuillo(Program* program) {
    if (!program->process.hProcess) return;
    if (program->running) {
        if (HWND window = QuilloWindow()) PostMessageW(window, WM_COMMAND, CMD_QUIT, 0);
        const DWORD code = WaitForExit(program);
        if (code == STILL_ACTIVE) {
            Check(false, "quillo ends on its quit command");
            TerminateProcess(program->process.hProcess, 1);
            WaitForSingleObject(program->process.hProcess, WAIT_MS);
        } else {
            Check(code == 0, "quillo's exit code after the quit command is 0");
        }
    }
    CloseHandle(program->process.hThread);
    CloseHandle(program->process.hProcess);
    program->process = PROCESS_INFORMATION{};
    program->running = false;
}

HWND QuilloWindow() { return FindWindowW(L"Quillo", nullptr); }

int QuilloWindowCount() {
    int count = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"Quillo", nullptr); w; w = FindWindowExW(nullptr, w, L"Quillo", nullptr))
        ++count;
    return count;
}

HWND PanelOf(HWND mainWindow) { return mainWindow ? FindWindowExW(mainWindow, nullptr, L"#32770", nullptr) : nullptr; }

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, TEXT_TIMEOUT_MS, &length))
        return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                        TEXT_TIMEOUT_MS, &copied);
    text.resize(copied);
    return text;
}

std::wstring StatusLine(HWND panel, int n) {
    HWND line = GetDlgItem(panel, STATUS_FIRST_ID + n);
    return line ? WindowText(line) : L"<no control>";
}

bool WaitForPanel(Program*, HWND* panel) {
    return WaitUntil([&] {
        *panel = PanelOf(QuilloWindow());
        return *panel && IsWindowVisible(*panel);
    });
}

HWND FindBox(const Program& program) {
    struct Search {
        DWORD pid;
        HWND found;
    } search = {program.process.dwProcessId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (ProcessOf(window) != s->pid || !SameClass(window, L"#32770") || !IsWindowVisible(window)) return TRUE;
            if (WindowText(window) != L"quillo") return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForBox(const Program& program, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindBox(program)) != nullptr; }, timeoutMs);
    return box;
}

std::wstring BoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM data) -> BOOL {
            if (!SameClass(child, L"Static")) return TRUE;
            std::wstring part = WindowText(child);
            auto* all = reinterpret_cast<std::wstring*>(data);
            if (!part.empty()) *all += all->empty() ? part : L"\n" + part;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

void CloseBox(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
}

std::wstring TakeBox(const Program& program, DWORD timeoutMs) {
    HWND box = WaitForBox(program, timeoutMs);
    if (!box) return std::wstring();
    std::wstring text = BoxText(box);
    CloseBox(box);
    return text;
}

TestWindow CreateTestWindow(const wchar_t* title) {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = TestFrameProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = L"QuilloDriverWindow";
        RegisterClassW(&windowClass);
        registered = true;
    }
    TestWindow window;
    window.frame = CreateWindowExW(0, L"QuilloDriverWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 260, 580, 400,
                                   160, nullptr, nullptr, instance, nullptr);
    window.edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 360,
                                  24, window.frame, nullptr, instance, nullptr);
    gEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LoggingEditProc)));
    gKeyLog.clear();
    gCloseRequests = 0;
    PumpFor(50);
    return window;
}

void DestroyTestWindow(TestWindow* window) {
    if (window->frame) DestroyWindow(window->frame);
    *window = TestWindow{};
    PumpFor(50);
}

bool TakeForeground(const TestWindow& window) {
    // The foreground can move by itself after another process's window appears or closes: take it,
    // and only trust it once it has stayed for a few polls.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < WAIT_MS) {
        SetForegroundWindow(window.frame);
        SetFocus(window.edit);
        DWORD stable = 0;
        while (stable < STABLE_FOREGROUND_POLLS && GetForegroundWindow() == window.frame && GetFocus() == window.edit) {
            PumpFor(POLL_MS * 2);
            ++stable;
        }
        if (stable == STABLE_FOREGROUND_POLLS) return true;
        PumpFor(POLL_MS * 5);
    }
    return Check(false, "the test window takes the foreground");
}

void TypeKey(BYTE vk) {
    const BYTE scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    keybd_event(vk, scan, 0, 0);
    keybd_event(vk, scan, KEYEVENTF_KEYUP, 0);
    PumpFor(POLL_MS);
}

std::wstring EditText(const TestWindow& window) { return WindowText(window.edit); }

std::wstring KeyLog() { return gKeyLog; }

int CloseRequests() { return gCloseRequests; }

void ClearTestInput(const TestWindow& window) {
    SetWindowTextW(window.edit, L"");
    gKeyLog.clear();
    gCloseRequests = 0;
}

bool TypeAndExpect(const TestWindow& window, const std::wstring& keys, const std::wstring& expected) {
    if (!TakeForeground(window)) return false;
    for (wchar_t key : keys) TypeKey(static_cast<BYTE>(key));
    WaitUntil([&] { return EditText(window) == expected; }, 5000);
    return CheckText(EditText(window), expected, "what the test window received");
}

bool BringQuilloForward(HWND* panel) {
    HWND main = QuilloWindow();
    if (!Check(main != nullptr, "quillo's main window exists")) return false;
    SetForegroundWindow(main);
    return Check(WaitUntil([&] {
                     *panel = PanelOf(main);
                     return *panel && IsWindowVisible(*panel) && GetForegroundWindow() == main;
                 }),
                 "quillo comes forward with its panel");
}

void PrintCaseNames(const Case* cases, size_t count) {
    std::printf("cases:");
    for (size_t i = 0; i < count; ++i) std::printf(" %s", Utf8(cases[i].name).c_str());
    std::printf("\n");
}

int RunNamedCase(const Case* cases, size_t count, const wchar_t* name) {
    for (size_t i = 0; i < count; ++i) {
        if (std::wstring(cases[i].name) != name) continue;
        std::printf("case %s\n", Utf8(cases[i].name).c_str());
        cases[i].run();
        std::printf("%s %s\n", FailureCount() ? "FAIL" : "PASS", Utf8(cases[i].name).c_str());
        return FailureCount() ? 1 : 0;
    }
    std::printf("unknown case %s\n", Utf8(name).c_str());
    PrintCaseNames(cases, count);
    return 2;
}
