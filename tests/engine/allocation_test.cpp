// The key path must not allocate: it runs inside the platform's keyboard hook.
// The test executable is linked with --wrap for malloc, calloc and realloc, and replaces the
// global operator new, so every allocation made by the engine's code passes a counter.
#include "engine_test_support.h"

#include <cstdlib>
#include <new>

namespace {
bool gCounting = false;
int gAllocations = 0;
void Count() {
    if (gCounting) ++gAllocations;
}
}  // namespace

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* p, size_t size);
void* __wrap_malloc(size_t size) {
    Count();
    return __real_malloc(size);
}
void* __wrap_calloc(size_t count, size_t size) {
    Count();
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* p, size_t size) {
    Count();
    return __real_realloc(p, size);
}
}

void* operator new(size_t size) {
    Count();
    if (void* p = __real_malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

class AllocationTest : public EngineTest {};

TEST_F(AllocationTest, KeyEventsAllocateNothing) {
    // Every kind of work a key can cause: pre-key function, calls, stack, injection,
    // a status line, a notice, a program launch, a run-time error.
    const Bytes strings = Join({StringBlock(0, "key %d state %x", ""), StringBlock(1, "prog", "args")});
    const int base = int(strings.size() / 2);
    gAllocations = 0;
    gCounting = true;  // installing the image allocates: proof that the counter sees the engine's allocations
    Load(Join({strings,
               Code({OP_LDA, R_VK, OP_STA, 4, OP_EXIT, 0,  // base: pre-key function
                     OP_JKEYUP, 2, OP_TGSEL, 0, OP_TGSET, 2, OP_CALLEV, 5, OP_PUSH, 4, OP_POP, 0,  // base + 3: key
                     OP_SETMODS, 0x33, OP_PRESSR, 4, OP_STATUS, 1, OP_NOTICE, 1, OP_EXEC, 1, OP_EXIT, 1,
                     OP_LABEL, 2, OP_JMP, 99,
                     OP_LDR1, 5, OP_RET, 0})}));  // base + 17: function 5
    gCounting = false;
    ASSERT_GT(gAllocations, 0);
    gEngine.functionTables[0][1] = uint16_t(base);
    gEngine.functionTables[1][0x41] = uint16_t(base + 3);
    gEngine.functionTables[0][5] = uint16_t(base + 17);
    RunScript(0, 0, 0);  // the start-up run binds the two string slots
    struct Event {
        const char* what;
        uint32_t message;
        bool throughHook;
        int swallowed;
        const char* commands;
    } events[] = {
        {"key down", MSG_KEYDOWN, false, 1, "status1:key 65 state 5 notice:prog 65 run:prog|args"},
        {"key up", MSG_KEYUP, false, 0, "notice:Label notfound 99"},
        {"key down through the hook", MSG_KEYDOWN, true, 1, "status1:key 65 state 5 notice:prog 65 run:prog|args"},
    };
    for (const Event& e : events) {
        SCOPED_TRACE(e.what);
        ClearPortRecording();
        gAllocations = 0;
        gCounting = true;
        int swallowed = e.throughHook ? int(HookSwallowsEvent(0, e.message, 0x41, 0x10, 100))
                                      : DispatchKeyEvent(0x10, 0x41, e.message, 100);
        gCounting = false;
        EXPECT_EQ(gAllocations, 0);
        // The run did the work it was meant to do.
        EXPECT_EQ(swallowed, e.swallowed);
        EXPECT_EQ(RenderCommands(), e.commands);
    }
}

}  // namespace
