#include "text_file.h"

#include "tool_port.h"
#include "tool_text.h"

bool ReadTextLine(std::FILE* file, std::string* line) {
    line->clear();
    int c = std::fgetc(file);
    if (c == EOF) return false;
    while (c != EOF && c != '\n') {
        *line += static_cast<char>(c);
        c = std::fgetc(file);
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>* lines) {
    std::FILE* file = OpenToolFile(path, "rb");
    if (!file) return false;
    std::string line;
    while (ReadTextLine(file, &line)) lines->push_back(line);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

std::string UnusableFileMessage(const std::string& path) {
    switch (ToolFileKind(path)) {
    case FILE_MISSING: return Say(T_FILE_MISSING, path.c_str());
    case FILE_FOLDER: return Say(T_FILE_IS_FOLDER, path.c_str());
    case FILE_UNREADABLE: return Say(T_FILE_UNREADABLE, path.c_str());
    default: return "";
    }
}

std::string FailedFileMessage(const std::string& path) {
    std::string problem = UnusableFileMessage(path);
    return problem.empty() ? Say(T_FILE_UNREADABLE, path.c_str()) : problem;
}
