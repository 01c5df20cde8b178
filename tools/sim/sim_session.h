// quillo-sim's host: compiles the script, points the engine at its own command queue, feeds
// it inputs and, after each one, reads the queued commands with quillo.exe's own host core and
// records what it decided, with a simulated input method for the window actions.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "compile_session.h"
#include "script_warnings.h"
#include "sim_input.h"
#include "sim_record.h"

class SimSession {
public:
    // A fresh engine, the script compiled, the start-up function run: the "start" record.
    // False when the script cannot be opened or read (the record then holds the messages).
    bool Start(const std::string& scriptPath, SimRecord* record);
    // One input; a tap gives two records, everything else one.
    std::vector<SimRecord> Apply(const SimInput& input, const std::string& line);

    // Keys the script injected down and never up, and modifiers left in R_MODS.
    std::vector<std::string> StuckKeyWarnings() const;

    // With `on`, each compile (start and reload) finds the script's warnings (ScriptWarnings)
    // before the start-up function runs; `codePage` is the one the script is read in.
    void CheckWarnings(bool on, int codePage) {
        checkWarnings_ = on;
        codePage_ = codePage;
    }
    const std::vector<ScriptWarning>& Warnings() const { return warnings_; }

    // Every executed instruction goes to `out` (none: no trace), named after each compile.
    void SetTrace(std::FILE* out) { traceOut_ = out; }

    const std::vector<ScriptSymbol>& Symbols() const { return outcome_.symbols; }
    const std::vector<CompileMessageRecord>& Messages() const { return outcome_.messages; }
    const ScriptNames& Names() const { return outcome_.names; }

private:
    std::string scriptPath_;
    CompileOutcome outcome_;
    uint32_t lastTime_ = 0;
    bool keyDown_[256] = {};
    std::FILE* traceOut_ = nullptr;
    bool checkWarnings_ = false;
    int codePage_ = 0;
    std::vector<ScriptWarning> warnings_;

    void Compile(SimRecord* record);
    SimRecord KeyEvent(const SimInput& input, uint32_t message, const std::string& line);
    void Finish(SimRecord* record);
};

// The host's sole window handle as far as the engine knows: commands posted to it are queued.
extern int gSimWindow;
