// File addresses for the desktop shell: a path as a file: address, and the document class of an address
// whose fragment or query the shell would otherwise take for part of the file's name. Portable.
#pragma once

constexpr char16_t FILE_SCHEME[] = u"file:";
// Room for a document class such as ".html", terminator included.
constexpr int DOCUMENT_CLASS_SIZE = 32;

// "file:///", then `path` with its backslashes as slashes and every character that would end or change
// the path inside an address ("#", "%", "?", blanks, ...) percent-encoded, then `fragment` as it is, into
// out[outSize]. False when it does not fit: `out` is then the empty text.
bool FileUrlOf(char16_t* out, int outSize, const char16_t* path, const char16_t* fragment);

// When `file` is a file address ("file:", any case) with a fragment or query after its path and the
// path's last name has an extension, that extension ("file:///C:/q/index.html#notes" gives ".html")
// into out[outSize]. False for anything else, or when it does not fit: `out` is then the empty text.
bool FileAddressDocumentClass(const char16_t* file, char16_t* out, int outSize);
