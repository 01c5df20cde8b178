// The document type of a file address that carries a fragment or query. Portable.
#pragma once

// Room for a document class such as ".html", terminator included.
constexpr int DOCUMENT_CLASS_SIZE = 32;

// When `file` is a file address ("file:", any case) with a fragment or query after its path and the
// path's last name has an extension, that extension ("file:///C:/q/index.html#notes" gives ".html")
// into out[outSize]. False for anything else, or when it does not fit: `out` is then the empty text.
bool FileAddressDocumentClass(const char16_t* file, char16_t* out, int outSize);
