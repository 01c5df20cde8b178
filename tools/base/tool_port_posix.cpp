// The tools on Linux: the compiler's native port (POSIX files, iconv).
#include "tool_port.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "native_port.h"

bool UseToolCompilerPort(int codePage, void (*showMessage)(const char16_t* text)) {
    if (!SetNativeCodePage(codePage)) return false;
    UseNativeCompilerPort(showMessage);
    return true;
}

std::vector<std::string> ToolArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

FileKind ToolFileKind(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR ? FILE_MISSING : FILE_UNREADABLE;
    if (S_ISDIR(info.st_mode)) return FILE_FOLDER;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return FILE_UNREADABLE;
    std::fclose(file);
    return FILE_READABLE;
}

std::FILE* OpenToolFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

void PrepareToolOutput() {}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

ToolMessage TypedInputHint() { return T_TYPE_INPUTS_CTRL_D; }
