#include "platform/desktop/input/key_repeat_filter.h"

#include "platform/key_codes.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

using namespace platform::keys;

TEST(KeyRepeatFilter, AHeldKeyRepeatsKeyDownAndIsReleasedOnce) {
    KeyRepeatFilter filter;
    EXPECT_EQ(filter.press(kLeft, 0, 1000), Actions{down(kLeft)});
    // Auto-repeat: its releases are dropped, its presses repeat the key-down,
    // also when the next press comes well after the 8 ms a release waits.
    EXPECT_EQ(filter.release(kLeft, 0, true, 1500), Actions{});
    EXPECT_EQ(filter.nextDeadlineMs(), std::nullopt);
    EXPECT_EQ(filter.poll(1530), Actions{});
    EXPECT_EQ(filter.press(kLeft, 0, 1530), Actions{down(kLeft)});
    // An unmarked release and press less than 8 ms apart: still held.
    EXPECT_EQ(filter.release(kLeft, 0, false, 1600), Actions{});
    EXPECT_EQ(filter.press(kLeft, 0, 1607), Actions{down(kLeft)});
    EXPECT_EQ(filter.poll(5000), Actions{});

    // A real release goes out once, 8 ms after it came.
    EXPECT_EQ(filter.release(kLeft, kShiftMask, false, 6000), Actions{});
    EXPECT_EQ(filter.nextDeadlineMs(), 6008);
    EXPECT_EQ(filter.poll(6007), Actions{});
    EXPECT_EQ(filter.poll(6008), Actions{up(kLeft, kShiftMask)});
    EXPECT_EQ(filter.poll(9000), Actions{});
    // A press 8 ms after the release is a new one.
    filter.release(kLeft, 0, false, 10000);
    EXPECT_EQ(filter.press(kLeft, 0, 10008), (Actions{up(kLeft), down(kLeft)}));
}

TEST(KeyRepeatFilter, AnyOtherKeyDeliversAHeldBackReleaseFirst) {
    KeyRepeatFilter filter;
    filter.press(kLeft, 0, 0);
    filter.release(kLeft, 0, false, 100);
    EXPECT_EQ(filter.press(kRight, 0, 102), (Actions{up(kLeft), down(kRight)}));
    filter.release(kRight, 0, false, 200);
    EXPECT_EQ(filter.release(kW, 0, false, 201), Actions{up(kRight)});
    // Shift pressed between the release and the next press of W.
    EXPECT_EQ(filter.otherKey(202), Actions{up(kW)});
    EXPECT_EQ(filter.press(kW, kShiftMask, 203), Actions{down(kW, kShiftMask)});
}

}  // namespace
}  // namespace platform::desktop::testing
