#include "file_url.h"

namespace {

const char16_t FILE_SCHEME[] = u"file:///";
constexpr int FILE_SCHEME_LENGTH = sizeof FILE_SCHEME / sizeof FILE_SCHEME[0] - 1;

}  // namespace

bool FileUrlOf(char16_t* out, int outSize, const char16_t* path) {
    if (outSize <= 0) return false;
    out[0] = 0;
    int pathLength = 0;
    while (path[pathLength]) ++pathLength;
    if (FILE_SCHEME_LENGTH + pathLength + 1 > outSize) return false;
    for (int i = 0; i < FILE_SCHEME_LENGTH; ++i) out[i] = FILE_SCHEME[i];
    for (int i = 0; i < pathLength; ++i) out[FILE_SCHEME_LENGTH + i] = path[i] == u'\\' ? u'/' : path[i];
    out[FILE_SCHEME_LENGTH + pathLength] = 0;
    return true;
}
