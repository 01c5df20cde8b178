// Addresses posted to the main window are used only inside the engine's own buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "command_address.h"

namespace {

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

class CommandAddress : public ::testing::Test {
protected:
    void SetUp() override {
        InitEngine();
        std::memset(gNoticeBuffer, 0, sizeof gNoticeBuffer);
    }
    void TearDown() override { ReleaseCodeImage(); }

    // Installs `size` bytes as the code image and returns its first byte.
    const uint8_t* Install(const char* bytes, uint32_t size) {
        EXPECT_TRUE(InstallCodeImageBytes(reinterpret_cast<const uint8_t*>(bytes), size));
        return gEngine.code.bytes;
    }
};

TEST_F(CommandAddress, AcceptsTextsThatEndInsideTheirBuffer) {
    std::strcpy(gNoticeBuffer, "notice 5");
    gStatusSlots[2].bytes[0] = 2;
    std::memcpy(gStatusSlots[2].bytes + 1, "line", 5);
    // STR 1, SKIP 3, "calc" 0 "x" 0: the program and its arguments inside the image.
    const uint8_t* image = Install("\x28\x01\x27\x03" "calc\0x\0" "\x01\x00", 14);

    struct Case {
        int line;
        uintptr_t address;
        int texts;
    } const cases[] = {
        {__LINE__, Address(gNoticeBuffer), 1},
        {__LINE__, Address(gNoticeBuffer + 7), 1},             // from inside the text
        {__LINE__, Address(gStatusSlots[2].bytes + 1), 1},
        {__LINE__, Address(image + 4), 2},                      // program and arguments
        {__LINE__, Address(image + 9), 1},                      // the arguments alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Address(EngineTextsAt(c.address, c.texts)), c.address);
    }
}

TEST_F(CommandAddress, RefusesAddressesOutsideOrTextsRunningPastTheEnd) {
    std::memset(gNoticeBuffer, 'x', sizeof gNoticeBuffer);  // no terminator anywhere
    std::memset(gStatusSlots[5].bytes, 'y', sizeof gStatusSlots[5].bytes);
    gStatusSlots[4].bytes[49] = 'z';  // slot 4's text would run into slot 5
    // The image's last text has no zero byte before the image ends.
    const uint8_t* image = Install("\x28\x01\x27\x02" "ab\0cd", 9);
    static char elsewhere[8] = "outside";

    struct Case {
        int line;
        uintptr_t address;
        int texts;
    } const cases[] = {
        {__LINE__, 0, 1},
        {__LINE__, 1, 1},
        {__LINE__, UINTPTR_MAX, 1},
        {__LINE__, Address(elsewhere), 1},                           // terminated, but not the engine's
        {__LINE__, Address(gNoticeBuffer), 1},                       // never terminated
        {__LINE__, Address(gStatusSlots[5].bytes + 1), 1},
        {__LINE__, Address(gStatusSlots[4].bytes + 49), 1},          // a slot's end is its own end
        {__LINE__, Address(image + 4), 2},                            // the second text runs past the image
        {__LINE__, Address(image + 7), 1},
        {__LINE__, Address(image + 9), 1},                            // one past the image
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(EngineTextsAt(c.address, c.texts), nullptr);
    }
}

TEST_F(CommandAddress, AnAddressIntoAReleasedImageIsRefused) {
    const uint8_t* image = Install("\x28\x00\x27\x01" "a\0" "\x01\x00", 8);
    const uintptr_t text = Address(image + 4);
    ASSERT_NE(EngineTextsAt(text, 1), nullptr);
    ReleaseCodeImage();
    EXPECT_EQ(EngineTextsAt(text, 1), nullptr);
}

TEST_F(CommandAddress, StatusSlotsOnlyAtTheirStart) {
    for (int n = 0; n < STATUS_LINE_COUNT; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(StatusSlotAt(Address(&gStatusSlots[n])), &gStatusSlots[n]);
        EXPECT_EQ(StatusSlotAt(Address(gStatusSlots[n].bytes + 1)), nullptr);
    }
    EXPECT_EQ(StatusSlotAt(0), nullptr);
    EXPECT_EQ(StatusSlotAt(Address(gNoticeBuffer)), nullptr);
    EXPECT_EQ(StatusSlotAt(Address(&gStatusSlots[STATUS_LINE_COUNT])), nullptr);
}

}  // namespace
