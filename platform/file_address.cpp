#include "file_address.h"

namespace {

constexpr int FILE_SCHEME_LENGTH = sizeof FILE_SCHEME / sizeof FILE_SCHEME[0] - 1;
constexpr char16_t ROOT[] = u"///";
// Besides control characters, what may not stand as itself in a path inside an address.
constexpr char16_t ESCAPED[] = u" \"#%<>?[]^`{|}";
constexpr char16_t HEX[] = u"0123456789ABCDEF";
constexpr int ESCAPE_LENGTH = 3;  // "%" and two hex digits

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool HasFileScheme(const char16_t* file) {
    for (int i = 0; i < FILE_SCHEME_LENGTH; ++i)
        if (LowerAscii(file[i]) != FILE_SCHEME[i]) return false;  // a terminator stops here too
    return true;
}

bool NeedsEscape(char16_t c) {
    if (c < 0x20 || c == 0x7F) return true;
    for (const char16_t* e = ESCAPED; *e; ++e)
        if (*e == c) return true;
    return false;
}

// Writes `c` at out[*used], escaped when `escape` says so; false when it and a terminator do not fit.
bool Put(char16_t* out, int outSize, int* used, char16_t c, bool escape) {
    if (*used + (escape ? ESCAPE_LENGTH : 1) + 1 > outSize) return false;
    if (escape) {
        out[(*used)++] = u'%';
        out[(*used)++] = HEX[(c >> 4) & 0xF];
        c = HEX[c & 0xF];
    }
    out[(*used)++] = c;
    return true;
}

}  // namespace

bool FileUrlOf(char16_t* out, int outSize, const char16_t* path, const char16_t* fragment) {
    if (outSize <= 0) return false;
    int used = 0;
    bool fits = true;
    for (const char16_t* p = FILE_SCHEME; fits && *p; ++p) fits = Put(out, outSize, &used, *p, false);
    for (const char16_t* p = ROOT; fits && *p; ++p) fits = Put(out, outSize, &used, *p, false);
    for (const char16_t* p = path; fits && *p; ++p)
        fits = *p == u'\\' ? Put(out, outSize, &used, u'/', false) : Put(out, outSize, &used, *p, NeedsEscape(*p));
    for (const char16_t* p = fragment; fits && *p; ++p) fits = Put(out, outSize, &used, *p, false);
    out[fits ? used : 0] = 0;
    return fits;
}

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
