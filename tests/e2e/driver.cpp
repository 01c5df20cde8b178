// The end-to-end cases: each starts quillo.exe from the program directory it is given, drives it the
// way a user and other programs do, and checks what can be seen from outside the program.
// Usage: quillo-e2e-driver.exe CASE PROGRAM-DIR   (PROGRAM-DIR holds quillo.exe and the test scripts)
//        quillo-e2e-driver.exe demo PROGRAM-DIR "KEY KEY ..."   (the demonstration of scripts/demo)
//        quillo-e2e-driver.exe record FILE PAGE   (the test's .html program: appends PAGE to FILE)
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cwctype>
#include <string>

#include "driver_support.h"

namespace {

const wchar_t kTitle[] = L"quillo v1.33 for PC";
const wchar_t kLine5Template[] = L"詳細はマニュアルを参照してください。";
constexpr WORD MENU_ABOUT = 40003;
constexpr WORD MENU_EXIT = 40005;
constexpr WORD MENU_HIDE = 40007;
constexpr WORD MENU_MANUAL = 40010;
constexpr WORD MENU_RELOAD = 40024;
constexpr WORD CMD_RUN_PROGRAM = 30000;
constexpr WORD CMD_NOTICE = 30004;
constexpr WORD CMD_STATUS_LINE = 30005;
constexpr int AUTO_START_ON = 1046;
constexpr int AUTO_START_OFF = 1057;
constexpr int WEB_BUTTON = 1035;
constexpr int TEST_EDIT = 1018;

std::wstring InProgramDir(const wchar_t* name) { return gProgramDir + name; }

bool UseScript(const wchar_t* name) {
    return Check(CopyFileW(InProgramDir(name).c_str(), InProgramDir(L"scriptcommand.txt").c_str(), FALSE) != FALSE,
                 "the test script is copied to scriptcommand.txt");
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring TrimEnd(std::wstring text) {
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\n')) text.pop_back();
    return text;
}

bool StartWithPanel(Program* quillo, HWND* panel, const std::wstring& arguments = L"") {
    if (!StartQuillo(quillo, arguments)) return false;
    return Check(WaitForPanel(quillo, panel), "the panel appears at start-up");
}

bool WaitPanelGone(HWND main) {
    return Check(WaitUntil([&] { return PanelOf(main) == nullptr && !IsWindowVisible(main); }),
                 "the panel goes and the main window hides when quillo loses activation");
}

// The about box's top-level dialog: the one of quillo's windows that shows the static text "quillo".
HWND FindAboutBox(const Program& program) {
    struct Search {
        DWORD pid;
        HWND found;
    } search = {program.process.dwProcessId, nullptr};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t name[16] = {};
            GetClassNameW(w, name, 15);
            if (owner != s->pid || std::wstring(name) != L"#32770" || !IsWindowVisible(w)) return TRUE;
            const std::wstring texts = L"\n" + BoxText(w) + L"\n";
            if (texts.find(L"\nquillo\n") != std::wstring::npos) s->found = w;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The about box opens from the menu and closes with its OK button or, on the desktop, with Esc.
void AboutBoxOpensAndCloses() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    for (WORD closer : {WORD(IDOK), WORD(IDCANCEL)}) {
        Note(closer == IDOK ? L"closed with OK" : L"closed with Esc");
        PostMessageW(main, WM_COMMAND, MENU_ABOUT, 0);
        HWND about = nullptr;
        if (!Check(WaitUntil([&] { return (about = FindAboutBox(quillo)) != nullptr; }), "the about box appears")) break;
        Check(GetDlgItem(about, WEB_BUTTON) != nullptr, "it has the web button");
        PostMessageW(about, WM_COMMAND, closer, 0);
        Check(WaitUntil([&] { return !IsWindow(about); }), "the about box closes");
    }
    Check(WaitForExit(&quillo, 0) == STILL_ACTIVE, "quillo runs on");
    StopQuillo(&quillo);
}

// A is swallowed with its release and B comes instead; X has no key function and passes.
void KeysAreRemapped() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    TestWindow window = CreateTestWindow(L"quillo e2e");
    TypeAndExpect(window, L"AXA", L"bxb");
    CheckText(KeyLog(), L"d42 u42 d58 u58 d42 u42 ", "key messages of the test window (no A down or up)");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

void StatusLinesShowInThePanel() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    CheckText(StatusLine(panel, 0), L"状態 7", "status line 0 from the start-up function");
    CheckText(StatusLine(panel, 1), L"準備完了", "status line 1");
    for (int n = 2; n <= 4; ++n) CheckText(StatusLine(panel, n), L"", "an unset status line is empty");
    CheckText(StatusLine(panel, 5), kLine5Template, "status line 5 keeps its template text");

    // A status line written while the panel is gone shows when the panel comes back.
    TestWindow window = CreateTestWindow(L"quillo e2e");
    if (TakeForeground(window)) {
        WaitPanelGone(QuilloWindow());
        TypeKey(VK_F3);
        TypeAndExpect(window, L"X", L"x");
        CheckText(KeyLog(), L"d58 u58 ", "F3 is swallowed");
        if (BringQuilloForward(&panel)) {
            WaitUntil([&] { return StatusLine(panel, 2) == L"キー 114"; });
            CheckText(StatusLine(panel, 2), L"キー 114", "status line 2 written by F3 while the panel was gone");
            CheckText(StatusLine(panel, 0), L"状態 7", "status line 0 shows again in the new panel");
        }
    }
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

void NoticeShowsInAMessageBox() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    TestWindow window = CreateTestWindow(L"quillo e2e");
    if (TakeForeground(window)) {
        TypeKey(VK_F2);
        CheckText(TakeBox(quillo), L"通知です 5", "the notice's text");
        TypeAndExpect(window, L"X", L"x");
        CheckText(KeyLog(), L"d58 u58 ", "F2 is swallowed");
    }
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

void CompileErrorsNameTheirLine() {
    UseScript(L"errors.txt");
    Program quillo;
    if (!StartQuillo(&quillo, L"")) return;
    CheckText(TrimEnd(TakeBox(quillo)), L"5行:symbolが見つかりません 未定義キー", "first compile message");
    CheckText(TrimEnd(TakeBox(quillo)), L"5行:func と endfunc が一致していません", "second compile message");
    HWND panel;
    Check(WaitForPanel(&quillo, &panel), "the panel appears after the compile messages");
    Check(FindBox(quillo) == nullptr, "no further message");
    StopQuillo(&quillo);
}

void MissingScriptIsReportedAndKeysPass() {
    DeleteFileW(InProgramDir(L"scriptcommand.txt").c_str());
    Program quillo;
    if (!StartQuillo(&quillo, L"")) return;
    CheckText(TrimEnd(TakeBox(quillo)), L"ファイルがありません", "first message");
    CheckText(TrimEnd(TakeBox(quillo)), InProgramDir(L"scriptcommand.txt"), "second message names the path");
    HWND panel;
    if (Check(WaitForPanel(&quillo, &panel), "the program runs on and shows its panel")) {
        // No script ran, so no status line was ever set: the panel shows its template texts.
        for (int n = 0; n <= 4; ++n) CheckText(StatusLine(panel, n), L"", "a never-set status line is empty");
        CheckText(StatusLine(panel, 5), kLine5Template, "status line 5 shows its template text");
    }
    TestWindow window = CreateTestWindow(L"quillo e2e");
    TypeAndExpect(window, L"AX", L"ax");
    CheckText(KeyLog(), L"d41 u41 d58 u58 ", "every key passes");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

void ReloadCompilesTheEditedScript() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    TestWindow window = CreateTestWindow(L"quillo e2e");
    TypeAndExpect(window, L"A", L"b");
    UseScript(L"reload.txt");
    PostMessageW(QuilloWindow(), WM_COMMAND, MENU_RELOAD, 0);
    if (BringQuilloForward(&panel)) {
        WaitUntil([&] { return StatusLine(panel, 0) == L"版 2"; });
        CheckText(StatusLine(panel, 0), L"版 2", "status line 0 from the new start-up function");
        CheckText(StatusLine(panel, 1), L"", "a line the new script did not set shows its template text");
    }
    ClearTestInput(window);
    TypeAndExpect(window, L"A", L"c");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// The reload menu chosen while the start-up compile's message box is open waits for that compile.
void ReloadDuringACompileWaits() {
    UseScript(L"errors.txt");
    Program quillo;
    if (!StartQuillo(&quillo, L"")) return;
    HWND box = WaitForBox(quillo);
    if (!Check(box != nullptr, "a compile message appears")) return StopQuillo(&quillo);
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutW(QuilloWindow(), WM_COMMAND, MENU_RELOAD, 0, SMTO_ABORTIFHUNG, 3000,
                                              &result) != 0;
    Check(answered, "the reload request returns at once instead of compiling inside the open box");
    CheckText(TrimEnd(BoxText(box)), L"5行:symbolが見つかりません 未定義キー", "first message of the first compile");
    CloseBox(box);
    CheckText(TrimEnd(TakeBox(quillo)), L"5行:func と endfunc が一致していません", "second message of the first compile");
    CheckText(TrimEnd(TakeBox(quillo)), L"5行:symbolが見つかりません 未定義キー", "the waiting reload compiles next");
    CheckText(TrimEnd(TakeBox(quillo)), L"5行:func と endfunc が一致していません", "second message of the reload");
    HWND panel;
    Check(WaitForPanel(&quillo, &panel), "the panel appears after both compiles");
    Check(FindBox(quillo) == nullptr, "no third compile");
    StopQuillo(&quillo);
}

void SecondCopyBringsTheFirstForward() {
    UseScript(L"remap.txt");
    Program first;
    HWND panel;
    if (!StartWithPanel(&first, &panel)) return StopQuillo(&first);
    HWND main = QuilloWindow();
    TestWindow window = CreateTestWindow(L"quillo e2e");
    if (TakeForeground(window) && WaitPanelGone(main)) {
        Program second;
        if (StartQuillo(&second, L"")) {
            Check(WaitForExit(&second) == 0, "the second copy exits with code 0");
            Check(WaitUntil([&] {
                      panel = PanelOf(main);
                      return panel && IsWindowVisible(panel) && GetForegroundWindow() == main;
                  }),
                  "the first copy comes forward with its panel");
            Check(QuilloWindowCount() == 1, "one main window only");
            StopQuillo(&second);
        }
    }
    DestroyTestWindow(&window);
    StopQuillo(&first);
}

bool HasVisibleWindow(DWORD pid) {
    struct Search {
        DWORD pid;
        bool found;
    } search = {pid, false};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && IsWindowVisible(w)) s->found = true;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void StartsHiddenWithTheOption() {
    for (const wchar_t* option : {L"-s", L"/S", L"-silent"}) {
        Note(std::wstring(L"option ") + option);
        UseScript(L"remap.txt");
        Program quillo;
        if (!StartQuillo(&quillo, option)) continue;
        HWND main = nullptr;
        Check(WaitUntil([&] { return (main = QuilloWindow()) && !IsWindowVisible(main); }),
              "the main window exists, hidden");
        TestWindow window = CreateTestWindow(L"quillo e2e");
        if (TakeForeground(window)) {
            // The hook is in place once A types b.
            const bool remapped = WaitUntil([&] {
                ClearTestInput(window);
                TypeKey('A');
                PumpFor(100);
                return EditText(window) == L"b";
            });
            Check(remapped, "keys are remapped while hidden");
        }
        Check(PanelOf(main) == nullptr, "no panel");
        Check(!IsWindowVisible(main), "the main window stays hidden");
        CheckText(WindowText(main), L"", "the main window has no title");
        Check(!HasVisibleWindow(quillo.process.dwProcessId), "no visible window of quillo at all");
        // Started again by the user, the hidden copy comes forward with its panel.
        Program second;
        if (StartQuillo(&second, L"")) {
            Check(WaitForExit(&second) == 0, "the second copy exits with code 0");
            Check(WaitUntil([&] {
                      HWND panel = PanelOf(main);
                      return panel && IsWindowVisible(panel) && IsWindowVisible(main);
                  }),
                  "the hidden copy comes forward with its panel");
            StopQuillo(&second);
        }
        DestroyTestWindow(&window);
        StopQuillo(&quillo);
    }
}

void CloseMessageIsIgnored() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    PostMessageW(main, WM_CLOSE, 0, 0);
    Check(WaitForExit(&quillo, QUIET_MS) == STILL_ACTIVE, "quillo keeps running after WM_CLOSE");
    Check(IsWindow(main) && PanelOf(main) != nullptr, "the main window and its panel stay");
    StopQuillo(&quillo);
}

void ExitCommandsEndWithCodeZero() {
    const struct {
        WORD id;
        const wchar_t* name;
    } commands[] = {{IDOK, L"IDOK"}, {CMD_QUIT, L"CmdQuit"}, {MENU_EXIT, L"MenuExit"}};
    for (const auto& command : commands) {
        Note(command.name);
        UseScript(L"remap.txt");
        Program quillo;
        HWND panel;
        if (!StartWithPanel(&quillo, &panel)) {
            StopQuillo(&quillo);
            continue;
        }
        HWND main = QuilloWindow();
        PostMessageW(main, WM_COMMAND, command.id, 0);
        Check(WaitForExit(&quillo) == 0, "quillo ends with exit code 0");
        Check(!IsWindow(main), "the main window is gone");
        StopQuillo(&quillo);
    }
}

std::wstring StartupShortcutPath() {
    wchar_t folder[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, FALSE);
    return std::wstring(folder) + L"\\quillo.lnk";
}

bool ReadShortcut(const std::wstring& path, std::wstring* program, std::wstring* arguments) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link)));
    ok = ok && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    ok = ok && SUCCEEDED(file->Load(path.c_str(), STGM_READ));
    wchar_t text[MAX_PATH] = {};
    ok = ok && SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0));
    if (ok) *program = text;
    ok = ok && SUCCEEDED(link->GetArguments(text, MAX_PATH));
    if (ok) *arguments = text;
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return ok;
}

void ClickButton(HWND panel, int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(panel, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, WAIT_MS, &result);
}

void CheckButtons(HWND panel, bool shortcutPresent, const char* what) {
    const bool on = IsWindowEnabled(GetDlgItem(panel, AUTO_START_ON)) != FALSE;
    const bool off = IsWindowEnabled(GetDlgItem(panel, AUTO_START_OFF)) != FALSE;
    Check(on == !shortcutPresent && off == shortcutPresent, what);
}

void AutoStartShortcutComesAndGoes() {
    const std::wstring shortcut = StartupShortcutPath();
    DeleteFileW(shortcut.c_str());
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    CheckButtons(panel, false, "without the shortcut only the set button is enabled");

    ClickButton(panel, AUTO_START_ON);
    Check(WaitUntil([&] { return FileExists(shortcut); }), "the set button creates quillo.lnk in the Startup folder");
    CheckButtons(panel, true, "with the shortcut only the remove button is enabled");
    std::wstring program, arguments;
    if (Check(ReadShortcut(shortcut, &program, &arguments), "the shortcut reads as a shell link")) {
        CheckText(program, InProgramDir(L"quillo.exe"), "the shortcut runs quillo.exe beside the program");
        CheckText(arguments, L"-s", "the shortcut starts it hidden");
    }

    ClickButton(panel, AUTO_START_OFF);
    Check(WaitUntil([&] { return !FileExists(shortcut); }), "the remove button deletes the shortcut");
    CheckButtons(panel, false, "after removing only the set button is enabled");

    // A file of that name put there by other means counts as the shortcut when the panel is next made.
    HANDLE other = CreateFileW(shortcut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(other);
    TestWindow window = CreateTestWindow(L"quillo e2e");
    if (TakeForeground(window) && WaitPanelGone(QuilloWindow()) && BringQuilloForward(&panel)) {
        CheckButtons(panel, true, "a foreign quillo.lnk counts as present");
        ClickButton(panel, AUTO_START_OFF);
        Check(WaitUntil([&] { return !FileExists(shortcut); }), "and the remove button deletes it");
    }
    DestroyTestWindow(&window);
    DeleteFileW(shortcut.c_str());
    StopQuillo(&quillo);
}

void PanelFollowsActivation() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    CheckText(WindowText(main), kTitle, "the main window's title while active");
    TestWindow window = CreateTestWindow(L"quillo e2e");
    if (TakeForeground(window) && WaitPanelGone(main)) {
        CheckText(WindowText(main), L"", "the hidden main window has no title");
        if (BringQuilloForward(&panel)) {
            CheckText(WindowText(main), kTitle, "the title comes back with the panel");
            CheckText(StatusLine(panel, 0), L"状態 7", "the new panel shows the status lines");
            PostMessageW(main, WM_COMMAND, MENU_HIDE, 0);
            Check(WaitUntil([&] { return PanelOf(main) == nullptr; }), "the hide command takes the panel away");
        }
    }
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// Any program can post to the main window: addresses outside the engine's buffers are ignored.
void ForeignAddressesAreIgnored() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    const LPARAM addresses[] = {0, 1, 0x10000, 0x7FFE0000, static_cast<LPARAM>(-1), static_cast<LPARAM>(0x7FFFFFFFFFFF)};
    for (WORD id : {CMD_RUN_PROGRAM, CMD_NOTICE, CMD_STATUS_LINE})
        for (LPARAM address : addresses) PostMessageW(main, WM_COMMAND, id, address);
    // A reload queued behind them proves they have been handled when its status line shows.
    UseScript(L"reload.txt");
    PostMessageW(main, WM_COMMAND, MENU_RELOAD, 0);
    Check(WaitUntil([&] { return StatusLine(panel, 0) == L"版 2"; }), "commands after the foreign ones are carried out");
    Check(FindBox(quillo) == nullptr, "no message box for a foreign address");
    Check(WaitForExit(&quillo, 0) == STILL_ACTIVE, "quillo is still running");
    StopQuillo(&quillo);
}

void TooLongDirectoryIsReported() {
    Note(L"program directory: " + std::to_wstring(gProgramDir.size()) + L" units");
    Check(gProgramDir.size() + 10 < 255 && gProgramDir.size() + 17 > 255,
          "the directory leaves room for quillo.exe but not for scriptcommand.txt");
    Program quillo;
    if (!StartQuillo(&quillo, L"")) return;
    CheckText(TakeBox(quillo), L"プログラムのフォルダのパスが長すぎるため scriptcommand.txt を開けません。",
              "the message instead of a cut path");
    HWND panel;
    Check(WaitForPanel(&quillo, &panel), "the program runs on and shows its panel");
    TestWindow window = CreateTestWindow(L"quillo e2e");
    TypeAndExpect(window, L"A", L"a");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

void CloseActionSparesExcludedTitles() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    const struct {
        const wchar_t* title;
        bool closed;
    } cases[] = {{L"quillo e2e", true}, {L"電話 ", false}, {L"電話", true}, {L"Desktop", false}};
    for (const auto& c : cases) {
        Note(std::wstring(L"title \"") + c.title + L"\"");
        TestWindow window = CreateTestWindow(c.title);
        if (TakeForeground(window)) {
            TypeKey(VK_F4);
            TypeAndExpect(window, L"X", L"x");
            if (c.closed) Check(WaitUntil([&] { return CloseRequests() == 1; }), "F4 sends WM_CLOSE to the window");
            else Check(!WaitUntil([&] { return CloseRequests() != 0; }, QUIET_MS), "F4 leaves the window alone");
        }
        DestroyTestWindow(&window);
    }
    StopQuillo(&quillo);
}

HWND CreatePlainWindow(const wchar_t* title, int x) {
    return CreateWindowExW(0, L"QuilloDriverWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 100, 240, 120,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// "B" brings the lowest application window forward, skipping excluded titles; repeated, it cycles.
void NextWindowComesForward() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    // Bottom to top: "Desktop", the second window, the test window.
    TestWindow window = CreateTestWindow(L"quillo e2e");
    HWND excluded = CreatePlainWindow(L"Desktop", 20);
    HWND second = CreatePlainWindow(L"quillo e2e second", 300);
    if (TakeForeground(window)) {
        // Wine leaves the stacking order alone when the foreground moves, so it is set here.
        const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        SetWindowPos(window.frame, HWND_TOP, 0, 0, 0, 0, keep);
        SetWindowPos(excluded, HWND_BOTTOM, 0, 0, 0, 0, keep);
        TypeKey(VK_F6);
        Check(WaitUntil([&] { return GetForegroundWindow() == second; }),
              "the lowest window that is not excluded comes forward");
        TypeKey(VK_F6);
        Check(WaitUntil([&] { return GetForegroundWindow() == window.frame; }), "pressed again, the next one does");
        Check(!WaitUntil([&] { return GetForegroundWindow() == excluded; }, QUIET_MS), "the excluded window never does");
    }
    DestroyTestWindow(&window);
    DestroyWindow(second);
    DestroyWindow(excluded);
    StopQuillo(&quillo);
}

void RunProgramStartsACommand() {
    const std::wstring marker = InProgramDir(L"ran.txt");
    DeleteFileW(marker.c_str());
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    TestWindow window = CreateTestWindow(L"quillo e2e");
    if (TakeForeground(window)) {
        TypeKey(VK_F5);
        Check(WaitUntil([&] { return FileExists(marker); }, 20000), "F5 starts cmd.exe with its arguments");
    }
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// --- pages opened through the shell ---

// What a test prefix's ".html" association runs: this driver with "record", which appends the page it
// was given to a file. The prefix's machine classes are used: Wine's shell does not read the user's.
const wchar_t kPageClass[] = L"QuilloE2ERecordedPage";

struct PageAssociation {
    bool hadHtmlClass = false;
    std::wstring previousHtmlClass;
};

bool SetDefaultValue(HKEY root, const std::wstring& key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool ReadDefaultValue(HKEY root, const wchar_t* key, std::wstring* value) {
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(root, key, nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return false;
    *value = text;
    return true;
}

std::wstring DriverPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

bool RecordOpenedPages(const std::wstring& recordFile, PageAssociation* saved) {
    saved->hadHtmlClass = ReadDefaultValue(HKEY_CLASSES_ROOT, L".html", &saved->previousHtmlClass);
    const std::wstring command = L"\"" + DriverPath() + L"\" record \"" + recordFile + L"\" \"%1\"";
    return Check(SetDefaultValue(HKEY_CLASSES_ROOT, kPageClass + std::wstring(L"\\shell\\open\\command"), command) &&
                     SetDefaultValue(HKEY_CLASSES_ROOT, L".html", kPageClass),
                 "the test's .html association is registered");
}

void RestoreHtmlAssociation(const PageAssociation& saved) {
    if (saved.hadHtmlClass) SetDefaultValue(HKEY_CLASSES_ROOT, L".html", saved.previousHtmlClass);
    else RegDeleteTreeW(HKEY_CLASSES_ROOT, L".html");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kPageClass);
}

// A small UTF-8 text file (up to 4 KiB), or the empty text when it cannot be read.
std::wstring ReadUtf8File(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    char bytes[4096];
    DWORD read = 0;
    ReadFile(file, bytes, sizeof bytes, &read, nullptr);
    CloseHandle(file);
    std::wstring text(read, L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(read), &text[0], static_cast<int>(read)));
    return text;
}

// "record FILE ARGUMENT": appends ARGUMENT and a line feed to FILE.
int RecordOpenedPage(const wchar_t* recordFile, const wchar_t* argument) {
    HANDLE file = CreateFileW(recordFile, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const std::string line = Utf8(argument) + "\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return written == line.size() ? 0 : 1;
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size();
}

// A visible top-level window of quillo's other than its main window (a shell error box, say), or none.
HWND OtherVisibleWindow(DWORD pid, HWND main) {
    struct Search {
        DWORD pid;
        HWND main;
        HWND found;
    } search = {pid, main, nullptr};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && w != s->main && IsWindowVisible(w)) s->found = w;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Names and closes a window that should not be there, so the case can end cleanly.
void CheckNoOtherWindow(const Program& program, HWND main, const char* what) {
    HWND other = OtherVisibleWindow(program.process.dwProcessId, main);
    if (Check(other == nullptr, what)) return;
    Note(L"window \"" + WindowText(other) + L"\": " + BoxText(other));
    CloseBox(other);
}

std::wstring WithSlashes(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return path;
}

// The manual (menu) and the update page (about box) beside quillo.exe reach the program that the
// shell has for .html, the update page with its fragment.
void PagesOpenThroughTheShell() {
    const std::wstring record = InProgramDir(L"opened.txt");
    DeleteFileW(record.c_str());
    WriteTextFile(InProgramDir(L"index.html"), "<html><body><h1 id=\"release-notes\">quillo</h1></body></html>\n");
    UseScript(L"remap.txt");
    PageAssociation saved;
    if (!RecordOpenedPages(record, &saved)) return RestoreHtmlAssociation(saved);
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) {
        RestoreHtmlAssociation(saved);
        return StopQuillo(&quillo);
    }
    HWND main = QuilloWindow();
    const struct {
        const wchar_t* name;
        bool viaAboutBox;
        std::wstring opened;
    } pages[] = {
        {L"the manual from the menu", false, InProgramDir(L"index.html")},
        {L"the update page from the about box", true,
         L"file:///" + WithSlashes(InProgramDir(L"index.html")) + L"#release-notes"},
    };
    std::wstring expected;
    for (const auto& page : pages) {
        Note(page.name);
        if (page.viaAboutBox) {
            PostMessageW(main, WM_COMMAND, MENU_ABOUT, 0);
            HWND about = nullptr;
            if (!Check(WaitUntil([&] { return (about = FindAboutBox(quillo)) != nullptr; }), "the about box appears"))
                continue;
            PostMessageW(GetDlgItem(about, WEB_BUTTON), BM_CLICK, 0, 0);
            Check(WaitUntil([&] { return !IsWindow(about); }), "the web button closes the about box");
        } else {
            PostMessageW(main, WM_COMMAND, MENU_MANUAL, 0);
        }
        expected += page.opened + L"\n";
        WaitUntil([&] { return ReadUtf8File(record) == expected; });
        CheckText(ReadUtf8File(record), expected, "the pages the .html program was given, one a line");
        CheckNoOtherWindow(quillo, main, "no box from the shell");
    }
    Check(WaitForExit(&quillo, 0) == STILL_ACTIVE, "quillo runs on");
    StopQuillo(&quillo);
    RestoreHtmlAssociation(saved);
}

// --- activation repeated ---

int PanelCount(HWND main) {
    int count = 0;
    for (HWND w = FindWindowExW(main, nullptr, L"#32770", nullptr); w; w = FindWindowExW(main, w, L"#32770", nullptr))
        ++count;
    return count;
}

bool SendActivate(HWND main, WORD state) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(main, WM_ACTIVATE, state, 0, SMTO_ABORTIFHUNG, WAIT_MS, &result) != 0;
}

// Becoming active while the panel is there, or inactive while it is gone, changes nothing.
void ActivationTwiceChangesNothing() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    const wchar_t typed[] = L"テスト abc";
    SetWindowTextW(GetDlgItem(panel, TEST_EDIT), typed);
    for (int round = 1; round <= 2; ++round) {
        Note(L"active, time " + std::to_wstring(round));
        Check(SendActivate(main, WA_ACTIVE), "WM_ACTIVATE is answered");
        Check(PanelOf(main) == panel && IsWindowVisible(panel), "the same panel stays shown");
        Check(PanelCount(main) == 1, "one panel only");
        CheckText(WindowText(GetDlgItem(panel, TEST_EDIT)), typed, "the test box keeps its text");
        CheckText(WindowText(main), kTitle, "the main window keeps its title");
    }
    for (int round = 1; round <= 2; ++round) {
        Note(L"inactive, time " + std::to_wstring(round));
        Check(SendActivate(main, WA_INACTIVE), "WM_ACTIVATE is answered");
        Check(PanelOf(main) == nullptr && !IsWindow(panel), "the panel is destroyed");
        Check(!IsWindowVisible(main), "the main window is hidden");
        CheckText(WindowText(main), L"", "the main window has no title");
        Check(GetWindowTextLengthW(main) == 0, "its title length is 0");
        // The desktop keeps WS_CLIPSIBLINGS on every top-level window whatever style is set.
        const LONG style = GetWindowLongW(main, GWL_STYLE);
        Check((style & ~WS_CLIPSIBLINGS) == 0, "the main window's style is stripped");
        wchar_t shown[32];
        swprintf(shown, 32, L"style as read: 0x%08lX", static_cast<unsigned long>(style));
        Note(shown);
    }
    Check(WaitForExit(&quillo, 0) == STILL_ACTIVE, "quillo runs on");
    // Active again: a fresh panel with an empty test box and the script's status lines.
    if (Check(SendActivate(main, WA_ACTIVE), "WM_ACTIVATE is answered") &&
        Check(WaitForPanel(&quillo, &panel), "a new panel comes")) {
        CheckText(WindowText(GetDlgItem(panel, TEST_EDIT)), L"", "the new panel's test box is empty");
        CheckText(StatusLine(panel, 0), L"状態 7", "the new panel shows the status lines");
        CheckText(WindowText(main), kTitle, "the title is back");
        Check(IsWindowVisible(main), "the main window is shown");
    }
    StopQuillo(&quillo);
}

// --- screenshots: taken by e2e.sh, which watches the program directory ---

// Asks for a picture of `window`'s rectangle: NAME.shot holds "WxH+X+Y"; e2e.sh saves NAME.png among the
// test artefacts and answers in NAME.shot-result with "DEVIATION COLOURS WxH" (the picture's standard
// deviation of brightness, its number of colours and its size) or a line starting "failed".
void CheckScreenshot(const wchar_t* name, HWND window) {
    Note(std::wstring(L"screenshot ") + name);
    // Have everything painted before the picture is taken.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r = {};
    GetWindowRect(window, &r);
    char geometry[64];
    std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    const std::wstring request = InProgramDir(name) + L".shot";
    const std::wstring result = request + L"-result";
    DeleteFileW(result.c_str());
    if (!Check(WriteTextFile(request + L".tmp", geometry) &&
                   MoveFileExW((request + L".tmp").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING),
               "the screenshot is asked for"))
        return;
    if (!Check(WaitUntil([&] { return FileExists(result); }), "e2e.sh answers the screenshot request")) return;
    const std::wstring answer = ReadUtf8File(result);
    double deviation = 0;
    int colours = 0, width = 0, height = 0;
    if (!Check(swscanf(answer.c_str(), L"%lf %d %dx%d", &deviation, &colours, &width, &height) == 4,
               "the screenshot was saved")) {
        Note(L"answer: " + answer);
        return;
    }
    Check(width == r.right - r.left && height == r.bottom - r.top, "the picture has the window's size");
    Check(deviation > 0 && colours > 2, "the picture is not a flat colour");
}

// Pictures of the panel and the about box for the test artefacts.
void ScreenshotsOfPanelAndAboutBox() {
    UseScript(L"remap.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    TestWindow window = CreateTestWindow(L"quillo e2e");
    if (TakeForeground(window) && WaitPanelGone(main) && BringQuilloForward(&panel)) {
        SetWindowTextW(GetDlgItem(panel, TEST_EDIT), L"入力テスト abc");
        CheckScreenshot(L"panel", main);
        PostMessageW(main, WM_COMMAND, MENU_ABOUT, 0);
        HWND about = nullptr;
        if (Check(WaitUntil([&] { return (about = FindAboutBox(quillo)) != nullptr; }), "the about box appears")) {
            CheckScreenshot(L"about-box", about);
            PostMessageW(about, WM_COMMAND, IDOK, 0);
            Check(WaitUntil([&] { return !IsWindow(about); }), "the about box closes");
        }
    }
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// --- the demonstration run by scripts/demo (not a test) ---

// Key names: a letter or digit, F1-F12, CAPS, LEFT, RIGHT, UP, DOWN, SPACE, RETURN, or 0xNN.
BYTE KeyNamed(const std::wstring& name) {
    const struct {
        const wchar_t* name;
        BYTE vk;
    } named[] = {{L"CAPS", VK_CAPITAL}, {L"LEFT", VK_LEFT}, {L"RIGHT", VK_RIGHT}, {L"UP", VK_UP},
                 {L"DOWN", VK_DOWN},    {L"SPACE", VK_SPACE}, {L"RETURN", VK_RETURN}};
    for (const auto& n : named)
        if (name == n.name) return n.vk;
    if (name.size() == 1 && iswalnum(name[0])) return static_cast<BYTE>(towupper(name[0]));
    if (name.size() >= 2 && name[0] == L'F' && iswdigit(name[1])) return static_cast<BYTE>(VK_F1 + _wtoi(name.c_str() + 1) - 1);
    if (name.rfind(L"0x", 0) == 0) return static_cast<BYTE>(wcstoul(name.c_str(), nullptr, 16));
    return 0;
}

void PrintPanel(HWND panel) {
    for (int n = 0; n < 6; ++n) Note(L"panel line " + std::to_wstring(n) + L": " + StatusLine(panel, n));
}

// Types `keys` into a window of its own while quillo runs, prints what arrived and what the panel shows,
// then waits for DEMO-DIR\demo.done (the screenshot) before it ends quillo.
void Demo(const std::wstring& keys) {
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    TestWindow window = CreateTestWindow(L"quillo demo: test window");
    if (TakeForeground(window)) {
        Note(L"typing: " + keys);
        size_t start = 0;
        while (start < keys.size()) {
            size_t end = keys.find(L' ', start);
            if (end == std::wstring::npos) end = keys.size();
            if (BYTE vk = KeyNamed(keys.substr(start, end - start))) TypeKey(vk);
            start = end + 1;
        }
        // Done when the window has had nothing new for a while.
        std::wstring seen;
        WaitUntil([&] {
            const std::wstring now = EditText(window) + KeyLog();
            const bool settled = now == seen;
            seen = now;
            PumpFor(300);
            return settled;
        });
        Note(L"the test window received: \"" + EditText(window) + L"\"");
        Note(L"its key messages (d down, u up, virtual-key code): " + KeyLog());
    }
    if (BringQuilloForward(&panel)) PrintPanel(panel);
    std::printf("READY\n");
    std::fflush(stdout);
    WaitUntil([] { return GetFileAttributesW(InProgramDir(L"demo.done").c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

const Case kCases[] = {
    {L"keys-remapped", KeysAreRemapped},
    {L"status-lines", StatusLinesShowInThePanel},
    {L"notice", NoticeShowsInAMessageBox},
    {L"compile-errors", CompileErrorsNameTheirLine},
    {L"missing-script", MissingScriptIsReportedAndKeysPass},
    {L"reload", ReloadCompilesTheEditedScript},
    {L"reload-during-compile", ReloadDuringACompileWaits},
    {L"single-instance", SecondCopyBringsTheFirstForward},
    {L"start-hidden", StartsHiddenWithTheOption},
    {L"close-ignored", CloseMessageIsIgnored},
    {L"exit-commands", ExitCommandsEndWithCodeZero},
    {L"auto-start", AutoStartShortcutComesAndGoes},
    {L"panel-activation", PanelFollowsActivation},
    {L"foreign-addresses", ForeignAddressesAreIgnored},
    {L"long-directory", TooLongDirectoryIsReported},
    {L"close-action", CloseActionSparesExcludedTitles},
    {L"run-program", RunProgramStartsACommand},
    {L"about-box", AboutBoxOpensAndCloses},
    {L"next-window", NextWindowComesForward},
    {L"open-pages", PagesOpenThroughTheShell},
    {L"activation-twice", ActivationTwiceChangesNothing},
    {L"screenshots", ScreenshotsOfPanelAndAboutBox},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"record") return RecordOpenedPage(argv[2], argv[3]);
    if (argc == 4 && std::wstring(argv[1]) == L"demo") {
        gProgramDir = argv[2];
        if (gProgramDir.back() != L'\\') gProgramDir += L'\\';
        Demo(argv[3]);
        return FailureCount() ? 1 : 0;
    }
    if (argc != 3) {
        std::printf("usage: quillo-e2e-driver CASE PROGRAM-DIR\n");
        PrintCaseNames(kCases, std::size(kCases));
        return 2;
    }
    gProgramDir = argv[2];
    if (gProgramDir.empty() || gProgramDir.back() != L'\\') gProgramDir += L'\\';
    return RunNamedCase(kCases, std::size(kCases), argv[1]);
}
