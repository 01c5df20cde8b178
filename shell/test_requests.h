// Test requests to the main window, answered only under the test switch (test_switch.h): they let the
// Wine tests reach the engine's buffers as a hostile program would, and read the live menu, which
// Wine keeps out of other processes' reach.
#pragma once
#include <windows.h>

// True for the messages that are test requests.
bool IsTestRequest(UINT message);
// The answer to a test request: an address, or 1 when the menu was written; 0 without the switch.
LRESULT AnswerTestRequest(UINT message, WPARAM wParam);
