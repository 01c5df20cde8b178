// Addresses posted to the main window are used only inside the engine's own buffers, and a reload drops
// the commands whose addresses it makes stale.
#include <gtest/gtest.h>

#include <cstring>

#include "command_address.h"
#include "commands.h"

namespace {

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

class CommandAddress : public ::testing::Test {
protected:
    void SetUp() override { InitEngine(); }
    void TearDown() override { ReleaseCodeImage(); }
    const uint8_t* Install(const char* bytes, uint32_t size) {
        EXPECT_TRUE(InstallCodeImageBytes(reinterpret_cast<const uint8_t*>(bytes), size));
        return gEngine.code.bytes;
    }
};

TEST_F(CommandAddress, TextsMustEndInsideTheEnginesBufferTheyStartIn) {
    std::strcpy(gNoticeBuffer, "notice 5");
    std::memcpy(gStatusSlots[2].bytes, "\x02line", 6);
    std::memset(gStatusSlots[5].bytes, 'y', STATUS_SLOT_SIZE);  // no terminator
    gStatusSlots[4].bytes[STATUS_SLOT_SIZE - 1] = 'z';  // slot 4's text would run into slot 5
    // STR 1, SKIP 3, "calc" 0 "x" 0 "cd": the program and its arguments, then a text without terminator.
    const uint8_t* image = Install("\x28\x01\x27\x03" "calc\0x\0cd", 13);
    static char elsewhere[8] = "outside";
    const struct {
        int line;
        uintptr_t address;
        int texts;
        bool accepted;
    } cases[] = {
        {__LINE__, Address(gNoticeBuffer), 1, true},
        {__LINE__, Address(gNoticeBuffer + 7), 1, true},  // from inside the text
        {__LINE__, Address(gStatusSlots[2].bytes + 1), 1, true},
        {__LINE__, Address(gStatusSlots[1].bytes), 1, true},  // its empty text; the first byte is no end of slot 0
        {__LINE__, Address(image + 4), 2, true},  // program and arguments
        {__LINE__, Address(image + 9), 1, true},
        {__LINE__, Address(image + 9), 2, false},  // the second text runs past the image
        {__LINE__, Address(image + 11), 1, false},
        {__LINE__, 0, 1, false},
        {__LINE__, UINTPTR_MAX, 1, false},
        {__LINE__, Address(elsewhere), 1, false},  // terminated, but not the engine's
        {__LINE__, Address(gStatusSlots[5].bytes + 1), 1, false},
        {__LINE__, Address(gStatusSlots[4].bytes + STATUS_SLOT_SIZE - 1), 1, false},  // a slot's end is its own
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Address(EngineTextsAt(c.address, c.texts)), c.accepted ? c.address : 0);
    }
    ReleaseCodeImage();
    EXPECT_EQ(EngineTextsAt(Address(image + 4), 1), nullptr) << "an address into a released image";
}

TEST_F(CommandAddress, StatusSlotsOnlyAtTheirStartAndWithALineIndex) {
    for (const StatusSlot& slot : gStatusSlots) {
        EXPECT_EQ(StatusSlotAt(Address(&slot)), &slot);
        EXPECT_EQ(StatusSlotAt(Address(slot.bytes + 1)), nullptr);
    }
    EXPECT_EQ(StatusSlotAt(0), nullptr);
    EXPECT_EQ(StatusSlotAt(Address(gNoticeBuffer)), nullptr);
    const struct {
        uint8_t index;
        int line;  // -1: none
    } indexes[] = {{0, 0}, {5, 5}, {6, -1}, {0x7F, -1}, {0x80, -1}, {0xFF, -1}};
    for (const auto& c : indexes) {
        gStatusSlots[3].bytes[0] = c.index;
        EXPECT_EQ(StatusLineOf(gStatusSlots[3]), c.line) << int(c.index);
    }
}

TEST(QueuedCommands, AReloadIgnoresTheStaleOnesUpToItsMark) {
    const uintptr_t first = IgnoreStaleCommands();
    const uintptr_t mark = IgnoreStaleCommands();  // a second reload before the first one's mark came
    const struct {
        uint16_t id;
        uintptr_t value;
        bool ignored;
    } queue[] = {
        {CmdRunProgram, 1, true}, {CmdStatusLine, 1, true}, {CmdNotice, 1, false}, {CmdRotateScreen, 0, false},
        {CmdWindowAction, 'A', false}, {CmdQuit, 0, false}, {40024, 0, false}, {1, 0, false},
        {QUEUE_MARK, first, true}, {CmdStatusLine, 1, true},     // the second reload's stale ones still come
        {QUEUE_MARK, mark + 1, true}, {CmdRunProgram, 1, true},  // and a foreign mark changes nothing
        {QUEUE_MARK, mark, true}, {CmdStatusLine, 1, false}, {CmdRunProgram, 1, false},  // posted after it
    };
    for (const auto& c : queue) EXPECT_EQ(IgnoredCommand(c.id, c.value), c.ignored) << &c - queue;
}

}  // namespace
