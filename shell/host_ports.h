// The engine's and the compiler's ways out, pointed at Windows.
#pragma once

void InstallHostPorts();
// The host forgets every status-line text (at start-up, before each compile and at exit).
void ForgetStatusText();
