// The one case format of the engine, host and tool cases. A case file is lines:
//   # TEXT                   a comment
//   == TITLE                 a case; the engine and host runners start it from a fresh engine and host
//   VERB WORDS               a step; each layer's runner knows its verbs
//   VERB WORDS => EXPECTED   a step and what it must give, compared as text
//   MARK TEXT                a line of the block of the step above: "|" a line of a file, "<" a line of
//                            input, ">" a line of output, "2>" a line of error output, "!" the exit
//                            status; in output "…" stands for lines or a part of a line left out
// Words are separated by blanks; a double-quoted text is one word. The C++ runners (engine, host) read
// the files with this header; the tools' runner is tests/tools/run_cases.py.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

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

// A quoted word's text, without its quotes.
inline std::string Unquote(const std::string& word) { return word.size() >= 2 ? word.substr(1, word.size() - 2) : ""; }

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
    std::string line;
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
        run(CaseStep{CaseWords(line.substr(0, arrow)), checked, checked ? line.substr(arrow + 4) : "", line});
    }
}
