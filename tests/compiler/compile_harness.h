// A recording compiler port for the tests: script files served from memory, messages collected
// as UTF-8, text converted with the native code-page conversion (932).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "compile_context.h"
#include "engine.h"

struct CompileHarness {
    std::vector<std::string> messages;
    int imageReleases = 0;  // calls of LoadScriptFile's imageReleased
    std::vector<std::pair<std::string, std::string>> files;  // in-memory files by path
    bool failSize = false;
    bool failRead = false;
};

extern CompileHarness gHarness;

// Fresh engine and harness, the recording port installed.
void ResetHarness();
// Counts the image releases of the loads.
void CountImageRelease();
// Serves `text` as "scriptcommand.txt" (or `path`) and loads it into gEngine.
void CompileText(const std::string& text, const std::string& path = "scriptcommand.txt");
// The installed image as "28 00 27 02 ...", or "none".
std::string ImageHex();
// The registered function-table entries as "t0[00]=0 t1[74]=7", in table and key order.
std::string TableEntries();
std::string Joined(const std::vector<std::string>& messages);
