// Runs the Wine test cases against quillo.exe. The cases are data (cases/*.cases): each is a list of steps,
// one a line: a verb of the table in Steps() and its words ("type A X", "text bx", "box 通知 5"). Words
// with blanks are quoted ("\n" is a line feed); "$dir" stands for the case's program directory, "{name}"
// for a counter set by "add", and "repeat N" ... "end" repeats lines ("Nx": N times SCALE). The first
// failed step ends its case.
// Usage: quillo-wine-runner CASE-FILE SCRIPTS-DIR WORK-DIR [SCALE [CASE]]
//          (WORK-DIR holds quillo.exe and sample.txt; each case runs quillo.exe from WORK-DIR\cases\NAME)
//        quillo-wine-runner record FILE PAGE   (the test's .html program: appends PAGE to FILE)
//        quillo-wine-runner hook               (a low-level keyboard hook that only calls CallNextHookEx)
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;
constexpr DWORD WAIT_MS = 15000;  // for anything that must happen
constexpr DWORD QUIET_MS = 400;   // for something that must not happen
constexpr DWORD SETTLE_MS = 200;  // for a command that a key posted to be carried out
// quillo's test requests (test_requests.cpp, hook_watchdog.cpp), answered under QUILLO_TEST=requests
constexpr UINT TEST_MSG_LOSE_HOOK = WM_APP + 2, TEST_MSG_PROBE_COUNTS = WM_APP + 3, TEST_MSG_CHECK_NOW = WM_APP + 4;
constexpr UINT TEST_MSG_ENGINE_ADDRESS = WM_APP + 10, TEST_MSG_WRITE_MENU = WM_APP + 11;
constexpr WORD CMD_QUIT = 30002;
constexpr uintptr_t STATUS_SLOT_SIZE = 50;
constexpr int STATUS_FIRST_ID = 1058, TEST_EDIT_ID = 1018, WEB_BUTTON_ID = 1035;
constexpr int AUTO_START_ON = 1046, AUTO_START_OFF = 1057;
constexpr SIZE_T MEMORY_GROWTH_LIMIT = 1024 * 1024;

struct Runner {
    std::wstring work, scripts, dir, caseName, failure, keyLog;
    int scale = 1;
    PROCESS_INFORMATION quillo = {};
    std::map<std::wstring, HWND> windows;  // "test" is the window with the edit control that logs keys
    std::map<HWND, int> closeRequests;
    std::map<std::wstring, long long> counters;
    HWND edit = nullptr, panel = nullptr;
    HWND target = nullptr, targetFocus = nullptr;  // where typed keys go; none: wherever the foreground is
    WNDPROC editProc = nullptr;
    uintptr_t notice = 0, slot0 = 0;  // quillo's engine buffers, as its test requests name them
    SIZE_T memoryMark = 0;
    size_t openedSeen = 0;
    double keyDownAt = 0;
};
Runner R;

// ------------------------------------------------------------------ texts, files, checks, waiting

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], int(out.size()), 0, 0));
    return out;
}

std::wstring Decode(const std::string& bytes) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), &text[0], int(text.size())));
    return text;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteBytes(const std::wstring& path, const std::string& bytes, std::ios::openmode mode = std::ios::trunc) {
    std::ofstream out(path.c_str(), std::ios::binary | mode);
    return bool(out << bytes);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wistringstream in(text);
    for (std::wstring line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::wstring Trim(std::wstring text) {
    while (!text.empty() && wcschr(L" \r\n", text.back())) text.pop_back();
    return text;
}

std::wstring Expand(std::wstring text) {
    for (size_t at; (at = text.find(L"$dir")) != std::wstring::npos;) text.replace(at, 4, R.dir);
    for (const auto& [name, value] : R.counters)
        for (size_t at; (at = text.find(L"{" + name + L"}")) != std::wstring::npos;)
            text.replace(at, name.size() + 2, std::to_wstring(value));
    return text;
}

// A number (-N counts down from the top), or "notice" / "slotN" (quillo's engine buffers) and +N or -N.
uintptr_t Value(const std::wstring& token) {
    wchar_t* rest = const_cast<wchar_t*>(&token[0]);
    uintptr_t base = 0;
    if (token.rfind(L"notice", 0) == 0) base = R.notice, rest += 6;
    else if (token.rfind(L"slot", 0) == 0) base = R.slot0 + STATUS_SLOT_SIZE * wcstoul(rest + 4, &rest, 10);
    const uintptr_t n = _wcstoui64(rest + (*rest == L'-'), nullptr, 0);
    return base + (*rest == L'-' ? 0 - n : n);
}

int Number(const std::wstring& token) { return int(Value(token)); }

bool Check(bool ok, const std::wstring& what) {
    if (!ok && R.failure.empty()) R.failure = what;
    return ok;
}

bool Same(const std::wstring& got, const std::wstring& expected, const wchar_t* what) {
    return Check(got == expected, std::wstring(what) + L": got \"" + got + L"\", expected \"" + expected + L"\"");
}

void Pump() {
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&m), DispatchMessageW(&m);
}

void PumpFor(DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;)
        Pump(), MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms = WAIT_MS) {
    for (const DWORD start = GetTickCount(); !condition(); PumpFor(10))
        if (GetTickCount() - start >= ms) return false;
    return true;
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ------------------------------------------------------------------ quillo and its windows

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t found[64] = {};
    return GetClassNameW(window, found, 63) && lstrcmpiW(found, name) == 0;
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, LPARAM(&text[0]), SMTO_ABORTIFHUNG, 2000, &length);
    return text.substr(0, length);
}

HWND Main() { return FindWindowW(L"Quillo", nullptr); }
HWND PanelOf(HWND main) { return main ? FindWindowExW(main, nullptr, L"#32770", nullptr) : nullptr; }
std::wstring Line(int n) { return WindowText(GetDlgItem(PanelOf(Main()), STATUS_FIRST_ID + n)); }
HWND Watchdog() { return FindWindowExW(HWND_MESSAGE, nullptr, L"QuilloHookWatchdog", nullptr); }

// The topmost of quillo's visible top-level windows that `match` accepts.
HWND QuilloWindow(const std::function<bool(HWND)>& match) {
    DWORD process = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindowThreadProcessId(w, &process), process == R.quillo.dwProcessId && IsWindowVisible(w) && match(w))
            return w;
    return nullptr;
}

HWND Box() { return QuilloWindow([](HWND w) { return IsClass(w, L"#32770") && WindowText(w) == L"quillo"; }); }
HWND AboutBox() { return QuilloWindow([](HWND w) { return IsClass(w, L"#32770") && GetDlgItem(w, WEB_BUTTON_ID); }); }

LRESULT Ask(UINT message, WPARAM wParam = 0, HWND window = Main()) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, WAIT_MS, &result);
    return LRESULT(result);
}

PROCESS_INFORMATION Launch(std::wstring command, const wchar_t* directory) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &process);
    return process;
}

std::wstring Self() { return L"\"" + std::wstring(__wargv[0]) + L"\""; }

bool StartQuillo(const std::wstring& arguments, PROCESS_INFORMATION* process) {
    *process = Launch(L"\"" + R.dir + L"quillo.exe\" " + arguments, R.dir.c_str());
    return Check(process->hProcess != nullptr, L"quillo.exe starts");
}

DWORD ExitCode(PROCESS_INFORMATION* process) {
    DWORD code = STILL_ACTIVE;
    WaitUntil([&] { return WaitForSingleObject(process->hProcess, 0) == WAIT_OBJECT_0; });
    return GetExitCodeProcess(process->hProcess, &code), code;
}

void Close(PROCESS_INFORMATION* p) { CloseHandle(p->hProcess), CloseHandle(p->hThread), *p = PROCESS_INFORMATION{}; }

bool Running() { return R.quillo.hProcess && WaitForSingleObject(R.quillo.hProcess, 0) == WAIT_TIMEOUT; }

// Ends quillo through its quit command; a copy that will not end fails the case and is killed.
bool StopQuillo() {
    bool ok = true;
    if (Running()) {
        PostMessageW(Main(), WM_COMMAND, CMD_QUIT, 0);
        const DWORD code = ExitCode(&R.quillo);
        ok = Check(code == 0, L"quillo ends with exit code 0 on its quit command");
        if (code == STILL_ACTIVE) TerminateProcess(R.quillo.hProcess, 1), WaitForSingleObject(R.quillo.hProcess, 5000);
    }
    Close(&R.quillo);
    return ok;
}

bool Panel() {
    return Check(WaitUntil([] { return (R.panel = PanelOf(Main())) && IsWindowVisible(R.panel); }), L"the panel shows");
}

// The main window hidden, stripped of title and style and without panel, and no other window of quillo's.
// (The desktop keeps WS_CLIPSIBLINGS on every top-level window, and WS_MINIMIZE on a minimized one.)
bool Hidden() {
    HWND main = nullptr;
    return Check(WaitUntil([&] { return (main = Main()) && !PanelOf(main) && !IsWindowVisible(main); }), L"hides") &&
           Same(WindowText(main), L"", L"the hidden main window's title") &&
           Check(!(GetWindowLongW(main, GWL_STYLE) & ~(WS_CLIPSIBLINGS | WS_MINIMIZE)), L"its style is stripped") &&
           Check(!QuilloWindow([](HWND) { return true; }), L"quillo shows no window at all");
}

bool Front() {
    HWND main = Main();
    R.target = nullptr;
    SetForegroundWindow(main);
    return Check(WaitUntil([&] { return GetForegroundWindow() == main; }), L"quillo comes to the front") && Panel();
}

bool TakeBox(const std::wstring& expected) {
    HWND box = nullptr;
    if (!Check(WaitUntil([&] { return (box = Box()) != nullptr; }), L"a message box of quillo's appears")) return false;
    std::wstring text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsClass(c, L"Static") && !WindowText(c).empty()) text += (text.empty() ? L"" : L"\n") + WindowText(c);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    // A box under another one waits, hidden, for the upper one's message loop to end.
    return Check(WaitUntil([&] { return !IsWindowVisible(box); }), L"the message box closes") &&
           (expected == L"*" || Same(Trim(text), Expand(expected), L"the message box's text"));
}

// ------------------------------------------------------------------ the runner's windows and keys

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CLOSE) return DefWindowProcW(window, message, wParam, lParam);
    return ++R.closeRequests[window], 0;
}

LRESULT CALLBACK LoggingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (down && !R.keyDownAt) R.keyDownAt = NowMs();
        wchar_t entry[8];
        wsprintfW(entry, L"%s%02X ", down ? L"d" : L"u", unsigned(wParam));
        R.keyLog += entry;
    }
    return CallWindowProcW(R.editProc, window, message, wParam, lParam);
}

HWND MakeWindow(const std::wstring& title, const wchar_t* className, DWORD extended, DWORD style, HWND owner) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = FrameProc;
    windowClass.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);  // fails harmlessly once it is registered
    static int offset = 0;
    offset = (offset + 30) % 300;
    return CreateWindowExW(extended, className, title.c_str(), style | WS_VISIBLE, 200 + offset, 300 + offset, 360,
                           140, owner, nullptr, nullptr, nullptr);
}

// Takes the foreground, on top of the stacking order, and trusts it only once it has stayed for a few
// polls: it can move by itself after another process's window appears or closes.
bool TakeForeground(HWND window, HWND focus) {
    R.target = window, R.targetFocus = focus;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < WAIT_MS; PumpFor(50)) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(window), SetFocus(focus);
        int stable = 0;
        while (stable < 4 && GetForegroundWindow() == window && GetFocus() == focus) PumpFor(20), ++stable;
        if (stable == 4) return true;
    }
    return Check(false, L"the window takes the foreground");
}

bool Window(const std::wstring& title) {
    HWND& frame = R.windows[L"test"];
    if (!frame) {
        frame = MakeWindow(title, L"QuilloTestWindow", 0, WS_OVERLAPPEDWINDOW, nullptr);
        R.edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 320, 24,
                                 frame, nullptr, nullptr, nullptr);
        R.editProc = WNDPROC(SetWindowLongPtrW(R.edit, GWLP_WNDPROC, LONG_PTR(LoggingEditProc)));
    }
    SetWindowTextW(frame, title.c_str());
    R.keyLog.clear();
    return TakeForeground(frame, R.edit);
}

// Windows that stand in for the roles desktop Windows gives its top-level windows: the shell's desktop
// ("progman", at the bottom), a tool window, a dialog owned by the test window, a minimized application
// window and a normal one.
bool Make(const Args& a) {
    const std::wstring& role = a[1];
    const bool owned = role == L"owned";
    HWND w = R.windows[a[0]] =
        MakeWindow(a[2], role == L"progman" ? L"Progman" : L"QuilloRole", role == L"tool" ? WS_EX_TOOLWINDOW : 0,
                   owned ? WS_POPUP | WS_CAPTION : WS_OVERLAPPEDWINDOW, owned ? R.windows[L"test"] : nullptr);
    if (role == L"minimized") ShowWindow(w, SW_SHOWMINNOACTIVE);
    SetWindowPos(w, role == L"progman" ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return Check(w != nullptr, L"the window is made");
}

// A letter or digit, F1-F24, SHIFT, CAPS, or a virtual-key code in hexadecimal.
void Key(const std::wstring& name, bool up) {
    BYTE vk = name == L"SHIFT" ? VK_SHIFT : name == L"CAPS" ? VK_CAPITAL : BYTE(wcstoul(name.c_str(), nullptr, 16));
    if (name.size() == 1) vk = BYTE(towupper(name[0]));
    else if (name[0] == L'F' && iswdigit(name[1])) vk = BYTE(VK_F1 + _wtoi(&name[1]) - 1);
    keybd_event(vk, BYTE(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0, 0);
    Pump();
}

// Keys go to the window that last took the foreground, which takes it back first when a message box or
// another program's window has taken it meanwhile.
bool Type(const Args& keys) {
    if (R.target && GetForegroundWindow() != R.target && !TakeForeground(R.target, R.targetFocus)) return false;
    for (const std::wstring& key : keys) Key(key, false), Key(key, true);
    return true;
}

// Waits for `got` to be `expected`.
bool Expect(const std::function<std::wstring()>& got, const std::wstring& expected, const wchar_t* what) {
    return WaitUntil([&] { return got() == expected; }, 5000) || Same(got(), expected, what);
}

// ------------------------------------------------------------------ the shell, files and measurements

bool Script(const Args& a) {
    const std::wstring target = R.dir + L"scriptcommand.txt";
    if (a[0][0] == L'=') return Check(CopyFileW((R.work + &a[0][1]).c_str(), target.c_str(), FALSE), L"copied");
    if (a[0] == L"-") return DeleteFileW(target.c_str()), true;
    // "@repeat N LINE" stands for N copies of LINE; a second word is one more line at the end.
    std::wstring text;
    for (std::wstring line : Lines(Decode(ReadBytes(R.scripts + a[0])) + L"\n" + (a.size() > 1 ? a[1] : L""))) {
        int copies = 1;
        if (line.rfind(L"@repeat ", 0) == 0) copies = _wtoi(&line[8]), line = line.substr(line.find(L' ', 8) + 1);
        while (copies-- > 0) text += Trim(line) + L"\r\n";
    }
    std::string bytes(text.size() * 2, '\0');  // in the device's code page, 932
    bytes.resize(WideCharToMultiByte(932, 0, text.c_str(), int(text.size()), &bytes[0], int(bytes.size()), 0, 0));
    return Check(WriteBytes(target, bytes), L"the script is written");
}

bool Dir(const std::wstring& name) {
    R.dir = R.work + L"cases\\" + name + L"\\";
    SHCreateDirectoryExW(nullptr, R.dir.c_str(), nullptr);
    return Check(CopyFileW((R.work + L"quillo.exe").c_str(), (R.dir + L"quillo.exe").c_str(), FALSE), L"copied");
}

// The auto-start shortcut: "link absent", "link delete", "link foreign" (a file of its name that is no
// shell link) or "link run": started through the shell, it starts quillo.exe from the program directory.
bool Link(const std::wstring& what) {
    wchar_t folder[MAX_PATH] = {}, program[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, FALSE);
    const std::wstring path = folder + std::wstring(L"\\quillo.lnk");
    if (what == L"delete") return DeleteFileW(path.c_str()), true;
    if (what == L"foreign") return WriteBytes(path, "not a shell link");
    if (what == L"absent") return Check(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES, L"no quillo.lnk");
    ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (!Check(WaitUntil([] { return Main() != nullptr; }), L"the shortcut starts quillo")) return false;
    GetWindowThreadProcessId(Main(), &R.quillo.dwProcessId);
    R.quillo.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, R.quillo.dwProcessId);
    GetModuleFileNameExW(R.quillo.hProcess, nullptr, program, MAX_PATH);
    return Same(program, R.dir + L"quillo.exe", L"the program the shortcut starts");
}

bool Html() {  // .html pages go to this runner, which records them in opened.txt
    const std::wstring command = Self() + L" record \"" + R.work + L"opened.txt\" \"%1\"";
    DeleteFileW((R.work + L"opened.txt").c_str());
    R.openedSeen = 0;
    return Check(!RegSetValueW(HKEY_CLASSES_ROOT, L"QuilloPage\\shell\\open\\command", REG_SZ, command.c_str(), 0) &&
                     !RegSetValueW(HKEY_CLASSES_ROOT, L".html", REG_SZ, L"QuilloPage", 0), L"registered");
}

bool NextOpenedPage(std::wstring* page) {
    std::vector<std::wstring> lines;
    auto opened = [&] { return (lines = Lines(Decode(ReadBytes(R.work + L"opened.txt")))).size() > R.openedSeen; };
    return Check(WaitUntil(opened), L"the .html program is started") && (*page = lines[R.openedSeen++], true);
}

// A page's address must name the file beside quillo whatever its directory's name holds, and keep its
// fragment: the address is cut at its first "#", as a browser does.
bool OpenedAddress(const std::wstring& name, const std::wstring& fragment) {
    std::wstring page;
    if (!NextOpenedPage(&page)) return false;
    const size_t hash = std::min(page.find(L'#'), page.size());
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    return Check(SUCCEEDED(PathCreateFromUrlW(page.substr(0, hash).c_str(), path, &length, 0)), L"no file: " + page) &&
           Same(path, R.dir + name, L"the file the address names") && Same(page.substr(hash), fragment, L"fragment");
}

// wine.sh takes the picture of `window`'s rectangle asked for in NAME.shot and answers in NAME.shot-result.
bool Shot(const std::wstring& name, HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r = {};
    GetWindowRect(window, &r);
    const std::wstring size = std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top);
    const std::wstring request = R.dir + name + L".shot", answer = request + L"-result";
    WriteBytes(request + L".tmp", Utf8(size + L"+" + std::to_wstring(r.left) + L"+" + std::to_wstring(r.top)));
    MoveFileExW((request + L".tmp").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    return Check(WaitUntil([&] { return !ReadBytes(answer).empty(); }), L"the screenshot is answered") &&
           Same(Trim(Decode(ReadBytes(answer))), L"saved " + size, L"the screenshot");
}

// Prints the median, p99 and slowest of `ms`, and returns the slowest.
double PrintTimes(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) return 0;
    std::printf("  %-34s %5d keys  median %.3f ms  p99 %.3f ms  max %.3f ms\n", what, int(ms.size()),
                ms[ms.size() / 2], ms[size_t(0.99 * double(ms.size() - 1) + 0.5)], ms.back());
    return std::fflush(stdout), ms.back();
}

// Times `events` key events of F7 (down and up in turn), each sent to an idle quillo after the `notices`
// message boxes of the one before have been closed; the slowest must stay under `limitMs`.
bool HookTime(int events, int notices, int limitMs) {
    std::vector<double> ms;
    for (int i = 0; i < events; ++i) {
        Ask(WM_NULL);
        const double start = NowMs();
        Key(L"F7", i % 2 == 1);
        ms.push_back(NowMs() - start);
        for (int n = 0; n < notices; ++n)
            if (!TakeBox(L"*")) return false;
    }
    return Check(PrintTimes("F7 through quillo's hook", ms) < limitMs, L"a key event outlasts the hook timeout");
}

// Time from keybd_event to the test window's WM_KEYDOWN, for `keys` presses of Q.
std::vector<double> Latencies(int keys) {
    std::vector<double> ms;
    for (int i = 0; i < keys; ++i) {
        const double start = NowMs();
        R.keyDownAt = 0;
        Key(L"Q", false);
        while (!R.keyDownAt && NowMs() - start < WAIT_MS) MsgWaitForMultipleObjects(0, 0, 0, 1, QS_ALLINPUT), Pump();
        if (R.keyDownAt) ms.push_back(R.keyDownAt - start);
        Key(L"Q", true), PumpFor(2);
        if (i % 100 == 0) SetWindowTextW(R.edit, L"");
    }
    return Check(int(ms.size()) == keys, L"every key arrives") ? ms : std::vector<double>{};
}

// No hook, a hook that only passes keys on, and quillo with the sample script passing Q, measured in turn in
// `rounds` rounds of `keys` presses, so that the machine's changing load falls on all three alike.
bool Latency(int rounds, int keys) {
    std::vector<double> ms[3];
    HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, L"QuilloBareHook");
    for (int round = 0; round < rounds && Script({L"=sample.txt"}); ++round) {
        for (double m : Latencies(keys)) ms[0].push_back(m);
        PROCESS_INFORMATION bare = Launch(Self() + L" hook", nullptr);
        Check(WaitForSingleObject(ready, WAIT_MS) == WAIT_OBJECT_0, L"the bare hook is in place");
        for (double m : Latencies(keys)) ms[1].push_back(m);
        TerminateProcess(bare.hProcess, 0), WaitForSingleObject(bare.hProcess, WAIT_MS), Close(&bare);
        if (!StartQuillo(L"", &R.quillo) || !Panel() || !WaitUntil([] { return Watchdog() != nullptr; }) || !Type({}))
            return false;
        for (double m : Latencies(keys)) ms[2].push_back(m);
        StopQuillo();
    }
    PrintTimes("no hook", ms[0]), PrintTimes("a hook that only passes keys on", ms[1]);
    return PrintTimes("quillo.exe passing the key", ms[2]), R.failure.empty();
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(R.quillo.hProcess, &counters, sizeof counters);
    return counters.PagefileUsage;  // Wine reports the private bytes here
}

Args Words(const std::wstring& line) {
    const size_t first = line.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos || line[first] == L'#') return {};
    int count = 0;
    wchar_t** words = CommandLineToArgvW((L"x " + line).c_str(), &count);  // "x" stands for a program's name
    Args out(words + 1, words + count);
    LocalFree(words);
    for (std::wstring& word : out)
        for (size_t at; (at = word.find(L"\\n")) != std::wstring::npos;) word.replace(at, 2, L"\n");
    return out;
}

// ------------------------------------------------------------------ the steps

using Step = std::function<bool(const Args&)>;
const std::map<std::wstring, Step>& Steps() {
    static const std::map<std::wstring, Step> steps = {
        // quillo's program directory, script, environment and process
        {L"dir", [](const Args& a) { return Dir(R.caseName + L"\\" + a[0]); }},
        {L"dirunits", [](const Args& a) {  // a program directory of exactly that many units, backslash included
             return Dir(R.caseName + L"\\" + std::wstring(Number(a[0]) - R.work.size() - R.caseName.size() - 8, L'd'));
         }},
        {L"script", Script},
        {L"file", [](const Args& a) { return WriteBytes(R.dir + a[0], Utf8(a[1])); }},
        {L"env", [](const Args& a) { return SetEnvironmentVariableW(a[0].c_str(), a[1].c_str()) != 0; }},
        {L"start", [](const Args& a) { return StartQuillo(a.empty() ? L"" : a[0], &R.quillo); }},
        {L"second", [](const Args&) {  // another copy ends at once with code 0, leaving one main window
             PROCESS_INFORMATION second = {};
             const bool ok = StartQuillo(L"", &second) && Check(ExitCode(&second) == 0, L"the second copy's exit");
             Close(&second);
             return ok && Check(!FindWindowExW(nullptr, Main(), L"Quillo", nullptr), L"one main window only");
         }},
        {L"exit", [](const Args& a) { return Check(ExitCode(&R.quillo) == DWORD(Number(a[0])), L"the exit code"); }},
        {L"runs", [](const Args&) { return Check(Running(), L"quillo runs"); }},
        {L"stop", [](const Args&) { return StopQuillo(); }},
        {L"suspend", [](const Args& a) {  // suspend 1 stops quillo's thread, suspend 0 lets it go on
             return Check((a[0] == L"1" ? SuspendThread : ResumeThread)(R.quillo.hThread) != DWORD(-1), L"suspended");
         }},
        {L"addresses", [](const Args&) {
             R.notice = Ask(TEST_MSG_ENGINE_ADDRESS, 0), R.slot0 = Ask(TEST_MSG_ENGINE_ADDRESS, 1);
             return Check(R.notice && R.slot0, L"quillo names its engine buffers");
         }},
        // messages to quillo's main window
        {L"post", [](const Args& a) {  // post IDS [VALUES]: WM_COMMAND with every id (comma-separated) and value
             std::wstring ids = a[0];
             std::replace(ids.begin(), ids.end(), L',', L' ');
             for (const std::wstring& id : Words(ids))
                 for (size_t v = 1; v < std::max<size_t>(a.size(), 2); ++v)
                     PostMessageW(Main(), WM_COMMAND, WPARAM(Value(id)), LPARAM(a.size() > 1 ? Value(a[v]) : 0));
             return true;
         }},
        {L"send", [](const Args& a) {  // quillo answers at once
             DWORD_PTR result = 0;
             return Check(SendMessageTimeoutW(Main(), WM_COMMAND, Number(a[0]), 0, 0, 3000, &result), L"no answer");
         }},
        {L"close", [](const Args&) { return PostMessageW(Main(), WM_CLOSE, 0, 0) != 0; }},
        {L"activate", [](const Args& a) { return Ask(WM_ACTIVATE, Number(a[0])), true; }},
        // what quillo shows
        {L"panel", [](const Args&) { return Panel(); }},
        {L"nopanel", [](const Args&) { return Check(Main() && !PanelOf(Main()), L"no panel"); }},
        {L"hidden", [](const Args&) { return Hidden(); }},
        {L"front", [](const Args&) { return Front(); }},
        {L"fits", [](const Args&) {  // the main window's client area is the panel's size
             RECT client = {}, panel = {};
             GetClientRect(Main(), &client), GetWindowRect(R.panel, &panel);
             OffsetRect(&panel, -panel.left, -panel.top);
             return Check(EqualRect(&client, &panel), L"the main window fits the panel");
         }},
        {L"title", [](const Args& a) { return Same(WindowText(Main()), a[0], L"the main window's title"); }},
        {L"line", [](const Args& a) { return Expect([&] { return Line(Number(a[0])); }, Expand(a[1]), L"the line"); }},
        {L"edit", [](const Args& a) {  // edit TEXT sets the panel's test box; edit = TEXT checks it
             HWND box = GetDlgItem(R.panel, TEST_EDIT_ID);
             return a[0] == L"=" ? Same(WindowText(box), a[1], L"its test box") : SetWindowTextW(box, &a[0][0]) != 0;
         }},
        {L"box", [](const Args& a) { return TakeBox(a[0]); }},
        {L"boxopen", [](const Args&) { return Check(WaitUntil([] { return Box() != nullptr; }), L"a box appears"); }},
        {L"nobox", [](const Args&) { return Check(!WaitUntil([] { return Box() != nullptr; }, QUIET_MS), L"no box"); }},
        {L"noother", [](const Args&) {
             return Check(!QuilloWindow([](HWND w) { return w != Main(); }), L"no window of quillo's but its main one");
         }},
        {L"about", [](const Args& a) {  // about [ID]: the about box appears; a button, IDOK or IDCANCEL closes it
             HWND about = nullptr;
             if (!Check(WaitUntil([&] { return (about = AboutBox()) != nullptr; }), L"the about box")) return false;
             if (a.empty()) return true;
             PostMessageW(about, WM_COMMAND, Number(a[0]), 0);
             return Check(WaitUntil([&] { return !IsWindow(about); }), L"the about box closes");
         }},
        {L"buttons", [](const Args& a) {  // which auto-start buttons are enabled: 1 0 or 0 1
             auto on = [](int id) { return std::to_wstring(IsWindowEnabled(GetDlgItem(R.panel, id)) != 0); };
             return Same(on(AUTO_START_ON) + L" " + on(AUTO_START_OFF), a[0] + L" " + a[1], L"the buttons");
         }},
        {L"click", [](const Args& a) { return Ask(BM_CLICK, 0, GetDlgItem(R.panel, Number(a[0]))), true; }},
        {L"link", [](const Args& a) { return Link(a[0]); }},
        {L"menu", [](const Args& a) {
             return Check(Ask(TEST_MSG_WRITE_MENU) == 1, L"quillo writes its menu") &&
                    Same(Trim(Decode(ReadBytes(R.dir + L"menu.txt"))), a[0], L"the menu bar");
         }},
        {L"shot", [](const Args& a) { return Shot(a[0], a[1] == L"about" ? AboutBox() : Main()); }},
        // the runner's windows and keys
        {L"window", [](const Args& a) { return Window(a[0]); }},
        {L"make", Make},
        {L"focus", [](const Args& a) { return TakeForeground(R.windows[a[0]], R.windows[a[0]]); }},
        {L"foreground", [](const Args& a) {
             HWND w = R.target = R.targetFocus = R.windows[a[0]];
             return WaitUntil([&] { return GetForegroundWindow() == w && !IsIconic(w); }, 5000) ||
                    Check(false, L"restored in front is \"" + WindowText(GetForegroundWindow()) + L"\"");
         }},
        {L"closed", [](const Args& a) {
             const int expected = Number(a[1]);
             HWND w = R.windows[a[0]];
             // A sent message is handled before posted ones, so the second of two finds every command that
             // quillo had queued before the first carried out: a late WM_CLOSE cannot fall into the next step.
             Ask(WM_NULL), Ask(WM_NULL);
             WaitUntil([&] { return expected && R.closeRequests[w] >= expected; }, expected ? WAIT_MS : QUIET_MS);
             return Check(R.closeRequests[w] == expected, L"WM_CLOSE requests to the window");
         }},
        {L"type", Type},
        {L"down", [](const Args& a) { return Key(a[0], false), true; }},
        {L"up", [](const Args& a) { return Key(a[0], true), true; }},
        {L"settle", [](const Args&) { return PumpFor(SETTLE_MS), true; }},
        {L"shift", [](const Args& a) {  // whether Shift is held down, read at once
             return Same(GetAsyncKeyState(VK_SHIFT) < 0 ? L"down" : L"up", a[0], L"Shift");
         }},
        {L"mouse", [](const Args&) { return mouse_event(MOUSEEVENTF_MOVE, 3, 3, 0, 0), PumpFor(100), true; }},
        {L"clear", [](const Args&) { return R.keyLog.clear(), SetWindowTextW(R.edit, L"") != 0; }},
        {L"text", [](const Args& a) { return Expect([] { return WindowText(R.edit); }, a[0], L"the window's text"); }},
        {L"keys", [](const Args& a) { return Expect([] { return Trim(R.keyLog); }, a[0], L"its key messages"); }},
        // The watchdog's window comes with the hook, at the end of quillo's start-up.
        {L"hooked", [](const Args&) { return Check(WaitUntil([] { return Watchdog() != nullptr; }), L"no hook"); }},
        // files and pages
        {L"exists", [](const Args& a) {  // the file appears within 30 s
             return Check(WaitUntil([&] { return GetFileAttributesW(&(R.dir + a[0])[0]) != ~0u; }, 30000), L"no file");
         }},
        {L"html", [](const Args&) { return Html(); }},
        {L"opened", [](const Args& a) {
             std::wstring page;
             return NextOpenedPage(&page) && Same(page, Expand(a[0]), L"the page the .html program was given");
         }},
        {L"openedpage", [](const Args& a) { return OpenedAddress(a[0], a[1]); }},
        // the hook watchdog's test requests: "watchdog lose", "watchdog check", "watchdog BEGUN DEAD ALIVE"
        {L"watchdog", [](const Args& a) {
             if (a[0] == L"lose") return Check(Ask(TEST_MSG_LOSE_HOOK, 0, Watchdog()) == 1, L"the hook is removed");
             if (a[0] == L"check") return Ask(TEST_MSG_CHECK_NOW, 0, Watchdog()), true;
             const LRESULT n = Ask(TEST_MSG_PROBE_COUNTS, 0, Watchdog());
             return Same(std::to_wstring(n >> 16 & 0xFF) + L" " + std::to_wstring(n >> 8 & 0xFF) + L" " +
                             std::to_wstring(n & 0xFF), a[0] + L" " + a[1] + L" " + a[2], L"probes begun, dead, alive");
         }},
        // counters, waiting and measuring
        {L"add", [](const Args& a) { return R.counters[a[0]] += Number(a[1]), true; }},
        {L"wait", [](const Args& a) { return PumpFor(Number(a[0])), true; }},
        {L"memory", [](const Args&) {  // quillo's private bytes, the first time; after that, less than 1 MB more
             if (!R.memoryMark) R.memoryMark = PrivateBytes();
             const std::wstring kb = std::to_wstring(R.memoryMark) + L", then " + std::to_wstring(PrivateBytes());
             return Check(R.memoryMark && PrivateBytes() <= R.memoryMark + MEMORY_GROWTH_LIMIT, L"bytes grow: " + kb);
         }},
        {L"hooktime", [](const Args& a) { return HookTime(Number(a[0]) * R.scale, Number(a[1]), Number(a[2])); }},
        {L"latency", [](const Args& a) { return Latency(Number(a[0]) * R.scale, Number(a[1])); }},
        {L"ready", [](const Args&) {  // the demonstration shows what came, then waits for its screenshot
             std::wstring shown = L"  the test window received: \"" + WindowText(R.edit) + L"\"\n  keys: " + R.keyLog;
             for (int n = 0; n < 6; ++n) shown += L"\n  panel line " + std::to_wstring(n) + L": " + Line(n);
             std::printf("%s\nREADY\n", Utf8(shown).c_str()), std::fflush(stdout);
             return WaitUntil([] { return GetFileAttributesW((R.work + L"demo.done").c_str()) != ~0u; }, 60000);
         }},
    };
    return steps;
}

// ------------------------------------------------------------------ case files

struct CaseLine {
    int number;
    Args words;
};

// Runs lines [first, last); "repeat" ... "end" blocks nest. False at the first failed step.
bool RunLines(const std::vector<CaseLine>& lines, size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
        const Args& words = lines[i].words;
        if (words[0] == L"repeat") {
            size_t end = i + 1;
            for (int depth = 1; depth; ++end)
                depth += int(lines[end].words[0] == L"repeat") - int(lines[end].words[0] == L"end");
            for (int t = Number(words[1]) * (words[1].back() == L'x' ? R.scale : 1); t > 0; --t)
                if (!RunLines(lines, i + 1, end - 1)) return false;
            i = end - 1;
            continue;
        }
        const auto step = Steps().find(words[0]);
        if (step == Steps().end() ? Check(false, L"no such step") : step->second(Args(words.begin() + 1, words.end())))
            continue;
        R.failure = L"line " + std::to_wstring(lines[i].number) + L" (" + words[0] + L"): " + R.failure;
        return false;
    }
    return true;
}

int RunCases(const Args& arguments) {
    R.scripts = arguments[1], R.work = arguments[2];
    R.scale = arguments.size() > 3 ? std::max(1, _wtoi(arguments[3].c_str())) : 1;
    std::vector<std::pair<std::wstring, std::vector<CaseLine>>> cases;
    int number = 0, failed = 0;
    for (const std::wstring& line : Lines(Decode(ReadBytes(arguments[0])))) {
        const Args words = Words(line);
        if (++number, words.empty()) continue;
        if (words[0] == L"case") cases.push_back({words[1], {}});
        else if (!cases.empty()) cases.back().second.push_back(CaseLine{number, words});
    }
    for (const auto& [name, lines] : cases) {
        if (arguments.size() > 4 && name != arguments[4]) continue;
        const DWORD start = GetTickCount();
        R.caseName = name, R.failure.clear();
        if (Dir(name)) RunLines(lines, 0, lines.size());
        StopQuillo();
        for (auto& window : R.windows) DestroyWindow(window.second);
        R.windows.clear(), R.closeRequests.clear(), R.counters.clear(), R.memoryMark = 0, R.target = nullptr;
        SetEnvironmentVariableW(L"QUILLO_TEST", nullptr);
        failed += !R.failure.empty();
        std::printf("%s %s (%.1f s)%s%s\n", R.failure.empty() ? "PASS" : "FAIL", Utf8(name).c_str(),
                    (GetTickCount() - start) / 1000.0, R.failure.empty() ? "" : "\n  ", Utf8(R.failure).c_str());
        std::fflush(stdout);
    }
    return failed ? 1 : cases.empty() ? 2 : 0;
}

LRESULT CALLBACK PassOn(int code, WPARAM wParam, LPARAM lParam) { return CallNextHookEx(0, code, wParam, lParam); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Args arguments(argv + 1, argv + argc);
    if (argc == 4 && arguments[0] == L"record") return !WriteBytes(argv[2], Utf8(argv[3]) + "\n", std::ios::app);
    if (argc == 2 && arguments[0] == L"hook") {
        SetWindowsHookExW(WH_KEYBOARD_LL, PassOn, GetModuleHandleW(nullptr), 0);
        SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"QuilloBareHook"));
        for (MSG message; GetMessageW(&message, nullptr, 0, 0) > 0;) DispatchMessageW(&message);
        return 0;
    }
    if (argc < 4) return std::printf("usage: quillo-wine-runner CASE-FILE SCRIPTS-DIR WORK-DIR [SCALE [CASE]]\n"), 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the shell starts the auto-start shortcut through COM
    return RunCases(arguments);
}
