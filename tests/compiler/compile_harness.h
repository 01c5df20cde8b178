// A recording compiler port for the tests: script files served from memory, messages collected
// as UTF-8, text converted with the native code-page conversion.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "compile_context.h"

struct CompileHarness {
    std::vector<std::string> messages;
    int statusTextClears = 0;
    // In-memory files by UTF-8 path.
    std::vector<std::pair<std::string, std::string>> files;
    bool failSize = false;
    bool failRead = false;
};

extern CompileHarness gHarness;

// Fresh engine and harness, the recording port installed, code page 932.
void ResetHarness();
void ServeFile(const std::string& path, const std::string& text);
// Installs the native file functions instead of the in-memory ones (messages still recorded).
void UseRealFiles();
// Serves `text` as "scriptcommand.txt" and compiles it into gEngine.
void CompileText(const std::string& text);
void CompileFile(const std::string& path);

// The installed image as "28 00 27 02 ...", or "none".
std::string ImageHex();
// The registered function-table entries as "t0[00]=0 t1[74]=7", in table and key order.
std::string TableEntries();
std::string Join(const std::vector<std::string>& messages, const char* separator = " | ");
std::string Utf8(const char16_t* text);
// Bytes of hex pairs ("09 41 01 00") into a byte string.
std::string Bytes(const std::string& hexPairs);
