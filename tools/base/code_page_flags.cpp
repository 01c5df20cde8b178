#include "code_page_flags.h"

namespace {

struct CodePageRange {
    int first;
    int last;
};

// MultiByteToWideChar's documentation: these take dwFlags 0 only (UTF-8 and GB18030 take 0 or
// MB_ERR_INVALID_CHARS).
constexpr CodePageRange NO_FLAG_CODE_PAGES[] = {
    {42, 42},        // Symbol
    {50220, 50222},  // ISO-2022-JP variants
    {50225, 50225},  // ISO-2022-KR
    {50227, 50227},  // ISO-2022-CN (simplified)
    {50229, 50229},  // ISO-2022-CN (traditional)
    {54936, 54936},  // GB18030
    {57002, 57011},  // ISCII
    {65000, 65001},  // UTF-7, UTF-8
};

}  // namespace

unsigned long MultiByteFlagsFor(int codePage) {
    for (const CodePageRange& range : NO_FLAG_CODE_PAGES)
        if (codePage >= range.first && codePage <= range.last) return 0;
    return PRECOMPOSED_FLAG;
}
