// One compile at a time. A compile shows its messages in modal boxes whose message loops keep
// dispatching commands, so a reload can be asked for while a compile is still running. Such a request
// waits: it is carried out right after the running compile ends, so the user's last edit of the script
// is always the one compiled, and compiles never nest. Portable.
#pragma once

// Runs `compile` and then `afterCompile`; a request that arrives while `compile` runs (also from inside
// it) is remembered and carried out, once, when the running compile and its `afterCompile` are done.
// `afterCompile` may be none.
void RunCompile(void (*compile)(), void (*afterCompile)());

// True while a compile started by RunCompile is running.
bool CompileRunning();
