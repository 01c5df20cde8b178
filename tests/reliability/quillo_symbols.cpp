#include "quillo_symbols.h"

#include <psapi.h>

#include <cstring>
#include <vector>

namespace {

constexpr size_t SYMBOL_RECORD_SIZE = 18;  // IMAGE_SYMBOL as stored in the file
constexpr size_t SHORT_NAME_SIZE = 8;

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    const DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size) bytes.clear();
    CloseHandle(file);
    return bytes;
}

template <typename T>
bool ReadAt(const std::vector<uint8_t>& bytes, size_t offset, T* out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
    std::memcpy(out, bytes.data() + offset, sizeof(T));
    return true;
}

// The relative virtual address of symbol `name`, or 0.
uint32_t SymbolRva(const std::vector<uint8_t>& image, const char* name) {
    IMAGE_DOS_HEADER dos;
    IMAGE_FILE_HEADER file;
    DWORD signature = 0;
    if (!ReadAt(image, 0, &dos) || !ReadAt(image, dos.e_lfanew, &signature) || signature != IMAGE_NT_SIGNATURE ||
        !ReadAt(image, dos.e_lfanew + sizeof signature, &file) || file.PointerToSymbolTable == 0)
        return 0;
    const size_t sections = dos.e_lfanew + sizeof signature + sizeof file + file.SizeOfOptionalHeader;
    const size_t symbols = file.PointerToSymbolTable;
    const size_t strings = symbols + size_t(file.NumberOfSymbols) * SYMBOL_RECORD_SIZE;
    for (DWORD i = 0; i < file.NumberOfSymbols; ++i) {
        const size_t at = symbols + size_t(i) * SYMBOL_RECORD_SIZE;
        if (at + SYMBOL_RECORD_SIZE > image.size()) return 0;
        const uint8_t* record = image.data() + at;
        uint32_t zeroes, nameOffset, value;
        int16_t section;
        std::memcpy(&zeroes, record, 4);
        std::memcpy(&nameOffset, record + 4, 4);
        std::memcpy(&value, record + 8, 4);
        std::memcpy(&section, record + 12, 2);
        const uint8_t auxiliary = record[17];
        std::string symbol;
        if (zeroes == 0) {
            for (size_t p = strings + nameOffset; p < image.size() && image[p]; ++p) symbol += char(image[p]);
        } else {
            symbol.assign(reinterpret_cast<const char*>(record), strnlen(reinterpret_cast<const char*>(record), SHORT_NAME_SIZE));
        }
        if (symbol == name && section > 0 && section <= file.NumberOfSections) {
            IMAGE_SECTION_HEADER header;
            if (!ReadAt(image, sections + size_t(section - 1) * sizeof header, &header)) return 0;
            return header.VirtualAddress + value;
        }
        i += auxiliary;
    }
    return 0;
}

}  // namespace

bool FindQuilloAddresses(const std::wstring& exePath, HANDLE process, QuilloAddresses* out) {
    const std::vector<uint8_t> image = ReadWholeFile(exePath);
    const uint32_t notice = SymbolRva(image, "gNoticeBuffer");
    const uint32_t slots = SymbolRva(image, "gStatusSlots");
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!notice || !slots || !EnumProcessModules(process, &module, sizeof module, &needed) || !module) return false;
    out->moduleBase = reinterpret_cast<uintptr_t>(module);
    out->noticeBuffer = out->moduleBase + notice;
    out->statusSlots = out->moduleBase + slots;
    return true;
}
