// Runs the Wine test cases against quillo.exe. The cases are data (cases/*.cases) in the one case format of
// tests/cases/case_reader.h: "== NAME" starts a case, and each step is one line, a verb of the table in
// Steps() and its words ("type A X", "text bx", "box 通知 5"). Words with blanks are quoted ("\n" is a
// line feed). The first failed step ends its case. SCALE is for scripts/reliability's measurements.
// Each case runs the test build (quillo-test.exe, which answers test_requests.h) as quillo.exe from
// WORK-DIR\cases\NAME, unless it asks for the shipped one.
// Usage: quillo-wine-runner CASE-FILE SCRIPTS-DIR WORK-DIR [SCALE [CASE]]
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

#include "commands.h"
#include "engine.h"
#include "hook_watchdog.h"
#include "platform.h"
#include "resource.h"
#include "test_requests.h"

namespace {

using Args = std::vector<std::wstring>;
constexpr DWORD WAIT_MS = 15000;  // for anything that must happen
constexpr DWORD QUIET_MS = 400;   // for something that must not happen
const wchar_t DPI_KEY[] = L"Control Panel\\Desktop", DPI_VALUE[] = L"LogPixels";  // Wine's screen density
// The fonts linked to Wine's dialog font: Windows links Japanese ones, whose characters it lacks.
const wchar_t LINK_KEY[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink", LINK_VALUE[] = L"Tahoma";

struct Runner {
    std::wstring work, scripts, dir, caseName, failure, keyLog;
    int scale = 1;
    PROCESS_INFORMATION quillo = {};
    std::map<std::wstring, HWND> windows;  // "test" is the window with the edit control that logs keys
    std::map<HWND, int> closeRequests;
    HWND edit = nullptr, target = nullptr, targetFocus = nullptr;  // where typed keys go
    WNDPROC editProc = nullptr;
    SIZE mark = {};                   // the panel's size at "size mark"
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

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
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

// A number; -N counts down from the top.
uintptr_t Value(const std::wstring& token) {
    const uintptr_t n = _wcstoui64(&token[token[0] == L'-'], nullptr, 0);
    return token[0] == L'-' ? 0 - n : n;
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

// Waits for `got` to be `expected`.
bool Expect(const std::function<std::wstring()>& got, const std::wstring& expected, const wchar_t* what) {
    return WaitUntil([&] { return got() == expected; }, 5000) || Same(got(), expected, what);
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
std::wstring Line(int n) { return WindowText(GetDlgItem(PanelOf(Main()), CtlStatusFirst + n)); }

// The topmost of quillo's visible top-level windows that `match` accepts.
HWND QuilloWindow(const std::function<bool(HWND)>& match) {
    DWORD process = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindowThreadProcessId(w, &process), process == R.quillo.dwProcessId && IsWindowVisible(w) && match(w))
            return w;
    return nullptr;
}

HWND Box() { return QuilloWindow([](HWND w) { return IsClass(w, L"#32770") && WindowText(w) == L"quillo"; }); }
HWND AboutBox() { return QuilloWindow([](HWND w) { return IsClass(w, L"#32770") && GetDlgItem(w, CtlWebButton); }); }
HWND PopupMenu() { return QuilloWindow([](HWND w) { return IsClass(w, L"#32768"); }); }

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
        PostMessageW(Main(), WM_COMMAND, CmdQuit, 0);
        const DWORD code = ExitCode(&R.quillo);
        ok = Check(code == 0, L"quillo ends with exit code 0 on its quit command");
        if (code == STILL_ACTIVE) TerminateProcess(R.quillo.hProcess, 1), WaitForSingleObject(R.quillo.hProcess, 5000);
    }
    Close(&R.quillo);
    return ok;
}

// wine.sh answers NAME.xreq ("map XID" or "shot XID") about `window`'s X window in NAME.xreq-result, in
// the case's own directory.
std::wstring AskX(const std::wstring& name, const wchar_t* what, HWND window) {
    const std::wstring request = R.work + L"cases\\" + R.caseName + L"\\" + name + L".xreq";
    const std::wstring answer = request + L"-result";
    const auto xid = uintptr_t(GetPropW(window, L"__wine_x11_whole_window"));
    DeleteFileW(answer.c_str());
    WriteBytes(request + L".tmp", Utf8(what + (L" " + std::to_wstring(xid))));
    MoveFileExW((request + L".tmp").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    return WaitUntil([&] { return !ReadBytes(answer).empty(); }) ? Trim(Decode(ReadBytes(answer))) : L"no answer";
}

// The panel in the main window, which the X server shows.
bool Panel() {
    return Check(WaitUntil([] { return PanelOf(Main()) && IsWindowVisible(PanelOf(Main())); }), L"the panel shows") &&
           Check(WaitUntil([] { return AskX(L"map", L"map", Main()) == L"IsViewable"; }, 3000), L"on the X screen");
}

// The main window hidden, stripped of title and style and without panel, gone from the X screen too, and
// no other window of quillo's. (The desktop keeps WS_CLIPSIBLINGS on every top-level window.)
bool Hidden() {
    HWND main = nullptr;
    return Check(WaitUntil([&] { return (main = Main()) && !PanelOf(main) && !IsWindowVisible(main); }), L"hides") &&
           Same(WindowText(main), L"", L"the hidden main window's title") &&
           Check(!(GetWindowLongW(main, GWL_STYLE) & ~(WS_CLIPSIBLINGS | WS_MINIMIZE)), L"its style is stripped") &&
           Check(WaitUntil([&] { return AskX(L"map", L"map", main) == L"IsUnMapped"; }, 3000), L"its X window unmaps") &&
           Check(!QuilloWindow([](HWND) { return true; }), L"quillo shows no window at all");
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
           (expected == L"*" || Same(Trim(text), expected, L"the message box's text"));
}

// The size step: "size mark" notes the panel's size; "size F" checks that it is F times that (within 0.2)
// and that the main window fits it.
bool Size(const std::wstring& what) {
    RECT client = {}, panel = {};
    GetClientRect(Main(), &client), GetWindowRect(PanelOf(Main()), &panel);
    const SIZE now = {panel.right - panel.left, panel.bottom - panel.top};
    if (what == L"mark") return R.mark = now, true;
    auto scaled = [&](LONG got, LONG was) { return std::abs(double(got) / was - _wtof(what.c_str())) <= 0.2; };
    return Check(client.right == now.cx && client.bottom == now.cy, L"the main window fits the panel") &&
           Check(scaled(now.cx, R.mark.cx) && scaled(now.cy, R.mark.cy),
                 L"the panel is " + std::to_wstring(now.cx) + L"x" + std::to_wstring(now.cy) + L", was " +
                     std::to_wstring(R.mark.cx) + L"x" + std::to_wstring(R.mark.cy));
}

// ------------------------------------------------------------------ the notification area

HWND WineTray() { return FindWindowW(L"__winex11_standalone_tray", nullptr); }

int TrayIcons() {
    int n = 0;
    for (HWND i = nullptr; (i = FindWindowExW(WineTray(), i, L"__winex11_tray_icon", nullptr)) != nullptr;) ++n;
    return n;
}

// "tray click", "tray right" (its menu opens), "tray count N", or "tray restart": the icon is lost as a
// restarting taskbar loses it, and the broadcast that the taskbar is back must bring it back.
bool Tray(const Args& a) {
    if (a[0] == L"count") return Check(WaitUntil([&] { return TrayIcons() == Number(a[1]); }), L"tray icons");
    if (a[0] == L"restart") {
        NOTIFYICONDATAW icon = {};
        icon.cbSize = sizeof icon, icon.hWnd = FindWindowW(NOTIFY_ICON_CLASS, nullptr), icon.uID = NOTIFY_ICON_ID;
        return Check(Shell_NotifyIconW(NIM_DELETE, &icon) && WaitUntil([] { return TrayIcons() == 0; }), L"lost") &&
               PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) &&
               Check(WaitUntil([] { return TrayIcons() == 1; }), L"the icon comes back");
    }
    RECT r = {};
    GetWindowRect(FindWindowExW(WineTray(), nullptr, L"__winex11_tray_icon", nullptr), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const bool right = a[0] == L"right";
    mouse_event(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    R.target = nullptr;
    return !right || Check(WaitUntil([] { return PopupMenu() != nullptr; }), L"the icon's menu opens");
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
// ("progman", at the bottom), a tool window, a minimized application window and a normal one.
bool Make(const Args& a) {
    const std::wstring& role = a[1];
    HWND w = R.windows[a[0]] = MakeWindow(a[2], role == L"progman" ? L"Progman" : L"QuilloRole",
                                          role == L"tool" ? WS_EX_TOOLWINDOW : 0, WS_OVERLAPPEDWINDOW, nullptr);
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
// another program's window has taken it meanwhile; after a click on the notification area, to quillo.
bool Type(const Args& keys) {
    if (R.target && GetForegroundWindow() != R.target && !TakeForeground(R.target, R.targetFocus)) return false;
    for (const std::wstring& key : keys) Key(key, false), Key(key, true);
    return true;
}

// ------------------------------------------------------------------ the shell and files

std::wstring ScriptLines(std::wstring line);  // one line as written out, or more (measure_steps.inc)

bool Script(const Args& a) {
    const std::wstring target = R.dir + L"scriptcommand.txt";
    if (a[0][0] == L'=') return Check(CopyFileW((R.work + &a[0][1]).c_str(), target.c_str(), FALSE), L"copied");
    // A second word is one more line at the end.
    std::wstring text;
    for (const std::wstring& line : Lines(Decode(ReadBytes(R.scripts + a[0])) + L"\n" + (a.size() > 1 ? a[1] : L"")))
        text += ScriptLines(line);
    std::string bytes(text.size() * 2, '\0');  // in the handheld's code page, 932
    bytes.resize(WideCharToMultiByte(932, 0, text.c_str(), int(text.size()), &bytes[0], int(bytes.size()), 0, 0));
    return Check(WriteBytes(target, bytes), L"the script is written");
}

// The case's program directory, with the test build as its quillo.exe (or the shipped program) and
// remap.txt as its script until the case writes another.
bool Dir(const std::wstring& name, const wchar_t* program = L"quillo-test.exe") {
    R.dir = R.work + L"cases\\" + R.caseName + (name.empty() ? L"" : L"\\" + name) + L"\\";
    SHCreateDirectoryExW(nullptr, R.dir.c_str(), nullptr);
    return Check(CopyFileW((R.work + program).c_str(), (R.dir + L"quillo.exe").c_str(), FALSE), L"copied") &&
           Script({L"remap.txt"});
}

// The auto-start shortcut: "link absent", "link delete" or "link run": started through the shell, it
// starts quillo.exe from the program directory.
bool Link(const std::wstring& what) {
    wchar_t folder[MAX_PATH] = {}, program[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, FALSE);
    const std::wstring path = folder + std::wstring(L"\\quillo.lnk");
    if (what == L"delete") return DeleteFileW(path.c_str()), true;
    if (what == L"absent") return Check(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES, L"no quillo.lnk");
    ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (!Check(WaitUntil([] { return Main() != nullptr; }), L"the shortcut starts quillo")) return false;
    GetWindowThreadProcessId(Main(), &R.quillo.dwProcessId);
    R.quillo.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, R.quillo.dwProcessId);
    GetModuleFileNameExW(R.quillo.hProcess, nullptr, program, MAX_PATH);
    return Same(program, R.dir + L"quillo.exe", L"the program the shortcut starts");
}

// A picture of quillo's main window, about box or pop-up menu, saved by wine.sh among the artefacts.
bool Shot(const std::wstring& name, HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r = {};
    GetWindowRect(window, &r);
    const std::wstring size = std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top);
    return Same(AskX(name, L"shot", window), L"saved " + size, L"the screenshot");
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
using StepTable = std::map<std::wstring, Step>;
const StepTable& Steps();
struct CaseLine {
    int number;
    Args words;
};

#include "../bench/wine/measure_steps.inc"  // scripts/reliability's measurements: hook time, latency, memory

StepTable Merged(StepTable steps, const StepTable& more) { return steps.insert(more.begin(), more.end()), steps; }

const StepTable& Steps() {
    static const StepTable steps = Merged({
        // quillo's program directory, script, environment and process
        {L"shipped", [](const Args&) { return Dir(L"", L"quillo.exe"); }},  // quillo.exe as it is shipped
        {L"script", Script},
        {L"env", [](const Args& a) { return SetEnvironmentVariableW(a[0].c_str(), a[1].c_str()) != 0; }},
        {L"codepages", [](const Args& a) {  // the locale this case file runs in: ANSI, OEM, interface language
             const UINT got[] = {GetACP(), GetOEMCP(), GetUserDefaultUILanguage()};
             return Check(got[0] == Value(a[0]) && got[1] == Value(a[1]) && got[2] == Value(a[2]), L"the locale");
         }},
        {L"dpi", [](const Args& a) {  // the screen density for the quillo started next; 96 again after the case
             const DWORD dpi = Number(a[0]);
             return Check(!RegSetKeyValueW(HKEY_CURRENT_USER, DPI_KEY, DPI_VALUE, REG_DWORD, &dpi, 4), L"set");
         }},
        {L"fontlink", [](const Args&) {  // for quillo started next: slow (2 s a process), so only where it shows
             const wchar_t font[] = L"ipag.ttf,IPAGothic\0";
             return Check(!RegSetKeyValueW(HKEY_LOCAL_MACHINE, LINK_KEY, LINK_VALUE, REG_MULTI_SZ, font, sizeof font), L"set");
         }},
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
        {L"untested", [](const Args&) {  // the shipped program answers no test request
             return Check(!Ask(TEST_MSG_WRITE_MENU) && !Ask(TEST_MSG_LOSE_HOOK), L"no answer to the test requests");
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
        {L"close", [](const Args&) { return PostMessageW(Main(), WM_CLOSE, 0, 0) != 0; }},
        // what quillo shows
        {L"panel", [](const Args&) { return Panel(); }},
        {L"hidden", [](const Args&) { return Hidden(); }},
        {L"front", [](const Args&) {
             R.target = nullptr;
             SetForegroundWindow(Main());
             return Check(WaitUntil([] { return GetForegroundWindow() == Main(); }), L"quillo comes to the front") &&
                    Panel();
         }},
        {L"size", [](const Args& a) { return Size(a[0]); }},
        {L"edit", [](const Args& a) {  // the text of the panel's box for trying keys
             return Expect([] { return WindowText(GetDlgItem(PanelOf(Main()), CtlTestEdit)); }, a[0], L"its text");
         }},
        {L"title", [](const Args& a) { return Same(WindowText(Main()), a[0], L"the main window's title"); }},
        {L"line", [](const Args& a) { return Expect([&] { return Line(Number(a[0])); }, a[1], L"the line"); }},
        {L"box", [](const Args& a) { return TakeBox(a[0]); }},
        {L"nobox", [](const Args&) { return Check(!WaitUntil([] { return Box() != nullptr; }, QUIET_MS), L"no box"); }},
        {L"about", [](const Args& a) {  // about [ID]: the about box appears; a button, IDOK or IDCANCEL closes it
             HWND about = nullptr;
             if (!Check(WaitUntil([&] { return (about = AboutBox()) != nullptr; }), L"the about box")) return false;
             if (a.empty()) return true;
             PostMessageW(about, WM_COMMAND, Number(a[0]), 0);
             return Check(WaitUntil([&] { return !IsWindow(about); }), L"the about box closes");
         }},
        {L"buttons", [](const Args& a) {  // which auto-start buttons are enabled: 1 0 or 0 1
             auto on = [](int id) { return std::to_wstring(IsWindowEnabled(GetDlgItem(PanelOf(Main()), id)) != 0); };
             return Same(on(CtlAutoStartOn) + L" " + on(CtlAutoStartOff), a[0] + L" " + a[1], L"the buttons");
         }},
        {L"click", [](const Args& a) { return Ask(BM_CLICK, 0, GetDlgItem(PanelOf(Main()), Number(a[0]))), true; }},
        {L"link", [](const Args& a) { return Link(a[0]); }},
        {L"menu", [](const Args& a) {  // menu 0 TEXT: the menu bar; menu 1 TEXT: the notification icon's menu
             return Check(Ask(TEST_MSG_WRITE_MENU, Number(a[0])) == 1, L"quillo writes its menu") &&
                    Same(Trim(Decode(ReadBytes(R.dir + TEST_MENU_FILE))), a[1], L"the menu");
         }},
        {L"shot", [](const Args& a) {
             return Shot(a[0], a[1] == L"about" ? AboutBox() : a[1] == L"menu" ? PopupMenu() : Main());
         }},
        {L"tray", Tray},
        // the runner's windows and keys
        {L"window", [](const Args& a) { return Window(a[0]); }},
        {L"make", Make},
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
        {L"text", [](const Args& a) { return Expect([] { return WindowText(R.edit); }, a[0], L"the window's text"); }},
        {L"keys", [](const Args& a) { return Expect([] { return Trim(R.keyLog); }, a[0], L"its key messages"); }},
        // The watchdog's window comes with the hook, at the end of quillo's start-up.
        {L"hooked", [](const Args&) {
             return Check(WaitUntil([] { return FindWindowExW(HWND_MESSAGE, nullptr, WATCHDOG_CLASS, nullptr); }), L"hook");
         }},
        {L"watchdog", [](const Args& a) {  // "watchdog lose", "watchdog check", "watchdog BEGUN DEAD ALIVE"
             if (a[0] == L"lose") return Check(Ask(TEST_MSG_LOSE_HOOK) == 1, L"the hook is removed");
             if (a[0] == L"check") return Ask(TEST_MSG_CHECK_NOW), true;
             const LRESULT n = Ask(TEST_MSG_PROBE_COUNTS);
             return Same(std::to_wstring(n >> 16 & 0xFF) + L" " + std::to_wstring(n >> 8 & 0xFF) + L" " +
                             std::to_wstring(n & 0xFF), a[0] + L" " + a[1] + L" " + a[2], L"probes begun, dead, alive");
         }},
        {L"wait", [](const Args& a) { return PumpFor(Number(a[0])), true; }},
        {L"ready", [](const Args&) {  // the demonstration shows what came, then waits for its screenshot
             std::wstring shown = L"  the test window received: \"" + WindowText(R.edit) + L"\"\n  keys: " + R.keyLog;
             for (int n = 0; n < 6; ++n) shown += L"\n  panel line " + std::to_wstring(n) + L": " + Line(n);
             std::printf("%s\nREADY\n", Utf8(shown).c_str()), std::fflush(stdout);
             return WaitUntil([] { return GetFileAttributesW((R.work + L"demo.done").c_str()) != ~0u; }, 60000);
         }},
    }, MeasureSteps());
    return steps;
}

// ------------------------------------------------------------------ case files

// Runs lines until the first failed step.
bool RunLines(const std::vector<CaseLine>& lines) {
    for (const CaseLine& line : lines) {
        const auto step = Steps().find(line.words[0]);
        if (step == Steps().end() ? Check(false, L"no such step") : step->second(Args(line.words.begin() + 1, line.words.end())))
            continue;
        R.failure = L"line " + std::to_wstring(line.number) + L" (" + line.words[0] + L"): " + R.failure;
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
        if (words[0] == L"==") cases.push_back({words[1], {}});
        else if (!cases.empty()) cases.back().second.push_back(CaseLine{number, words});
    }
    for (const auto& [name, lines] : cases) {
        if (arguments.size() > 4 && name != arguments[4]) continue;
        const DWORD start = GetTickCount();
        R.caseName = name, R.failure.clear();
        if (Dir(L"")) RunLines(Unrolled(lines));
        StopQuillo();
        for (auto& window : R.windows) DestroyWindow(window.second);
        R.windows.clear(), R.closeRequests.clear(), R.target = nullptr;
        SetEnvironmentVariableW(TEST_SWITCH_VARIABLE, nullptr);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, DPI_KEY, DPI_VALUE);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, LINK_KEY, LINK_VALUE);
        failed += !R.failure.empty();
        std::printf("%s %s (%.1f s)%s%s\n", R.failure.empty() ? "PASS" : "FAIL", Utf8(name).c_str(),
                    (GetTickCount() - start) / 1000.0, R.failure.empty() ? "" : "\n  ", Utf8(R.failure).c_str());
        std::fflush(stdout);
    }
    return failed ? 1 : cases.empty() ? 2 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Args arguments(argv + 1, argv + argc);
    if (argc == 2 && arguments[0] == L"hook") return BareHook();
    if (argc < 4) return std::printf("usage: quillo-wine-runner CASE-FILE SCRIPTS-DIR WORK-DIR [SCALE [CASE]]\n"), 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the shell starts the auto-start shortcut through COM
    return RunCases(arguments);
}
