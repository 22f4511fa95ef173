#include "platform/qt/key_repeat_filter.h"

#include <gtest/gtest.h>

#include "platform/key_codes.h"

namespace platform::qt {
namespace {

using Actions = std::vector<KeyAction>;

KeyAction down(std::int16_t key, std::int16_t shift = 0) {
    return {KeyAction::Kind::Down, key, shift};
}
KeyAction up(std::int16_t key, std::int16_t shift = 0) {
    return {KeyAction::Kind::Up, key, shift};
}

TEST(KeyRepeatFilter, RealReleaseIsDeliveredOnceAfterTheRejoinTime) {
    KeyRepeatFilter filter;
    EXPECT_EQ(filter.press(keys::kLeft, 0, 1000), Actions{down(keys::kLeft)});
    EXPECT_EQ(filter.release(keys::kLeft, keys::kShiftMask, false, 1100), Actions{});
    EXPECT_EQ(filter.nextDeadlineMs(), 1108);
    EXPECT_EQ(filter.poll(1107), Actions{});
    EXPECT_EQ(filter.poll(1108), Actions{up(keys::kLeft, keys::kShiftMask)});
    EXPECT_EQ(filter.poll(1200), Actions{});
    EXPECT_EQ(filter.nextDeadlineMs(), std::nullopt);
    // A press after the release went out is a fresh press.
    EXPECT_EQ(filter.press(keys::kLeft, 0, 1210), Actions{down(keys::kLeft)});
}

TEST(KeyRepeatFilter, AutoRepeatRepeatsKeyDownAndDropsItsReleases) {
    KeyRepeatFilter filter;
    filter.press(keys::kRight, 0, 0);
    EXPECT_EQ(filter.release(keys::kRight, 0, true, 500), Actions{});
    EXPECT_EQ(filter.nextDeadlineMs(), std::nullopt);
    EXPECT_EQ(filter.press(keys::kRight, 0, 500), Actions{down(keys::kRight)});
    EXPECT_EQ(filter.release(keys::kRight, 0, true, 533), Actions{});
    EXPECT_EQ(filter.press(keys::kRight, 0, 533), Actions{down(keys::kRight)});
    EXPECT_EQ(filter.poll(10'000), Actions{});
    filter.release(keys::kRight, 0, false, 600);
    EXPECT_EQ(filter.poll(608), Actions{up(keys::kRight)});
}

TEST(KeyRepeatFilter, ReleaseAndPressOfTheSameKeyWithinEightMsIsStillHeld) {
    KeyRepeatFilter filter;
    filter.press(keys::kA, 0, 0);
    for (std::int64_t t = 500; t <= 700; t += 40) {
        EXPECT_EQ(filter.release(keys::kA, 0, false, t), Actions{});
        EXPECT_EQ(filter.press(keys::kA, 0, t + 7), Actions{down(keys::kA)}) << t;
        EXPECT_EQ(filter.nextDeadlineMs(), std::nullopt);
    }
    EXPECT_EQ(filter.poll(5000), Actions{});
    // At eight milliseconds the release was real and is delivered first.
    filter.release(keys::kA, 0, false, 6000);
    EXPECT_EQ(filter.press(keys::kA, 0, 6008), (Actions{up(keys::kA), down(keys::kA)}));
}

TEST(KeyRepeatFilter, OtherKeysDoNotRejoinAHeldBackRelease) {
    KeyRepeatFilter filter;
    filter.press(keys::kLeft, 0, 0);
    filter.release(keys::kLeft, 0, false, 100);
    // The player moved from Left to Right: Left's key-up comes first.
    EXPECT_EQ(filter.press(keys::kRight, 0, 102), (Actions{up(keys::kLeft), down(keys::kRight)}));
    filter.release(keys::kRight, 0, false, 200);
    EXPECT_EQ(filter.release(keys::kW, 0, false, 201), Actions{up(keys::kRight)});
    EXPECT_EQ(filter.poll(209), Actions{up(keys::kW)});
    // Shift pressed between a release and a press of the same key.
    filter.press(keys::kW, 0, 300);
    filter.release(keys::kW, 0, false, 400);
    EXPECT_EQ(filter.otherKey(401), Actions{up(keys::kW)});
    EXPECT_EQ(filter.press(keys::kW, keys::kShiftMask, 402), Actions{down(keys::kW, 1)});
}

}  // namespace
}  // namespace platform::qt
