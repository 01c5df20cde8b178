// The tools on Windows: the script file read as quillo.exe reads it (CreateFileW with no
// sharing), text converted with MultiByteToWideChar from the chosen code page.
#include "tool_port.h"

#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <vector>

#include "code_page_flags.h"
#include "compiler.h"
#include "utf8_text.h"
#include "win32_script_file.h"

namespace {

static_assert(PRECOMPOSED_FLAG == MB_PRECOMPOSED, "the portable flag choice names the Windows flag");

UINT gCodePage = DEFAULT_CODE_PAGE;

const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

int ConvertText(const char* text, char16_t* out, int outCount) {
    if (outCount <= 0) return 0;
    const DWORD flags = MultiByteFlagsFor(static_cast<int>(gCodePage));
    int needed = MultiByteToWideChar(gCodePage, flags, text, -1, nullptr, 0);
    if (needed <= 0) {
        out[0] = 0;
        return 0;
    }
    std::vector<wchar_t> whole(static_cast<size_t>(needed));
    MultiByteToWideChar(gCodePage, flags, text, -1, whole.data(), needed);
    int length = needed - 1;  // without the terminator
    if (length > outCount - 1) {
        length = outCount - 1;
        if (length > 0 && whole[size_t(length) - 1] >= 0xD800 && whole[size_t(length) - 1] <= 0xDBFF) --length;
    }
    for (int i = 0; i < length; ++i) out[i] = static_cast<char16_t>(whole[size_t(i)]);
    out[length] = 0;
    return length;
}

}  // namespace

bool UseToolCompilerPort(int codePage, void (*showMessage)(const char16_t* text)) {
    if (codePage <= 0 || !IsValidCodePage(static_cast<UINT>(codePage))) return false;
    gCodePage = static_cast<UINT>(codePage);
    gCompilerPort.showMessage = showMessage;
    gCompilerPort.multiByteToWide = ConvertText;
    UseWin32ScriptFile();
    return true;
}

std::vector<std::string> ToolArguments(int, char**) {
    // The narrow argv has already lost what the ANSI code page cannot hold.
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
    LocalFree(wide);
    return arguments;
}

FileKind ToolFileKind(const std::string& path) {
    std::u16string widePath = Utf8ToUtf16(path);
    DWORD attributes = GetFileAttributesW(AsWide(widePath.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FILE_MISSING : FILE_UNREADABLE;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FILE_FOLDER;
    HANDLE file = CreateFileW(AsWide(widePath.c_str()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FILE_UNREADABLE;
    CloseHandle(file);
    return FILE_READABLE;
}

std::FILE* OpenToolFile(const std::string& path, const char* mode) {
    std::u16string widePath = Utf8ToUtf16(path);
    std::u16string wideMode = Utf8ToUtf16(mode);
    return _wfopen(AsWide(widePath.c_str()), AsWide(wideMode.c_str()));
}

void PrepareToolOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// _isatty is true for NUL as well; only a console has a console mode.
bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

ToolMessage TypedInputHint() { return T_TYPE_INPUTS_CTRL_Z; }
