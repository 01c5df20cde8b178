// How long one key event keeps the keyboard hook busy: every event of the worst legal scripts is timed
// through DispatchKeyEvent, beside a plain remapping script measured in the same run. The hook must
// return well inside the desktop's low-level hook timeout (LowLevelHooksTimeout: 300 ms by default,
// at most 1,000 ms on Windows 10 and later), or desktop Windows removes it.
// Usage: quillo-hook-timing [EVENTS]   (exit code 1 when a check fails)
#include "commands.h"
#include "compile_context.h"
#include "compiler.h"
#include "engine.h"
#include "engine_port.h"
#include "native_port.h"
#include "worst_scripts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

static_assert(LARGEST_IMAGE_BYTES == CODE_LIMIT, "the largest script fills the compiler's code limit");

namespace {

constexpr int DEFAULT_EVENTS = 200;
constexpr double HOOK_TIMEOUT_DEFAULT_MS = 300.0;
constexpr double HOOK_TIMEOUT_MAX_MS = 1000.0;
constexpr uint32_t BASELINE_KEY = 'A';

int gFailures = 0;
int gCompileMessages = 0;
uint64_t gKeysInjected = 0;
uint64_t gCommandsPosted = 0;
uint64_t gStepLimitNotices = 0;

void Expect(bool ok, const char* what, const char* script) {
    if (ok) return;
    ++gFailures;
    std::printf("FAILED: %s (%s)\n", what, script);
}

void CountMessage(const char16_t*) { ++gCompileMessages; }
void CountKey(uint8_t, bool) { ++gKeysInjected; }
void CountCommand(void*, uint16_t id, uintptr_t value) {
    ++gCommandsPosted;
    if (id != CmdNotice) return;
    // A run cut off by one of the engine's per-run limits: "step limit exceeded N" and its kin.
    const char* text = reinterpret_cast<const char*>(value);
    if (std::strstr(text, " limit exceeded ")) ++gStepLimitNotices;
}

// Compiles `text` from a file beside the other temporary files; false when the compiler complained.
bool CompileText(const std::string& text) {
    char path[] = "/tmp/quillo-hook-timing-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return false;
    const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    std::u16string widePath(path, path + std::strlen(path));
    gCompileMessages = 0;
    if (written) CompileScriptFile(widePath.c_str());
    unlink(path);
    return written && gCompileMessages == 0 && gEngine.code.bytes;
}

struct Timing {
    double medianMs;
    double maxMs;
    int swallowed;
};

// Key down and up in turn, as the hook gets them.
Timing TimeEvents(uint32_t vk, int events) {
    std::vector<double> ms(events);
    int swallowed = 0;
    for (int i = 0; i < events; ++i) {
        const uint32_t message = i % 2 ? MSG_KEYUP : MSG_KEYDOWN;
        const auto start = std::chrono::steady_clock::now();
        swallowed += DispatchKeyEvent(ScanTable[vk] == 0xFF ? 0x41 : ScanTable[vk], vk, message, 1000 + i);
        const auto end = std::chrono::steady_clock::now();
        ms[i] = std::chrono::duration<double, std::milli>(end - start).count();
    }
    std::sort(ms.begin(), ms.end());
    return Timing{ms[events / 2], ms.back(), swallowed};
}

const char BASELINE_SCRIPT[] =
    "define EXIT 1\ndefine LABEL 5\ndefine PRESS 9\ndefine JKEYDOWN 48\n"
    "func 2 'A'\nJKEYDOWN 1\nEXIT 1\nLABEL 1\nPRESS 'B'\nEXIT 1\nendfunc\n";

}  // namespace

int main(int argc, char** argv) {
    const int events = argc > 1 ? std::max(2, std::atoi(argv[1])) : DEFAULT_EVENTS;
    UseNativeCompilerPort(CountMessage);
    InitEngine();
    gEnginePort = EnginePort{CountKey, CountCommand};

    Expect(CompileText(BASELINE_SCRIPT), "the baseline script compiles", "baseline");
    const Timing baseline = TimeEvents(BASELINE_KEY, events);
    std::printf("%-18s %6d events  median %9.4f ms  max %9.4f ms\n", "baseline-remap", events, baseline.medianMs,
                baseline.maxMs);

    for (const WorstScript& script : WORST_SCRIPTS) {
        Expect(CompileText(WorstScriptText(script.kind)), "the script compiles without a message", script.name);
        if (script.kind == WORST_LARGEST_MAX_WORK || script.kind == WORST_LARGEST_RUNAWAY)
            Expect(gEngine.code.size == LARGEST_IMAGE_BYTES, "the code image is as large as the compiler allows",
                   script.name);
        gStepLimitNotices = gKeysInjected = gCommandsPosted = 0;
        const Timing t = TimeEvents(WORST_SCRIPT_KEY, events);
        // Both the pre-key and the key function of every event are cut off, or none is.
        const uint64_t expectedNotices = script.endsAtStepLimit ? uint64_t(events) * 2 : 0;
        Expect(gStepLimitNotices == expectedNotices, "limit notices: two per event for a runaway, none otherwise",
               script.name);
        Expect(t.swallowed == (script.endsAtStepLimit ? 0 : events),
               "a finished run swallows the key, a cut-off one passes it", script.name);
        Expect(t.maxMs < HOOK_TIMEOUT_DEFAULT_MS, "the worst event stays inside the default hook timeout",
               script.name);
        std::printf("%-18s %6d events  median %9.4f ms  max %9.4f ms  (x%.0f the baseline median; "
                    "%llu commands posted, %llu keys injected)\n",
                    script.name, events, t.medianMs, t.maxMs, baseline.medianMs > 0 ? t.medianMs / baseline.medianMs : 0.0,
                    static_cast<unsigned long long>(gCommandsPosted), static_cast<unsigned long long>(gKeysInjected));
    }
    std::printf("desktop low-level hook timeout: %.0f ms by default, %.0f ms at most\n", HOOK_TIMEOUT_DEFAULT_MS,
                HOOK_TIMEOUT_MAX_MS);
    ReleaseCodeImage();
    std::printf("%s\n", gFailures ? "FAIL" : "PASS");
    return gFailures ? 1 : 0;
}
