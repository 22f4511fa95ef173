#include <QPushButton>
#include <QWindow>

#include "qt_test_support.h"

namespace platform::qt::testing {
namespace {

using KeyboardInputTest = HostTest;

TEST_F(KeyboardInputTest, KeysReachTheFormWithCodesAndModifierMasksWhileAFocusedButtonClicks) {
    KeyForm form;
    host.loadForm(form);
    showAndActivate(form);
    host.setFocus(form.okButton);
    ASSERT_TRUE(host.windowOf(form)->canvas().buttonFor(form.okButton)->hasFocus());
    QWindow* native = host.windowOf(form)->windowHandle();
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
    // Each release goes out when the next key comes, the last one once the
    // time to rejoin it has run out.
    QTest::qWait(int(KeyRepeatFilter::kRejoinMs) + 30);
    EXPECT_EQ(form.clicks, 3);
    EXPECT_EQ(form.keys, (Actions{down(27), up(27), down(13), up(13), down(37, 1), up(37, 1),
                                  down(13), up(13), down(39, 2), up(39, 2), down(65, 4), up(65, 4),
                                  down(65, 1), up(65, 1), down(32), up(32), down(68), up(68)}));
}

}  // namespace
}  // namespace platform::qt::testing
