// The host core's decisions as cases (cases/host.txt lists the steps): what the host makes of a queued
// command, the stale marks, the input method, titles, paths, the command line, rotation and the compile
// gate, and the platform layer's portable decisions beside them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "case_reader.h"
#include "command_address.h"
#include "command_line.h"
#include "commands.h"
#include "compile_gate.h"
#include "cp932.h"
#include "file_address.h"
#include "host_core.h"
#include "orientation_codes.h"
#include "program_path.h"
#include "queued_command.h"
#include "resource.h"
#include "rotation.h"
#include "shell_classes.h"

namespace {

const std::pair<const char*, uintptr_t> NAMES[] = {{"IDOK", 1}, {"CmdRunProgram", CmdRunProgram},
    {"CmdRotateScreen", CmdRotateScreen}, {"CmdQuit", CmdQuit}, {"CmdWindowAction", CmdWindowAction},
    {"CmdNotice", CmdNotice}, {"CmdStatusLine", CmdStatusLine}, {"MenuAbout", MenuAbout}, {"MenuExit", MenuExit},
    {"MenuHide", MenuHide}, {"MenuManual", MenuManual}, {"MenuReload", MenuReload}, {"MARK", QUEUE_MARK}};

char gElsewhere[8] = "outside";  // a terminated text that is not the engine's

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// A number, a name above, or a buffer and an offset: notice+N, slotS+N, image+N, image-end, elsewhere.
uintptr_t Value(const std::string& word) {
    for (const auto& n : NAMES)
        if (word == n.first) return n.second;
    if (word[0] == '\'') return uint8_t(word[1]);
    const size_t plus = word.find('+');
    const std::string base = word.substr(0, plus);
    const uintptr_t offset = plus == std::string::npos ? 0 : std::stoull(word.substr(plus + 1), nullptr, 0);
    if (base == "notice") return Address(gNoticeBuffer) + offset;
    if (base.compare(0, 4, "slot") == 0) return Address(gStatusSlots[std::stoi(base.substr(4))].bytes) + offset;
    if (base == "image") return Address(gEngine.code.bytes) + offset;
    if (base == "elsewhere") return Address(gElsewhere);
    return std::stoull(word, nullptr, 0);
}

std::string Command(const std::vector<std::string>& w) {
    static const char* const ACTIONS[] = {"default", "ignore", "close", "quit", "run", "rotate", "window",
                                          "notice", "status", "about", "manual", "reload", "hide"};
    static const char* const WINDOW[] = {"none", "close", "next", "ime-toggle", "ime-read"};
    const HostCommand c = ReadQueuedCommand(uint16_t(Value(w[1])), Value(w[2]));
    std::string out = ACTIONS[c.action];
    if (c.action == HOST_ROTATE) out += " " + std::to_string(c.value);
    if (c.action == HOST_WINDOW_ACTION) out += std::string(" ") + WINDOW[c.windowAction];
    if (c.action == HOST_STATUS_LINE) out += " " + std::to_string(c.line);
    if (c.text) out += " " + Quote(c.text);
    return c.parameters ? out + " " + Quote(c.parameters) : out;
}

// The simulated input method of "ime OPEN COMPOSITION ACTION": what it is afterwards and how often it was set.
struct {
    bool open;
    ImeComposition composition;
    int sets;
} gIme;
const InputMethodPort IME = {[] { return gIme.open; }, [](bool open) { gIme.open = open, ++gIme.sets; },
                             [] { return gIme.composition; }};

// Each builder writes its whole text or the empty text, and nothing at or past out[size].
std::string Built(const std::vector<std::string>& w) {
    const int size = int(Value(w.back()));
    // Backslashes after the first text's terminator: nothing is read past it.
    const std::u16string a = Wide(Unquote(w[1])) + u'\0' + u"\\\\", b = w.size() > 3 ? Wide(Unquote(w[2])) : u"";
    char16_t out[300];
    std::fill(std::begin(out), std::end(out), u'#');
    const bool built = w[0] == "path" ? JoinProgramPath(out, size, a.c_str(), b.c_str())
                     : w[0] == "join" ? JoinTexts(out, size, a.c_str(), b.c_str())
                     : w[0] == "url"  ? FileUrlOf(out, size, a.c_str(), b.c_str())
                                      : FileAddressDocumentClass(a.c_str(), out, size);
    EXPECT_EQ(out[size], u'#') << "wrote past the buffer";
    const std::string text = Utf8(std::find(out, out + size, u'\0') < out + size ? out : u"");
    EXPECT_EQ(built, !text.empty());
    return built ? Quote(text) : "none";
}

std::string gGateTrace;
int gAsking = 0;  // how many of the next compiles ask twice for a compile while they run
void GatedCompile() {
    gGateTrace += CompileRunning() ? "compile;" : "compile-outside-gate;";
    // e.g. the reload menu chosen twice while a compile message is open
    if (gAsking-- > 0) RunCompile(GatedCompile, nullptr), RunCompile(GatedCompile, nullptr), gGateTrace += "back;";
}

uint32_t gOrientation;  // where the display stands for "rotate"

std::string Step(const std::vector<std::string>& w) {
    const std::string& op = w[0];
    if (op == "command") return Command(w);
    if (op == "forget") return std::to_string(ForgetImageAddresses());
    if (op == "title") return IsExcludedTitle(Wide(Unquote(w[1])).c_str()) ? "excluded" : "-";
    if (op == "class") return IsDesktopShellClass(Wide(Unquote(w[1])).c_str()) ? "shell" : "-";
    if (op == "cmdline") return StartsHidden(w[1] == "none" ? nullptr : Wide(Unquote(w[1])).c_str()) ? "hidden" : "-";
    if (op == "path" || op == "join" || op == "url" || op == "class-of") return Built(w);
    if (op == "rotate") {
        gOrientation = uint32_t(Value(w[2]));
        return std::to_string(TargetOrientation(Value(w[1]), [] { return gOrientation; }));
    }
    std::string out;
    if (op == "cp932") {
        const std::string bytes = Unquote(w[1]);
        const std::u16string text = Cp932ToUtf16(bytes);
        char16_t start[4];
        Cp932ToWide(bytes.c_str(), start, 4);
        EXPECT_EQ(start, text.substr(0, 3)) << "Cp932ToWide, room for 3 units";
        std::u16string lost;
        char hex[4];
        for (char c : Utf16ToCp932(text + Wide(Unquote(w[2])), &lost)) std::snprintf(hex, sizeof hex, " %02X", uint8_t(c)), out += hex;
        return std::to_string(Cp932ValidPrefix(bytes.data(), bytes.size())) + " " + Quote(Utf8(text.c_str())) + out +
               " " + Quote(Utf8(lost.c_str()));
    }
    if (op == "texts") {
        for (int n = 0; n < STATUS_LINE_COUNT; ++n)
            if (gHostCore.statusText[n]) out += (out.empty() ? "" : " ") + std::to_string(n) + ":" + Quote(gHostCore.statusText[n]);
        return out.empty() ? "none" : out;
    }
    if (op == "ime") {
        gIme = {w[1] == "open", w[2] == "composing" ? IME_COMPOSING : w[2] == "unknown" ? IME_COMPOSITION_UNKNOWN : IME_NOT_COMPOSING, 0};
        gEngine.sysflags = w.size() > 4 ? SF_IME_OPEN : 0;
        CarryOutInputMethodAction(WindowActionOf(uint8_t(w[3][0])), IME);
        return std::string(gIme.open ? "open" : "closed") + " sets=" + std::to_string(gIme.sets) + (gEngine.sysflags ? " flag" : "");
    }
    if (op == "orientations") {
        for (uint32_t desktop = 0; desktop <= DESKTOP_ORIENTATION_COUNT; ++desktop) {
            const uint32_t handheld = HandheldOrientation(desktop);
            out += (desktop ? " " : "") + std::to_string(desktop) + ":" + std::to_string(handheld) +
                   (DesktopOrientation(handheld) == desktop ? "" : "!") + (OrientationSwapsAxes(0, desktop) ? "s" : "");
        }
        return out;
    }
    if (op == "gate") {
        gGateTrace.clear(), gAsking = int(Value(w[1]));
        RunCompile(GatedCompile, [] { gGateTrace += "run;"; });
        return gGateTrace + (CompileRunning() ? " running" : "");
    }
    ADD_FAILURE() << "unknown step: " << op;
    return "";
}

TEST(HostCases, EveryStepHolds) {
    RunCaseFile(QUILLO_HOST_CASES, [](const CaseStep& step) {
        const std::vector<std::string>& w = step.words;
        if (w[0] == "==") {
            ReleaseCodeImage(), InitEngine(), gHostCore = HostCore{};
            return void(std::memset(gNoticeBuffer, 0, sizeof gNoticeBuffer));
        }
        // Buffers: notice "TEXT", slot S[+N] "TEXT", image "BYTES", release.
        const std::string bytes = w.size() > 1 ? Unquote(w[1]) : "";
        if (w[0] == "notice" && w.size() == 2) return void(bytes.copy(gNoticeBuffer, sizeof gNoticeBuffer));
        if (w[0].compare(0, 4, "slot") == 0) return void(bytes.copy(reinterpret_cast<char*>(Value(w[0])), bytes.size()));
        if (w[0] == "image") {
            EXPECT_TRUE(InstallCodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size())));
            return;
        }
        if (w[0] == "release") return ReleaseCodeImage();
        const std::string got = Step(w);
        if (step.checked) {
            EXPECT_EQ(got, step.expected);
        }
    });
    ReleaseCodeImage();
}

}  // namespace
