#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <stdexcept>
#include <thread>

#include "platform/numeric.h"
#include "qt_test_support.h"

namespace platform::qt::testing {
namespace {

// A window with a timer to act from and one that counts every tick.
class TimedForm : public Form {
public:
    explicit TimedForm(int actIntervalMs = 100) : Form("Timed", 4500, 3000) {
        tmrAct = std::make_unique<Timer>("tmrAct", actIntervalMs, true);
        timers = {tmrAct.get(), &tmrCount};
        tmrCount.onTimer = [this] { ++ticks; };
    }
    std::unique_ptr<Timer> tmrAct;
    Timer tmrCount{"tmrCount", 1, true};
    int ticks = 0;
};

using HostServicesTest = HostTest;

TEST_F(HostServicesTest, MessageBoxFromATimerKeepsTheOtherTimersTicking) {
    TimedForm form;
    int ticksWhileBoxUp = -1;
    bool returned = false;
    form.tmrAct->onTimer = [&] {
        form.tmrAct->setEnabled(false);
        const int before = form.ticks;
        host.messageBox("Game Over!\r\nYour score: 12", "Tumbrix");
        ticksWhileBoxUp = form.ticks - before;
        returned = true;
    };
    SeenBox seen;
    closeMessageBoxLater(seen, 300);
    host.loadForm(form);
    host.showForm(form);

    ASSERT_TRUE(QTest::qWaitFor([&] { return returned; }, 5000));
    // About 19 ticks in 300 ms; a stalled clock would show none.
    EXPECT_GE(ticksWhileBoxUp, 8);
    EXPECT_EQ(seen.title, "Tumbrix");
    EXPECT_EQ(seen.text, "Game Over!\nYour score: 12");
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttonCount, 1);
    EXPECT_EQ(seen.parent, host.windowOf(form));
}

TEST_F(HostServicesTest, ClockKeepsSixtyFourTicksASecond) {
    TimedForm form;
    host.loadForm(form);
    const std::int64_t first = host.scheduler().now();
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::qWait(1500);
    const std::int64_t ticks = host.scheduler().now() - first;
    const std::int64_t due = elapsed.elapsed() * 64 / 1000;
    // Never ahead of the clock (a repeating 15 ms timer would be); behind
    // only on a machine too busy to keep up.
    EXPECT_LE(ticks, due + 2);
    EXPECT_GE(ticks, due / 2);
}

TEST_F(HostServicesTest, ShowModalReturnsOnceTheFormHidesItself) {
    TimedForm dialog;
    Qt::WindowModality modalityWhileShown = Qt::NonModal;
    dialog.tmrAct->onTimer = [&] {
        modalityWhileShown = host.windowOf(dialog)->windowModality();
        EXPECT_TRUE(host.windowOf(dialog)->isVisible());
        dialog.visible = false;
    };
    host.showModal(dialog);
    EXPECT_EQ(modalityWhileShown, Qt::ApplicationModal);
    EXPECT_FALSE(host.windowOf(dialog)->isVisible());
    EXPECT_EQ(host.windowOf(dialog)->windowModality(), Qt::NonModal);

    // Closed from its title bar: the form's default handler hides it.
    dialog.tmrAct->onTimer = [&] { host.windowOf(dialog)->close(); };
    host.showModal(dialog);
    EXPECT_FALSE(dialog.visible);
    EXPECT_FALSE(host.windowOf(dialog)->isVisible());
    EXPECT_TRUE(quitCodes.empty());
}

TEST_F(HostServicesTest, EndProgramUnwindsNestedModalLoopsAndStopsTheGame) {
    KeyForm main;
    TimedForm counter;
    TimedForm dialog(50);
    bool boxReturned = false;
    dialog.tmrAct->onTimer = [&] {
        dialog.tmrAct->setEnabled(false);
        QTimer::singleShot(200, [&] { host.dispatch([&] { host.endProgram(); }); });
        host.messageBox("Still here?", "Tumbrix");
        boxReturned = true;
    };
    host.loadForm(main);
    host.loadForm(counter);
    showAndActivate(main);

    host.showModal(dialog);
    EXPECT_TRUE(boxReturned);
    EXPECT_EQ(quitCodes, std::vector<int>{0});
    EXPECT_TRUE(host.programEnded());
    EXPECT_FALSE(host.windowOf(main)->isVisible());
    EXPECT_FALSE(host.windowOf(dialog)->isVisible());

    // Nothing reaches the game any more.
    const int ticks = counter.ticks;
    QTest::keyClick(host.windowOf(main)->windowHandle(), Qt::Key_Left);
    QTest::qWait(100);
    EXPECT_EQ(counter.ticks, ticks);
    EXPECT_TRUE(main.keys.empty());
    EXPECT_EQ(quitCodes.size(), 1u);
}

TEST_F(HostServicesTest, AnErrorEscapingAHandlerIsReportedAndEndsWithCodeOne) {
    TimedForm form;
    int runs = 0;
    form.tmrAct->onTimer = [&] {
        ++runs;
        (void)platform::toInt16(40000);
    };
    SeenBox seen;
    closeMessageBoxLater(seen, 0);
    host.loadForm(form);
    host.showForm(form);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !quitCodes.empty(); }, 5000));
    EXPECT_EQ(quitCodes, std::vector<int>{1});
    EXPECT_EQ(host.exitCode(), 1);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ(seen.title, "Tumbrix");
    EXPECT_EQ(seen.text, "Run-time error '6': Overflow");
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(host.windowOf(form)->isVisible());
}

TEST_F(HostServicesTest, WindowsFollowTheirFormsAfterEachDispatch) {
    KeyForm form;
    host.loadForm(form);
    showAndActivate(form);
    FormWindow* window = host.windowOf(form);
    QPushButton* button = window->canvas().buttonFor(form.okButton);
    EXPECT_TRUE(button->isVisible());

    host.dispatch([&] {
        form.caption = "Renamed";
        form.mousePointer = MousePointer::Custom;
        form.okButton.caption = "Go";
        form.okButton.visible = false;
    });
    EXPECT_EQ(window->windowTitle(), "Renamed");
    EXPECT_EQ(button->text(), "Go");
    EXPECT_FALSE(button->isVisible());
    const QCursor hidden = window->canvas().cursor();
    EXPECT_EQ(hidden.shape(), Qt::BitmapCursor);
    const QImage pointer = hidden.pixmap().toImage();
    EXPECT_EQ(pointer.size(), QSize(32, 32));
    for (int y = 0; y < pointer.height(); ++y) {
        for (int x = 0; x < pointer.width(); ++x) {
            ASSERT_EQ(qAlpha(pointer.pixel(x, y)), 0);
        }
    }

    host.dispatch([&] {
        form.mousePointer = MousePointer::Default;
        form.visible = false;
    });
    EXPECT_EQ(window->canvas().cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(HostServicesTest, PostedCallsRunOnTheGuiThread) {
    KeyForm form;
    host.loadForm(form);
    std::thread::id ranOn;
    std::thread worker([&] {
        host.post([&] {
            ranOn = std::this_thread::get_id();
            form.caption = "Sound ended";
        });
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ranOn != std::thread::id(); }, 2000));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(host.windowOf(form)->windowTitle(), "Sound ended");
}

}  // namespace
}  // namespace platform::qt::testing
