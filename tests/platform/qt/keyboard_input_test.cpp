#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "platform/key_codes.h"
#include "qt_test_support.h"

namespace platform::qt::testing {
namespace {

using Actions = std::vector<KeyAction>;

KeyAction down(std::int16_t key, std::int16_t shift = 0) {
    return {KeyAction::Kind::Down, key, shift};
}
KeyAction up(std::int16_t key, std::int16_t shift = 0) {
    return {KeyAction::Kind::Up, key, shift};
}

class KeyboardInputTest : public HostTest {
protected:
    void SetUp() override {
        host.loadForm(form);
        showAndActivate(form);
        native = host.windowOf(form)->windowHandle();
        ASSERT_NE(native, nullptr);
    }
    // Presses and releases, then waits out the time a release is held back.
    void click(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyPress(native, key, modifiers);
        QTest::keyRelease(native, key, modifiers);
        QTest::qWait(int(KeyRepeatFilter::kRejoinMs) + 25);
    }
    void sendRaw(QEvent::Type type, Qt::Key key, bool autoRepeat) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(native, &event);
    }

    KeyForm form;
    QWindow* native = nullptr;
};

TEST_F(KeyboardInputTest, KeysReachTheFormWithPlatformCodesAndModifierMasks) {
    click(Qt::Key_Escape);
    click(Qt::Key_Return);
    click(Qt::Key_Enter);
    click(Qt::Key_Left);
    click(Qt::Key_Up, Qt::ShiftModifier);
    click(Qt::Key_Right, Qt::ControlModifier);
    click(Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    click(Qt::Key_7);
    click(Qt::Key_Space);
    EXPECT_EQ(form.keys, (Actions{down(keys::kEscape), up(keys::kEscape), down(13), up(13),
                                  down(13), up(13), down(keys::kLeft), up(keys::kLeft),
                                  down(keys::kUp, 1), up(keys::kUp, 1), down(keys::kRight, 2),
                                  up(keys::kRight, 2), down(keys::kDown, 5), up(keys::kDown, 5),
                                  down(55), up(55), down(keys::kSpace), up(keys::kSpace)}));

    // Letters by their capital's code whatever the case typed; keys the game
    // has no code for never arrive.
    form.keys.clear();
    QTest::keyClick(native, 'w');
    QTest::keyClick(native, 'W', Qt::ShiftModifier);
    click(Qt::Key_F1);
    click(Qt::Key_Tab);
    QTest::qWait(30);
    EXPECT_EQ(form.keys,
              (Actions{down(keys::kW), up(keys::kW), down(keys::kW, 1), up(keys::kW, 1)}));
}

TEST_F(KeyboardInputTest, AFocusedButtonStillClicksAndTheFormStillHearsTheKey) {
    host.setFocus(form.okButton);
    QPushButton* button = host.windowOf(form)->canvas().buttonFor(form.okButton);
    ASSERT_TRUE(button->hasFocus());

    click(Qt::Key_Return);
    EXPECT_EQ(form.clicks, 1);
    click(Qt::Key_Space);
    EXPECT_EQ(form.clicks, 2);
    click(Qt::Key_D);
    EXPECT_EQ(form.keys, (Actions{down(13), up(13), down(keys::kSpace), up(keys::kSpace),
                                  down(keys::kD), up(keys::kD)}));
}

TEST_F(KeyboardInputTest, AHeldKeyRepeatsAndIsReleasedOnce) {
    sendRaw(QEvent::KeyPress, Qt::Key_Left, false);
    sendRaw(QEvent::KeyRelease, Qt::Key_Left, true);
    sendRaw(QEvent::KeyPress, Qt::Key_Left, true);
    // The X server's unmarked release-and-press pair of a held key.
    sendRaw(QEvent::KeyRelease, Qt::Key_Left, false);
    sendRaw(QEvent::KeyPress, Qt::Key_Left, false);
    QTest::qWait(40);
    EXPECT_EQ(form.keys, (Actions{down(keys::kLeft), down(keys::kLeft), down(keys::kLeft)}));

    sendRaw(QEvent::KeyRelease, Qt::Key_Left, false);
    EXPECT_EQ(form.keys.size(), 3u) << "the release waits to see whether the key comes back";
    ASSERT_TRUE(QTest::qWaitFor([this] { return form.keys.size() == 4; }, 1000));
    EXPECT_EQ(form.keys.back(), up(keys::kLeft));
    QTest::qWait(40);
    EXPECT_EQ(form.keys.size(), 4u);
}

}  // namespace
}  // namespace platform::qt::testing
