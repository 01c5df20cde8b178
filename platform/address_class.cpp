#include "address_class.h"

namespace {

const char16_t FILE_SCHEME[] = u"file:";
constexpr int FILE_SCHEME_LENGTH = sizeof FILE_SCHEME / sizeof FILE_SCHEME[0] - 1;

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool HasFileScheme(const char16_t* file) {
    for (int i = 0; i < FILE_SCHEME_LENGTH; ++i)
        if (LowerAscii(file[i]) != FILE_SCHEME[i]) return false;  // a terminator stops here too
    return true;
}

}  // namespace

bool FileAddressDocumentClass(const char16_t* file, char16_t* out, int outSize) {
    if (outSize <= 0) return false;
    out[0] = 0;
    if (!HasFileScheme(file)) return false;
    int end = FILE_SCHEME_LENGTH;
    int extension = -1;
    for (; file[end] && file[end] != u'#' && file[end] != u'?'; ++end) {
        if (file[end] == u'.') extension = end;
        if (file[end] == u'/' || file[end] == u'\\') extension = -1;
    }
    if (!file[end] || extension < 0) return false;
    const int length = end - extension;
    if (length < 2 || length + 1 > outSize) return false;
    for (int i = 0; i < length; ++i) out[i] = file[extension + i];
    out[length] = 0;
    return true;
}
