// Reading the program's command line. Portable: works on UTF-16 text without windows.h.
#pragma once

// True when the options of `text` ask for a hidden start: "-s" or "/s" in any letter case; only the
// letter right after the dash or slash counts, so "-silent" does too. Other options and words are
// skipped. A null text asks for nothing.
bool StartsHidden(const char16_t* text);
