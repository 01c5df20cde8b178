// The tools on Linux: the compiler's native port (POSIX files, iconv).
#include "tool_port.h"

#include "native_port.h"

bool UseToolCompilerPort(int codePage, void (*showMessage)(const char16_t* text)) {
    if (!SetNativeCodePage(codePage)) return false;
    UseNativeCompilerPort(showMessage);
    return true;
}

std::vector<std::string> ToolArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::FILE* OpenToolFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

void PrepareToolOutput() {}
