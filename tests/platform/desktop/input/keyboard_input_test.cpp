#include <QKeyEvent>
#include <QPushButton>
#include <QWindow>
#include <optional>

#include "platform/key_codes.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

using namespace platform::keys;

TEST(KeyRepeatFilter, AHeldKeyRepeatsItsKeyDownAndIsReleasedOnce) {
    // Each row: a release at 100 ms and what comes after it.
    enum Next { AutoRepeatPress, Press, OtherPress, OtherRelease, OtherKey, Poll };
    const struct {
        const char* what;
        bool autoRepeat;
        Next next;
        std::int64_t atMs;
        Actions out;
    } cases[] = {
        {"marked auto-repeat, however late the press", true, Press, 500, {down(kLeft)}},
        {"pressed again within 8 ms: still held", false, Press, 107, {down(kLeft)}},
        {"pressed again at 8 ms: a new press", false, Press, 108, {up(kLeft, kShiftMask), down(kLeft)}},
        {"polled at 8 ms", false, Poll, 108, {up(kLeft, kShiftMask)}},
        {"another key pressed", false, OtherPress, 101, {up(kLeft, kShiftMask), down(kRight)}},
        {"another key released", false, OtherRelease, 101, {up(kLeft, kShiftMask)}},
        {"a key without a code", false, OtherKey, 101, {up(kLeft, kShiftMask)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeyRepeatFilter filter;
        EXPECT_EQ(filter.press(kLeft, 0, 0), Actions{down(kLeft)});
        EXPECT_EQ(filter.release(kLeft, kShiftMask, c.autoRepeat, 100), Actions{});
        EXPECT_EQ(filter.nextDeadlineMs(), c.autoRepeat ? std::nullopt : std::optional(108));
        const Actions out = c.next == Press        ? filter.press(kLeft, 0, c.atMs)
                            : c.next == OtherPress ? filter.press(kRight, 0, c.atMs)
                            : c.next == OtherRelease ? filter.release(kRight, 0, false, c.atMs)
                            : c.next == OtherKey     ? filter.otherKey(c.atMs)
                                                     : filter.poll(c.atMs);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(filter.poll(10000), (c.next == OtherRelease ? Actions{up(kRight)} : Actions{}));
    }
}

// Time for held-back key releases that moves only when the test moves it.
class FakeKeyClock : public KeyClock {
public:
    std::int64_t nowMs() const override { return now_; }
    void wakeAt(std::int64_t deadlineMs, std::function<void()> wake) override {
        deadline_ = deadlineMs;
        wake_ = std::move(wake);
    }
    void cancelWake() override { deadline_.reset(); }
    // Moves the clock on, waking on the way whoever asked to be.
    void advance(std::int64_t ms) {
        now_ += ms;
        while (deadline_ && *deadline_ <= now_) {
            deadline_.reset();
            wake_();
        }
    }

private:
    std::int64_t now_ = 1000;
    std::optional<std::int64_t> deadline_;
    std::function<void()> wake_;
};

class KeyboardInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.loadForm(form);
        host.showForm(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(form)));
        native = host.windowOf(form)->windowHandle();
    }
    void send(QEvent::Type type, int key, bool autoRepeat) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(native, &event);
    }

    FakeKeyClock* clock = new FakeKeyClock;  // owned by the host
    QtHost host{{}, [](int) {}, std::unique_ptr<KeyClock>(clock)};
    KeyForm form;
    QWindow* native = nullptr;
};

TEST_F(KeyboardInputTest, KeysReachTheFormWithCodesAndModifierMasksWhileAFocusedButtonClicks) {
    host.setFocus(form.okButton);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::int16_t code, shift;  // code 0: the game never sees it
    } cases[] = {
        {Qt::Key_Escape, {}, kEscape, 0},
        {Qt::Key_Return, {}, kReturn, 0},
        {Qt::Key_Enter, {}, kReturn, 0},
        {Qt::Key_Space, {}, kSpace, 0},
        {Qt::Key_Left, Qt::ShiftModifier, kLeft, kShiftMask},
        {Qt::Key_Right, Qt::ControlModifier, kRight, kCtrlMask},
        {Qt::Key_A, Qt::AltModifier, kA, kAltMask},
        {Qt::Key_F1, {}, 0, 0},
    };
    for (const auto& c : cases) {
        form.keys.clear();
        QTest::keyClick(native, c.key, c.modifiers);
        clock->advance(KeyRepeatFilter::kRejoinMs);
        EXPECT_EQ(form.keys, c.code == 0 ? Actions{}
                                         : (Actions{down(c.code, c.shift), up(c.code, c.shift)}))
            << c.key;
    }
    EXPECT_EQ(form.clicks, 3) << "ENTER, RETURN and SPACE click it";
}

TEST_F(KeyboardInputTest, AHeldKeyIsReleasedOnceHoweverLongItsRepeatsTakeToCome) {
    // Auto-repeat releases come between the presses of a held key; the next
    // press may come long after 8 ms, and still no key-up goes out.
    send(QEvent::KeyPress, Qt::Key_Escape, false);
    for (int repeat = 0; repeat < 3; ++repeat) {
        clock->advance(500);
        send(QEvent::KeyRelease, Qt::Key_Escape, true);
        clock->advance(KeyRepeatFilter::kRejoinMs + 25);
        send(QEvent::KeyPress, Qt::Key_Escape, true);
    }
    send(QEvent::KeyRelease, Qt::Key_Escape, false);
    clock->advance(KeyRepeatFilter::kRejoinMs);
    EXPECT_EQ(form.keys, (Actions{down(27), down(27), down(27), down(27), up(27)}));
}

// The host's own clock wakes for the last release by itself.
using SystemKeyClockTest = HostTest;

TEST_F(SystemKeyClockTest, TheLastReleaseGoesOutOnItsOwnSoonAfter) {
    KeyForm form;
    host.loadForm(form);
    showAndActivate(form);
    QTest::keyClick(host.windowOf(form)->windowHandle(), 'd');
    // However loaded the machine, it comes; nothing else comes with it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.keys.size() >= 2; }, 5000));
    EXPECT_EQ(form.keys, (Actions{down(68), up(68)}));
}

}  // namespace
}  // namespace platform::desktop::testing
