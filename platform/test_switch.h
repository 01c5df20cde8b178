// Test switches: the environment variable QUILLO_TEST, set by the Wine tests only, lets them reach
// what a user's system does to the program (a refused or lost hook) and read what is otherwise hidden.
// A normal start never has it.
#pragma once

// Values of QUILLO_TEST.
#define TEST_ANSWER_REQUESTS L"requests"  // the watchdog and the main window answer the test messages
#define TEST_HOOK_REFUSED L"no-hook"      // the keyboard hook cannot be installed

// True when QUILLO_TEST was `value` when the program started.
bool TestSwitchIs(const wchar_t* value);
