// The reliability cases: quillo.exe under Wine driven from another process, with many keys, reloads,
// notices, hostile commands, a hook lost behind the program's back, and timings.
// Usage: quillo-reliability-driver.exe CASE PROGRAM-DIR SIZE
//   (PROGRAM-DIR holds quillo.exe, the test scripts and sample.txt; SIZE is the case's count of key
//   events, 0 where the case has no size)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_support.h"
#include "quillo_symbols.h"
#include "worst_scripts.h"

namespace {

constexpr WORD MENU_RELOAD = 40024;
constexpr WORD CMD_RUN_PROGRAM = 30000;
constexpr WORD CMD_WINDOW_ACTION = 30003;
constexpr WORD CMD_NOTICE = 30004;
constexpr WORD CMD_STATUS_LINE = 30005;
constexpr int STATUS_SLOT_SIZE = 50;
constexpr int STATUS_SLOTS = 6;
constexpr int NOTICE_BUFFER_SIZE = 256;
constexpr double HOOK_TIMEOUT_DEFAULT_MS = 300.0;  // LowLevelHooksTimeout by default
constexpr double HOOK_TIMEOUT_MAX_MS = 1000.0;     // the longest LowLevelHooksTimeout desktop Windows allows
constexpr BYTE VK_NOTICE_KEY = VK_F2;
constexpr BYTE VK_SHIFT_HOLD_KEY = VK_F6;

// ---------------------------------------------------------------- small helpers

std::wstring InProgramDir(const wchar_t* name) { return gProgramDir + name; }

bool UseScript(const wchar_t* name) {
    return Check(CopyFileW(InProgramDir(name).c_str(), InProgramDir(L"scriptcommand.txt").c_str(), FALSE) != FALSE,
                 "the test script is copied to scriptcommand.txt");
}

bool WriteScript(const std::string& text) {
    HANDLE file = CreateFileW(InProgramDir(L"scriptcommand.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return Check(ok, "the script is written to scriptcommand.txt");
}

std::string ReadProgramFile(const wchar_t* name) {
    std::string text;
    HANDLE file = CreateFileW(InProgramDir(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    text.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!ReadFile(file, &text[0], DWORD(text.size()), &read, nullptr)) text.clear();
    CloseHandle(file);
    return text;
}

// Handles whatever is queued for our own windows, without waiting.
void DrainMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void KeyEvent(BYTE vk, bool up) {
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0, 0);
}

// A key pressed and released as fast as the system takes it.
void Stroke(BYTE vk) {
    KeyEvent(vk, false);
    KeyEvent(vk, true);
    DrainMessages();
}

bool QuilloRuns(const Program& quillo) { return WaitForSingleObject(quillo.process.hProcess, 0) == WAIT_TIMEOUT; }

bool StartWithPanel(Program* quillo, HWND* panel) {
    if (!StartQuillo(quillo, L"")) return false;
    return Check(WaitForPanel(quillo, panel), "the panel appears at start-up");
}

// Closes every message box of quillo that is open or opens within `quietMs`; returns their texts.
std::vector<std::wstring> CloseAllBoxes(const Program& quillo, DWORD quietMs) {
    std::vector<std::wstring> texts;
    for (;;) {
        HWND box = WaitForBox(quillo, quietMs);
        if (!box) return texts;
        texts.push_back(BoxText(box));
        CloseBox(box);
    }
}

struct Memory {
    SIZE_T workingSet;
    SIZE_T committed;  // private bytes: Wine reports them here, not in PrivateUsage
};

Memory MemoryOf(const Program& quillo) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(quillo.process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return Memory{counters.WorkingSetSize, counters.PagefileUsage};
}

double Kb(SIZE_T bytes) { return double(bytes) / 1024.0; }

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t i = size_t(p * double(values.size() - 1) + 0.5);
    return values[std::min(i, values.size() - 1)];
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void Print(const char* format, double a = 0, double b = 0, double c = 0, double d = 0) {
    std::printf(format, a, b, c, d);
    std::fflush(stdout);
}

// ---------------------------------------------------------------- the stress script's model

// What the test window receives for one stroke of `vk` under stress.txt: text and key messages.
struct Outcome {
    const wchar_t* text;
    const wchar_t* keys;
};

Outcome StressOutcome(BYTE vk) {
    switch (vk) {
    case 'A': return {L"b", L"d42 u42 "};
    case 'C': return {L"D", L"d10 d44 u44 u10 "};
    case 'E': return {L"", L""};
    case 'F': return {L"f", L"d46 u46 "};
    case 'X': return {L"x", L"d58 u58 "};
    case 'Y': return {L"y", L"d59 u59 "};
    case 'Q': return {L"q", L"d51 u51 "};
    default: return {L"?", L"?"};
    }
}

// Key strokes in a fixed pseudo-random order.
BYTE StressKey(uint32_t* state) {
    static const BYTE keys[] = {'A', 'C', 'E', 'F', 'X', 'Y', 'Q'};
    *state = *state * 1103515245u + 12345u;
    return keys[(*state >> 16) % (sizeof keys)];
}

// ---------------------------------------------------------------- stress

constexpr int STRESS_CHUNK = 100;           // strokes between checks of the test window
constexpr int STRESS_RELOAD_EVERY = 25;     // strokes between reload requests
constexpr SIZE_T MEMORY_GROWTH_LIMIT = 1024 * 1024;

// `events` key events (down and up each count) through the stress script while reloads are requested
// and notices open; every passed key must arrive once and in order, every remapped key as its keys.
void Stress(int events) {
    UseScript(L"stress.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    TestWindow window = CreateTestWindow(L"quillo reliability");
    const int strokes = events / 2;
    uint32_t random = 7;
    int reloads = 0, notices = 0, countedKeys = 0, eCount = 0, fCount = 0, done = 0;
    Memory before = {}, after = {};
    const DWORD start = GetTickCount();
    bool ok = true;
    while (ok && done < strokes) {
        if (!(ok = TakeForeground(window))) break;
        ClearTestInput(window);
        std::wstring text, keys;
        const int chunk = std::min(STRESS_CHUNK, strokes - done);
        for (int i = 0; i < chunk; ++i, ++done) {
            const BYTE vk = StressKey(&random);
            Stroke(vk);
            text += StressOutcome(vk).text;
            keys += StressOutcome(vk).keys;
            if (vk != 'X' && vk != 'Y' && vk != 'Q') countedKeys += 2;
            if (vk == 'E') ++eCount;
            if (vk == 'F') ++fCount;
            if (done % STRESS_RELOAD_EVERY == 0) {
                PostMessageW(main, WM_COMMAND, MENU_RELOAD, 0);
                ++reloads;
            }
        }
        WaitUntil([&] { return EditText(window) == text && KeyLog() == keys; }, 5000);
        ok = CheckText(EditText(window), text, "the test window's text after a chunk of keys") &&
             CheckText(KeyLog(), keys, "the test window's key messages after a chunk of keys");
        // A notice per chunk; its box takes the foreground, which the next chunk takes back.
        Stroke(VK_NOTICE_KEY);
        countedKeys += 2;
        ++notices;
        const std::wstring notice = TakeBox(quillo);
        ok = ok && CheckText(notice, L"通知 " + std::to_wstring(eCount), "the notice counts the E keys so far");
        ok = ok && Check(QuilloRuns(quillo), "quillo runs on");
        if (done == std::min(STRESS_CHUNK, strokes)) before = MemoryOf(quillo);
    }
    const double seconds = (GetTickCount() - start) / 1000.0;
    if (ok) {
        // A last reload, then a key: the status lines show the totals the engine counted.
        PostMessageW(main, WM_COMMAND, MENU_RELOAD, 0);
        ++reloads;
        TakeForeground(window);
        Stroke('E');
        countedKeys += 2;
        ++eCount;
        after = MemoryOf(quillo);
        if (BringQuilloForward(&panel)) {
            const std::wstring loads = L"loads " + std::to_wstring(reloads + 1);
            const std::wstring counted = L"keys " + std::to_wstring(countedKeys);
            WaitUntil([&] { return StatusLine(panel, 1) == counted && StatusLine(panel, 0) == loads; });
            CheckText(StatusLine(panel, 0), loads, "every reload compiled once (status line 0)");
            CheckText(StatusLine(panel, 1), counted, "every key with a key function ran once (status line 1)");
            CheckText(StatusLine(panel, 3), L"e " + std::to_wstring(eCount), "every E counted once (status line 3)");
        }
        Print("  %.0f key events (%.0f strokes) in %.1f s", double(done * 2), double(done), seconds);
        Print(", %.0f reloads", double(reloads));
        // Status lines: one per key event with a key function (pre-key), per E, per F and per compile.
        Print(", %.0f notices, %.0f status lines posted\n", double(notices),
              double(countedKeys + eCount + fCount + reloads + 1));
        Print("  working set %.0f KB before, %.0f KB after; private bytes %.0f KB before, %.0f KB after\n",
              Kb(before.workingSet), Kb(after.workingSet), Kb(before.committed), Kb(after.committed));
        Check(before.workingSet != 0 && before.committed != 0, "the memory counters of quillo can be read");
        Check(after.committed <= before.committed + MEMORY_GROWTH_LIMIT, "private bytes stay flat (< 1 MB growth)");
        Check(after.workingSet <= before.workingSet + MEMORY_GROWTH_LIMIT, "the working set stays flat (< 1 MB growth)");
    }
    Check(QuilloRuns(quillo), "quillo is still running");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// ---------------------------------------------------------------- hostile commands

bool WriteQuillo(const Program& quillo, uintptr_t address, const void* bytes, size_t size) {
    SIZE_T written = 0;
    return WriteProcessMemory(quillo.process.hProcess, reinterpret_cast<void*>(address), bytes, size, &written) &&
           written == size;
}

// Puts `text` into quillo's status slot `slot` with index byte `index`.
bool WriteSlot(const Program& quillo, const QuilloAddresses& at, int slot, uint8_t index, const char* text) {
    char bytes[STATUS_SLOT_SIZE] = {};
    bytes[0] = char(index);
    lstrcpynA(bytes + 1, text, STATUS_SLOT_SIZE - 1);
    return WriteQuillo(quillo, at.statusSlots + uintptr_t(slot) * STATUS_SLOT_SIZE, bytes, sizeof bytes);
}

std::vector<std::wstring> StatusLines(HWND panel) {
    std::vector<std::wstring> lines;
    for (int n = 0; n < STATUS_SLOTS; ++n) lines.push_back(StatusLine(panel, n));
    return lines;
}

// Addresses no program could know to be valid in quillo: null, tiny, kernel range, all ones, shared user
// data, quillo's own image header, this driver's stack, heap and code, and the bytes just around the
// engine's buffers.
std::vector<uintptr_t> BogusAddresses(const QuilloAddresses& at) {
    static char driverData[64] = "driver data";
    std::vector<uintptr_t> addresses = {
        0, 1, 2, 0xFFFF, 0x10000, 0x7FFE0000, 0x7FFFFFFEFFFF, uintptr_t(0xFFFF800000000000ull),
        uintptr_t(0xFFFFF78000000000ull), ~uintptr_t(0), ~uintptr_t(0) - 4095, at.moduleBase, at.moduleBase + 0x1000,
        reinterpret_cast<uintptr_t>(&addresses), reinterpret_cast<uintptr_t>(driverData),
        reinterpret_cast<uintptr_t>(&BogusAddresses), reinterpret_cast<uintptr_t>(malloc(16)),
        at.noticeBuffer - 1, at.noticeBuffer - 64,
    };
    const uintptr_t slotsEnd = at.statusSlots + STATUS_SLOTS * STATUS_SLOT_SIZE;
    for (uintptr_t a : {slotsEnd, slotsEnd + 1, slotsEnd + 16}) addresses.push_back(a);
    return addresses;
}

// Addresses inside the status slots that are not where a slot starts: never a status line.
std::vector<uintptr_t> MisalignedSlotAddresses(const QuilloAddresses& at) {
    std::vector<uintptr_t> addresses;
    for (int slot = 0; slot < STATUS_SLOTS; ++slot)
        for (int offset : {1, 2, 25, 49}) addresses.push_back(at.statusSlots + slot * STATUS_SLOT_SIZE + offset);
    addresses.push_back(at.statusSlots - 1);
    addresses.push_back(at.noticeBuffer);
    return addresses;
}

// Posts `count` reload requests and waits until status line 0 says `loads` compiles have run.
bool ReloadAndWait(HWND main, HWND panel, int count, int loads) {
    for (int i = 0; i < count; ++i) PostMessageW(main, WM_COMMAND, MENU_RELOAD, 0);
    const std::wstring expected = L"loads " + std::to_wstring(loads);
    WaitUntil([&] { return StatusLine(panel, 0) == expected; }, 30000);
    return CheckText(StatusLine(panel, 0), expected, "status line 0 counts the compiles");
}

int LoadsShown(HWND panel) {
    const std::wstring line = StatusLine(panel, 0);
    return line.rfind(L"loads ", 0) == 0 ? _wtoi(line.c_str() + 6) : -1;
}

void HostileCommands() {
    UseScript(L"stress.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND main = QuilloWindow();
    QuilloAddresses at = {};
    if (!Check(FindQuilloAddresses(InProgramDir(L"quillo.exe"), quillo.process.hProcess, &at),
               "quillo's buffers are found from its symbol table and module base"))
        return StopQuillo(&quillo);
    Note(L"gNoticeBuffer and gStatusSlots found in quillo");

    // Give the notice buffer and status line 3 known texts.
    TestWindow window = CreateTestWindow(L"quillo reliability");
    if (TakeForeground(window)) {
        Stroke('E');
        Stroke(VK_NOTICE_KEY);
        CheckText(TakeBox(quillo), L"通知 1", "the notice of F2");
    }
    // The real address works: the checks below are about the addresses around it.
    PostMessageW(main, WM_COMMAND, CMD_NOTICE, LPARAM(at.noticeBuffer));
    CheckText(TakeBox(quillo), L"通知 1", "a notice at the notice buffer's own address shows its text");
    if (!BringQuilloForward(&panel)) return StopQuillo(&quillo);
    WaitUntil([&] { return StatusLine(panel, 3) == L"e 1"; });
    const std::vector<std::wstring> lines = StatusLines(panel);

    Note(L"bogus addresses, misaligned slot addresses, unknown ids, out-of-range line indexes");
    for (uintptr_t address : BogusAddresses(at))
        for (WORD id : {CMD_RUN_PROGRAM, CMD_NOTICE, CMD_STATUS_LINE})
            PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0xFFFF), LPARAM(address));
    for (uintptr_t address : MisalignedSlotAddresses(at)) PostMessageW(main, WM_COMMAND, CMD_STATUS_LINE, LPARAM(address));
    for (WORD id : {0, 2, 3, 1000, 29999, 30006, 30100, 39999, 40000, 40004, 40025, 65535})
        for (uintptr_t address : {uintptr_t(0), at.noticeBuffer, at.statusSlots, ~uintptr_t(0)})
            PostMessageW(main, WM_COMMAND, id, LPARAM(address));
    for (LPARAM letter : {LPARAM(0), LPARAM('E'), LPARAM('Z'), LPARAM(0xFFFF), LPARAM(0x7FFFFFFF)}) PostMessageW(main, WM_COMMAND, CMD_WINDOW_ACTION, letter);
    // Slot 4 carries a line index outside 0-5 each time it is posted.
    for (uint8_t index : {6, 7, 0x80, 0xFF}) {
        WriteSlot(quillo, at, 4, index, "bad index");
        PostMessageW(main, WM_COMMAND, CMD_STATUS_LINE, LPARAM(at.statusSlots + 4 * STATUS_SLOT_SIZE));
        PumpFor(20);
    }
    // Slot 5 with its right index goes last: once it shows, everything above has been handled.
    WriteSlot(quillo, at, 5, 5, "probe");
    PostMessageW(main, WM_COMMAND, CMD_STATUS_LINE, LPARAM(at.statusSlots + 5 * STATUS_SLOT_SIZE));
    Check(WaitUntil([&] { return StatusLine(panel, 5) == L"probe"; }), "a command after the hostile ones is carried out");
    for (int n = 0; n < 5; ++n)
        CheckText(StatusLine(panel, n), lines[n], "a status line the hostile commands must not change");
    Check(FindBox(quillo) == nullptr, "no message box for any of them");
    Check(QuilloRuns(quillo), "quillo runs on");

    Note(L"200 reload requests in a burst");
    const int loads = LoadsShown(panel);
    Check(loads > 0, "status line 0 shows the compile count");
    const DWORD burstStart = GetTickCount();
    ReloadAndWait(main, panel, 200, loads + 200);
    Print("  200 reloads handled in %.1f s\n", (GetTickCount() - burstStart) / 1000.0);
    Check(FindBox(quillo) == nullptr, "the burst shows no message");

    Note(L"reload requests while a compile's message box is open");
    const std::string good = ReadProgramFile(L"scriptcommand.txt");
    WriteScript(good + "\r\nbogus 1\r\n");
    PostMessageW(main, WM_COMMAND, MENU_RELOAD, 0);
    HWND box = WaitForBox(quillo);
    if (Check(box != nullptr, "the faulty script's compile message appears")) {
        for (int i = 0; i < 20; ++i) PostMessageW(main, WM_COMMAND, MENU_RELOAD, 0);
        PumpFor(300);
        // The user mends the script while the message is still open; the waiting reload compiles it.
        WriteScript(good);
        CloseBox(box);
        const std::vector<std::wstring> more = CloseAllBoxes(quillo, QUIET_MS * 2);
        Check(more.empty(), "the 20 requests made one more compile, of the mended script, without messages");
        if (BringQuilloForward(&panel)) {
            const std::wstring expected = L"loads " + std::to_wstring(loads + 202);
            WaitUntil([&] { return StatusLine(panel, 0) == expected; });
            CheckText(StatusLine(panel, 0), expected, "the faulty compile and one waiting reload ran, no more");
        }
    }
    Check(QuilloRuns(quillo), "quillo runs on");
    TypeAndExpect(window, L"AX", L"bx");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// ---------------------------------------------------------------- watchdog

constexpr UINT MSG_TEST_LOSE_HOOK = WM_APP + 2;
constexpr UINT MSG_TEST_PROBE_COUNTS = WM_APP + 3;
constexpr DWORD WATCHDOG_CHECK_MS = 5000;
constexpr DWORD WATCHDOG_SILENCE_MS = 1000;

HWND WatchdogWindow() { return FindWindowExW(HWND_MESSAGE, nullptr, L"QuilloHookWatchdog", nullptr); }

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(&text[0], DWORD(text.size()));
    return text;
}

// Types `keys` (one stroke each) and waits for the window to hold `expected` (in any case when `anyCase`).
bool TypeInto(const TestWindow& window, const std::wstring& keys, const std::wstring& expected, const char* what,
              bool anyCase = false) {
    for (wchar_t key : keys) Stroke(static_cast<BYTE>(key));
    auto text = [&] { return anyCase ? Lower(EditText(window)) : EditText(window); };
    WaitUntil([&] { return text() == expected; }, 3000);
    return CheckText(text(), expected, what);
}

// Probes begun, suspects found dead, suspects found alive (the watchdog's test switch).
struct ProbeCounts {
    int probes, dead, alive;
};

ProbeCounts ProbeCountsOf(HWND watchdog) {
    DWORD_PTR counts = 0;
    SendMessageTimeoutW(watchdog, MSG_TEST_PROBE_COUNTS, 0, 0, SMTO_ABORTIFHUNG, WAIT_MS, &counts);
    return ProbeCounts{int(counts >> 16 & 0xFF), int(counts >> 8 & 0xFF), int(counts & 0xFF)};
}

bool CheckProbes(HWND watchdog, ProbeCounts expected, const char* what) {
    const ProbeCounts c = ProbeCountsOf(watchdog);
    const bool ok = c.probes == expected.probes && c.dead == expected.dead && c.alive == expected.alive;
    if (!ok) std::printf("  probes %d, dead %d, alive %d\n", c.probes, c.dead, c.alive);
    return Check(ok, what);
}

// The hook is removed behind quillo's back while F6 holds Shift down; the watchdog must notice, put the
// hook back and release Shift, and no key may arrive twice. Then a false alarm: mouse input only,
// with the hook alive and Shift held: nothing may be released or doubled.
void Watchdog() {
    SetEnvironmentVariableW(L"QUILLO_TEST_HOOK_LOSS", L"1");
    UseScript(L"stress.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    HWND watchdog = WatchdogWindow();
    if (!Check(watchdog != nullptr, "quillo has its hook watchdog window")) return StopQuillo(&quillo);
    TestWindow window = CreateTestWindow(L"quillo reliability");
    if (!TakeForeground(window)) return StopQuillo(&quillo);

    TypeInto(window, L"A", L"b", "the hook remaps A");
    KeyEvent(VK_SHIFT_HOLD_KEY, false);  // Shift down, injected by the engine; F6 stays down
    DrainMessages();
    DWORD_PTR lost = 0;
    SendMessageTimeoutW(watchdog, MSG_TEST_LOSE_HOOK, 0, 0, SMTO_ABORTIFHUNG, WAIT_MS, &lost);
    Check(lost == 1, "the test switch removes the hook");
    KeyEvent(VK_SHIFT_HOLD_KEY, true);  // released while nobody listens: Shift stays down
    DrainMessages();
    // Keys more than the hook's longest possible call after its last call are input it missed.
    PumpFor(WATCHDOG_SILENCE_MS + 300);
    TypeInto(window, L"AX", L"bAX", "without the hook A passes, and the engine's Shift is stuck");
    CheckProbes(watchdog, {0, 0, 0}, "no probe before the watchdog's check");
    // The next check puts a hook in front; the first key passed on shows the old one is gone, and
    // Shift is released after it.
    PumpFor(WATCHDOG_CHECK_MS + 500);
    CheckProbes(watchdog, {1, 0, 0}, "the check began a probe");
    // X down is passed on without reaching the old hook; Shift is released before X goes up.
    KeyEvent('X', false);
    PumpFor(300);
    KeyEvent('X', true);
    TypeInto(window, L"", L"bAXX", "a key passed by the new hook");
    TypeInto(window, L"AX", L"bAXXbx", "remapped again, and Shift has been released");
    CheckText(KeyLog(), L"d42 u42 d10 u75 d41 u41 d58 u58 d58 u10 u58 d42 u42 d58 u58 ", "every key message arrived once");
    CheckProbes(watchdog, {1, 1, 0}, "the probe found the old hook dead");

    Note(L"false alarm: mouse input only, hook alive, Shift held");
    ClearTestInput(window);
    KeyEvent(VK_SHIFT_HOLD_KEY, false);
    DrainMessages();
    PumpFor(WATCHDOG_SILENCE_MS + 300);
    for (int i = 0; i < 5; ++i) {
        mouse_event(MOUSEEVENTF_MOVE, 3, 3, 0, 0);
        PumpFor(100);
    }
    PumpFor(WATCHDOG_CHECK_MS + 500);
    CheckProbes(watchdog, {2, 1, 0}, "the mouse input began a probe");
    // Wine itself drops the injected Shift from the key state after mouse input, so the letters' case
    // says nothing here; the key messages show that only F6's release lets Shift go.
    TypeInto(window, L"AX", L"bx", "with both hooks in place each key is handled once", true);
    PumpFor(200);
    CheckProbes(watchdog, {2, 1, 1}, "the probe found the old hook alive");
    KeyEvent(VK_SHIFT_HOLD_KEY, true);
    TypeInto(window, L"AX", L"bxbx", "F6 released", true);
    CheckText(KeyLog(), L"d10 d42 u42 d58 u58 u10 d42 u42 d58 u58 ", "every key message arrived once, no Shift released early");
    Check(QuilloRuns(quillo), "quillo runs on");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// ---------------------------------------------------------------- hook time inside quillo.exe

// Under Wine keybd_event returns only when every low-level hook has handled the event, so its duration
// is the hook's time plus Wine's own cost, which the key without a function shows. Each event is sent
// to an idle quillo, after the notices of the one before have been closed: a thread busy opening a
// message box would make the key wait too (see the report on the single thread).
std::vector<double> TimeKeyEvents(const Program& quillo, BYTE vk, int events, int noticesPerEvent) {
    std::vector<double> ms;
    for (int i = 0; i < events; ++i) {
        WaitForInputIdle(quillo.process.hProcess, WAIT_MS);
        const double start = NowMs();
        KeyEvent(vk, i % 2 == 1);
        ms.push_back(NowMs() - start);
        DrainMessages();
        for (int n = 0; n < noticesPerEvent; ++n) TakeBox(quillo);
    }
    return ms;
}

void HookTime(int events) {
    for (const WorstScript& script : WORST_SCRIPTS) {
        if (!WriteScript(WorstScriptText(script.kind))) return;
        Program quillo;
        HWND panel;
        if (!StartWithPanel(&quillo, &panel)) {
            StopQuillo(&quillo);
            continue;
        }
        const std::vector<double> pass = TimeKeyEvents(quillo, VK_F8, events, 0);
        // A run cut off by a per-run limit posts its notice: the pre-key and the key function each.
        const std::vector<double> worst = TimeKeyEvents(quillo, WORST_SCRIPT_KEY, events, script.endsAtStepLimit ? 2 : 0);
        Check(CloseAllBoxes(quillo, QUIET_MS).empty(), "no notices beyond the step-limit ones");
        const double worstMax = Percentile(worst, 1.0);
        std::printf("  %-18s", script.name);
        Print(" %.0f events: key without function median %.3f ms max %.3f ms;", double(events), Percentile(pass, 0.5),
              Percentile(pass, 1.0));
        Print(" worst key median %.3f ms max %.3f ms\n", Percentile(worst, 0.5), worstMax);
        // Wine delivers each key injected from inside the hook to the hook again before keybd_event returns
        // (a server round trip each); desktop Windows only queues it. The key flood's 256 keys are therefore
        // held to the longest timeout here and reported against the default one.
        if (script.kind == WORST_KEY_FLOOD) {
            Check(worstMax < HOOK_TIMEOUT_MAX_MS, "the worst event returns inside the longest hook timeout");
            if (worstMax >= HOOK_TIMEOUT_DEFAULT_MS) Note(L"  under Wine the key flood outlasts the default hook timeout");
        } else {
            Check(worstMax < HOOK_TIMEOUT_DEFAULT_MS, "the worst event returns inside the default hook timeout");
        }
        Check(QuilloRuns(quillo), "quillo runs on");
        StopQuillo(&quillo);
    }
}

// ---------------------------------------------------------------- latency

// Time from keybd_event to the test window's WM_KEYDOWN of the expected key.
double gKeyDownAt = 0;
WPARAM gKeyDownVk = 0;
WNDPROC gLoggingProc = nullptr;

LRESULT CALLBACK TimingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && !gKeyDownVk) {
        gKeyDownAt = NowMs();
        gKeyDownVk = wParam;
    }
    return CallWindowProcW(gLoggingProc, window, message, wParam, lParam);
}

std::vector<double> MeasureLatency(const TestWindow& window, BYTE sent, BYTE received, int keys) {
    std::vector<double> ms;
    for (int i = 0; i < keys; ++i) {
        if (i % 100 == 0) ClearTestInput(window);
        gKeyDownVk = 0;
        const double start = NowMs();
        KeyEvent(sent, false);
        while (!gKeyDownVk && NowMs() - start < WAIT_MS) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            DrainMessages();
        }
        if (gKeyDownVk == received) ms.push_back(gKeyDownAt - start);
        KeyEvent(sent, true);
        DrainMessages();
        PumpFor(2);
    }
    Check(int(ms.size()) == keys, "every measured key arrived as the expected key");
    return ms;
}

void PrintLatency(const char* what, const std::vector<double>& ms, const std::vector<double>& baseline) {
    std::printf("  %-34s", what);
    Print(" median %.3f ms  p99 %.3f ms", Percentile(ms, 0.5), Percentile(ms, 0.99));
    if (&ms != &baseline)
        Print("  (added: median %+.3f ms, p99 %+.3f ms)", Percentile(ms, 0.5) - Percentile(baseline, 0.5),
              Percentile(ms, 0.99) - Percentile(baseline, 0.99));
    std::printf("\n");
    std::fflush(stdout);
}

// The sample script: Q passes in both modes; a CapsLock tap switches to mode 2, where P types Up.
void Latency(int keys) {
    TestWindow window = CreateTestWindow(L"quillo reliability");
    gLoggingProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimingEditProc)));
    if (!TakeForeground(window)) return;
    const std::vector<double> alone = MeasureLatency(window, 'Q', 'Q', keys);

    UseScript(L"sample.txt");
    Program quillo;
    HWND panel;
    if (!StartWithPanel(&quillo, &panel)) return StopQuillo(&quillo);
    if (!TakeForeground(window)) return StopQuillo(&quillo);
    const std::vector<double> passed = MeasureLatency(window, 'Q', 'Q', keys);
    Stroke(VK_CAPITAL);  // a tap: mode 2
    PumpFor(100);
    const std::vector<double> remapped = MeasureLatency(window, 'P', VK_UP, keys);
    Stroke(VK_CAPITAL);

    Print("  %.0f keys each, one run\n", double(keys));
    PrintLatency("without quillo (Q)", alone, alone);
    PrintLatency("with quillo, key passed (Q)", passed, alone);
    PrintLatency("with quillo, key remapped (P -> Up)", remapped, alone);
    Check(QuilloRuns(quillo), "quillo runs on");
    DestroyTestWindow(&window);
    StopQuillo(&quillo);
}

// ---------------------------------------------------------------- cases

int gSize = 0;

const Case kCases[] = {
    {L"stress", [] { Stress(gSize); }},
    {L"hostile-commands", HostileCommands},
    {L"watchdog", Watchdog},
    {L"hook-time", [] { HookTime(gSize); }},
    {L"latency", [] { Latency(gSize); }},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::printf("usage: quillo-reliability-driver CASE PROGRAM-DIR SIZE\n");
        PrintCaseNames(kCases, std::size(kCases));
        return 2;
    }
    gProgramDir = argv[2];
    if (gProgramDir.empty() || gProgramDir.back() != L'\\') gProgramDir += L'\\';
    gSize = _wtoi(argv[3]);
    return RunNamedCase(kCases, std::size(kCases), argv[1]);
}
