#include <QKeyEvent>
#include <QPushButton>
#include <QWindow>
#include <optional>

#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

// Time for held-back key releases that moves only when the test moves it.
class FakeKeyClock : public KeyClock {
public:
    std::int64_t nowMs() const override { return now_; }
    void wakeAt(std::int64_t deadlineMs, std::function<void()> wake) override {
        deadline_ = deadlineMs;
        wake_ = std::move(wake);
    }
    void cancelWake() override { deadline_.reset(); }
    // Moves the clock on, waking on the way whoever asked to be. A wake that
    // asks again for a time already come would spin: it ends the moving.
    void advance(std::int64_t ms) {
        const std::int64_t end = now_ + ms;
        while (deadline_ && *deadline_ <= end) {
            const std::int64_t due = *deadline_;
            now_ = std::max(now_, due);
            deadline_.reset();
            std::function<void()> wake = wake_;
            wake();
            if (deadline_ && *deadline_ <= due) {
                break;
            }
        }
        now_ = end;
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
    ASSERT_TRUE(host.windowOf(form)->canvas().buttonFor(form.okButton)->hasFocus());
    QTest::keyClick(native, Qt::Key_Escape);
    QTest::keyClick(native, Qt::Key_Return);
    QTest::keyClick(native, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(native, Qt::Key_Enter);
    QTest::keyClick(native, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(native, 'a', Qt::AltModifier);
    QTest::keyClick(native, Qt::Key_F1);  // no code: the game never sees it
    QTest::keyClick(native, 'A', Qt::ShiftModifier);
    QTest::keyClick(native, Qt::Key_Space);
    QTest::keyClick(native, 'd');
    EXPECT_EQ(form.clicks, 3);
    // Each release goes out when the next key comes, the last one once the
    // time to rejoin it has run out.
    const Actions expected = {down(27),    up(27),    down(13),    up(13),      down(37, 1),
                              up(37, 1),   down(13),  up(13),      down(39, 2), up(39, 2),
                              down(65, 4), up(65, 4), down(65, 1), up(65, 1),   down(32),
                              up(32),      down(68)};
    EXPECT_EQ(form.keys, expected);
    clock->advance(KeyRepeatFilter::kRejoinMs - 1);
    EXPECT_EQ(form.keys.size(), expected.size());
    clock->advance(1);
    EXPECT_EQ(form.keys.back(), up(68));
}

TEST_F(KeyboardInputTest, AHeldKeyIsReleasedOnceHoweverLongItsRepeatsTakeToCome) {
    // A held ESC repeats with auto-repeat releases between the presses; the
    // next press may come long after the 8 ms a plain release waits, and
    // still no key-up goes out, so the pause toggles only once.
    send(QEvent::KeyPress, Qt::Key_Escape, false);
    for (int repeat = 0; repeat < 3; ++repeat) {
        clock->advance(500);
        send(QEvent::KeyRelease, Qt::Key_Escape, true);
        clock->advance(KeyRepeatFilter::kRejoinMs + 25);
        send(QEvent::KeyPress, Qt::Key_Escape, true);
    }
    clock->advance(1000);
    EXPECT_EQ(form.keys, (Actions{down(27), down(27), down(27), down(27)}));
    // The real release goes out once, when its time to be rejoined has passed.
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
