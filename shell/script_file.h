// Compiling scriptcommand.txt beside the program, at start-up and on reload.
#pragma once

// Start-up: compiles the script; the start-up function runs later, once the hook is in place.
void CompileStartupScript();
// Reload: compiles the script again and runs its start-up function. Asked for while a compile is
// running, the reload waits for it and follows it.
void ReloadScript();
