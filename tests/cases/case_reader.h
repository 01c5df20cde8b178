// The one case format of the engine, host and tool cases. A case file is lines:
//   # TEXT                   a comment
//   == TITLE                 a case; the engine and host runners start it from a fresh engine and host
//   VERB WORDS               a step; each layer's runner knows its verbs
//   VERB WORDS => EXPECTED   a step and what it must give, compared as text
//   MARK TEXT                a line of the block of the step above: "|" a line of a file, "<" a line of
//                            input, ">" a line of output, "2>" a line of error output, "!" the exit
//                            status; in output "…" stands for lines or a part of a line left out
// Words are separated by blanks; a double-quoted text is one word. The C++ runners (engine, compiler,
// host) read the files with this header; the tools' runner is tests/tools/run_cases.py.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "native_port.h"

// Words separated by blanks; a double-quoted text is one word, its quotes kept. Inside quotes \" and
// \\ stand for themselves, \0 for a zero byte, \n for a line feed and \xNN for the byte NN.
inline std::vector<std::string> CaseWords(const std::string& line) {
    std::vector<std::string> words;
    for (size_t i = line.find_first_not_of(' '); i < line.size(); i = line.find_first_not_of(' ', i)) {
        std::string word;
        for (bool quoted = false; i < line.size() && (quoted || line[i] != ' '); ++i) {
            quoted ^= line[i] == '"';
            if (line[i] == '\\' && quoted && i + 1 < line.size()) {
                const char c = line[++i];
                if (c == '0') word += '\0';
                else if (c == 'n') word += '\n';
                else if (c == 'x' && i + 2 < line.size()) word += char(std::stoi(line.substr(i + 1, 2), nullptr, 16)), i += 2;
                else word += c;
                continue;
            }
            word += line[i];
        }
        words.push_back(word);
    }
    return words;
}

// A quoted word's text, without its quotes; "TEXT"*N stands for TEXT N times.
inline std::string Unquote(const std::string& word) {
    const size_t star = word.rfind("\"*");
    std::string text = word.substr(1, (star == std::string::npos ? word.size() - 1 : star) - 1), out;
    for (int n = star == std::string::npos ? 1 : std::stoi(word.substr(star + 2)); n > 0; --n) out += text;
    return out;
}

// Case files are UTF-8; the compiler's and the host's texts are UTF-16.
inline std::u16string Wide(const std::string& text) {
    std::vector<char16_t> out(text.size() + 1);
    SetNativeCodePage(65001);
    NativeMultiByteToWide(text.c_str(), out.data(), int(out.size()));
    return out.data();
}
inline std::string Utf8(const char16_t* text) {
    std::vector<char> out(4 * std::char_traits<char16_t>::length(text) + 1);
    WideToUtf8(text, out.data(), out.size());
    return out.data();
}

// A text as a case file quotes it: in double quotes, with \" and \\ for those characters.
inline std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) out += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
}

struct CaseStep {
    std::vector<std::string> words;  // before "=>"
    bool checked;                    // the step has "=> EXPECTED"
    std::string expected;
};

// Every step of `path`, in order, to `run`, which reports failures with gtest; "== title" lines come as
// steps whose first word is "==".
template <typename Run>
void RunCaseFile(const std::string& path, Run run) {
    std::ifstream file(path);
    ASSERT_TRUE(file) << "cannot read " << path;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(testing::Message() << path << ":" << number);
        const size_t arrow = line.find(" => ");
        const bool checked = arrow != std::string::npos;
        run(CaseStep{CaseWords(line.substr(0, arrow)), checked, checked ? line.substr(arrow + 4) : ""});
    }
}
