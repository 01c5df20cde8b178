// Byte classes of script text shared by the lexical layer and the line loop.
#pragma once

constexpr char COMMENT_CHAR = '#';

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline const char* SkipBlanks(const char* text) {
    while (IsBlank(*text)) ++text;
    return text;
}
