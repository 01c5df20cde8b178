#include "native_port.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <sys/stat.h>

namespace {

struct CodePageName {
    int codePage;
    const char* iconvName;
};

constexpr CodePageName CODE_PAGES[] = {
    {932, "CP932"},
    {1252, "CP1252"},
    {437, "CP437"},
    {65001, "UTF-8"},
};

const char* gSourceEncoding = "CP932";
constexpr char16_t REPLACEMENT = 0xFFFD;
constexpr size_t PATH_BYTES = 4096;

size_t PutUtf8(uint32_t code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

FILE* AsFile(void* file) { return static_cast<FILE*>(file); }

}  // namespace

bool SetNativeCodePage(int codePage) {
    for (const auto& entry : CODE_PAGES) {
        if (entry.codePage == codePage) {
            gSourceEncoding = entry.iconvName;
            return true;
        }
    }
    return false;
}

size_t WideToUtf8(const char16_t* text, char* out, size_t outSize) {
    if (outSize == 0) return 0;
    size_t used = 0;
    for (size_t i = 0; text[i]; ++i) {
        uint32_t code = text[i];
        bool high = code >= 0xD800 && code <= 0xDBFF;
        bool low = code >= 0xDC00 && code <= 0xDFFF;
        if (high && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (high || low) {
            code = REPLACEMENT;
        }
        char bytes[4];
        size_t length = PutUtf8(code, bytes);
        if (used + length > outSize - 1) break;
        std::memcpy(out + used, bytes, length);
        used += length;
    }
    out[used] = 0;
    return used;
}

int NativeMultiByteToWide(const char* text, char16_t* out, int outCount) {
    if (outCount <= 0) return 0;
    int capacity = outCount - 1;
    int used = 0;
    iconv_t converter = iconv_open("UTF-16LE", gSourceEncoding);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        out[0] = 0;
        return 0;
    }
    char* in = const_cast<char*>(text);
    size_t inLeft = std::strlen(text);
    unsigned char bytes[2 * 64];
    while (inLeft && used < capacity) {
        // Convert in small pieces so that no more units than the caller's room are produced.
        size_t room = static_cast<size_t>(capacity - used) * 2;
        char* piece = reinterpret_cast<char*>(bytes);
        size_t pieceLeft = room < sizeof bytes ? room : sizeof bytes;
        size_t pieceSize = pieceLeft;
        size_t result = iconv(converter, &in, &inLeft, &piece, &pieceLeft);
        int error = result == static_cast<size_t>(-1) ? errno : 0;
        size_t produced = pieceSize - pieceLeft;
        for (size_t b = 0; b + 2 <= produced; b += 2)
            out[used++] = static_cast<char16_t>(bytes[b] | (bytes[b + 1] << 8));
        if (error == EILSEQ || error == EINVAL) {
            // An invalid byte, or a character cut off by the end of the text.
            if (used < capacity) out[used++] = REPLACEMENT;
            ++in;
            --inLeft;
        } else if (error == E2BIG && produced == 0) {
            break;  // the next character needs more room than is left
        }
    }
    iconv_close(converter);
    out[used] = 0;
    return used;
}

void* NativeOpenFile(const char16_t* path) {
    char utf8Path[PATH_BYTES];
    WideToUtf8(path, utf8Path, sizeof utf8Path);
    FILE* file = std::fopen(utf8Path, "rb");
    if (!file) return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);  // a directory cannot be opened as a file on the handheld either
        return nullptr;
    }
    return file;
}

bool NativeFileSize(void* file, uint32_t* size) {
    struct stat info;
    if (fstat(fileno(AsFile(file)), &info) != 0 || info.st_size < 0 || info.st_size > 0xFFFFFFFEll) return false;
    *size = static_cast<uint32_t>(info.st_size);
    return true;
}

bool NativeReadFile(void* file, char* buffer, uint32_t size) {
    return std::fread(buffer, 1, size, AsFile(file)) == size;
}

void NativeCloseFile(void* file) { std::fclose(AsFile(file)); }

void UseNativeCompilerPort(void (*showMessage)(const char16_t* text)) {
    gCompilerPort.showMessage = showMessage;
    gCompilerPort.multiByteToWide = NativeMultiByteToWide;
    gCompilerPort.openFile = NativeOpenFile;
    gCompilerPort.fileSize = NativeFileSize;
    gCompilerPort.readFile = NativeReadFile;
    gCompilerPort.closeFile = NativeCloseFile;
}
