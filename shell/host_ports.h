// The engine's and the compiler's ways out, pointed at Windows.
#pragma once

void InstallHostPorts();
