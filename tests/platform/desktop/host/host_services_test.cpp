#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <map>
#include <set>
#include <thread>

#include "platform/desktop/host/application_focus_watch.h"
#include "platform/desktop/host/session_bus.h"
#include "platform/numeric.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
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

// Accepts the message box that is up; returns "title: text".
QString acceptMessageBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
        return "no box";
    }
    box->accept();
    return box->windowTitle() + ": " + box->text();
}

using HostServicesTest = HostTest;

TEST_F(HostServicesTest, ClockKeepsSixtyFourTicksASecondWhileAHandlerShowsAMessageBox) {
    TimedForm form;
    std::int64_t ticks = -1;
    std::int64_t due = 0;
    QString seen;
    form.tmrAct->onTimer = [&] {
        form.tmrAct->setEnabled(false);
        const int before = form.ticks;
        QElapsedTimer elapsed;
        elapsed.start();
        QTimer::singleShot(1500, [&] { seen = acceptMessageBox(); });
        host.messageBox("Game Over!\r\nYour score: 12", "Tumbrix");
        due = elapsed.elapsed() * 64 / 1000;
        ticks = form.ticks - before;
    };
    host.loadForm(form);
    host.showForm(form);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 0; }, 5000));
    EXPECT_EQ(seen, "Tumbrix: Game Over!\nYour score: 12");
    // Never ahead (one tick per 15 ms wake would be); behind only on a
    // machine too busy to keep up; a clock stalled by the box shows none.
    EXPECT_LE(ticks, due + 2);
    EXPECT_GE(ticks, due / 2);
}

TEST_F(HostServicesTest, ModalFormsReturnWhenHiddenAndEndingTheProgramUnwindsThemAll) {
    KeyForm main;
    TimedForm dialog(50);
    host.loadForm(main);
    showAndActivate(main);
    dialog.tmrAct->onTimer = [&] {
        EXPECT_EQ(host.windowOf(dialog)->windowModality(), Qt::ApplicationModal);
        // Window systems keep it over the game, also a game filling the screen.
        EXPECT_EQ(host.windowOf(dialog)->windowHandle()->transientParent(),
                  host.windowOf(main)->windowHandle());
        dialog.visible = false;
    };
    host.showModal(dialog);
    // Closed from its title bar: the form's default handler hides it.
    dialog.tmrAct->onTimer = [&] { host.windowOf(dialog)->close(); };
    host.showModal(dialog);
    EXPECT_FALSE(host.windowOf(dialog)->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(host.windowOf(main))) << "the keys are not back";
    EXPECT_TRUE(quitCodes.empty());

    // Ended from inside a message box over the dialog: both return.
    bool boxReturned = false;
    dialog.tmrAct->onTimer = [&] {
        dialog.tmrAct->setEnabled(false);
        QTimer::singleShot(100, [&] { host.dispatch([&] { host.endProgram(); }); });
        host.messageBox("Still here?", "Tumbrix");
        boxReturned = true;
    };
    host.showModal(dialog);
    EXPECT_TRUE(boxReturned);
    EXPECT_EQ(quitCodes, std::vector<int>{0});
    EXPECT_FALSE(host.windowOf(main)->isVisible());
    // Nothing reaches the game any more.
    const int ticks = dialog.ticks;
    QTest::keyClick(host.windowOf(main)->windowHandle(), Qt::Key_Left);
    QTest::qWait(100);
    EXPECT_EQ(dialog.ticks, ticks);
    EXPECT_TRUE(main.keys.empty());
}

TEST_F(HostServicesTest, AnErrorEscapingAHandlerIsReportedAndEndsWithCodeOne) {
    TimedForm form;
    int runs = 0;
    QString seen;
    form.tmrAct->onTimer = [&] {
        ++runs;
        QTimer::singleShot(250, [&] { seen = acceptMessageBox(); });
        (void)platform::toInt16(40000);
    };
    host.loadForm(form);
    host.showForm(form);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !quitCodes.empty(); }, 5000));
    EXPECT_EQ(seen, "Tumbrix: Run-time error '6': Overflow");
    EXPECT_EQ(quitCodes, std::vector<int>{1});
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(host.windowOf(form)->isVisible());
}

TEST_F(HostServicesTest, WindowsFollowTheirFormsAfterEachDispatch) {
    KeyForm form;
    host.loadForm(form);
    showAndActivate(form);
    FormWindow* window = host.windowOf(form);
    QPushButton* button = window->canvas().buttonFor(form.okButton);
    button->setFocus();
    host.dispatch([&] {
        form.caption = "Renamed";
        form.mousePointer = MousePointer::Custom;
        form.okButton.caption = "Go";
        form.okButton.faceColor = rgb(0, 255, 0);
    });
    EXPECT_EQ(window->windowTitle(), "Renamed");
    EXPECT_EQ(button->text(), "Go");
    // A button is a widget over the canvas, in its own face colour.
    EXPECT_EQ(window->canvas().grab().toImage().pixel(button->geometry().topLeft() + QPoint(6, 6)),
              qRgb(0, 255, 0));
    // Hidden, it no longer clicks on Space.
    host.dispatch([&] { form.okButton.visible = false; });
    EXPECT_FALSE(button->isVisible());
    QTest::keyClick(window->windowHandle(), Qt::Key_Space);
    EXPECT_EQ(form.clicks, 0);
    // The custom pointer hides the mouse over the game.
    const QImage pointer =
        window->canvas().cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QImage blank(32, 32, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    EXPECT_EQ(pointer, blank);
}

TEST_F(HostServicesTest, PostedCallsRunOnTheGuiThread) {
    std::thread::id ranOn;
    std::thread([&] { host.post([&] { ranOn = std::this_thread::get_id(); }); }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ranOn != std::thread::id(); }, 2000));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(ApplicationFocusWatch, OnlyStayingInactiveCountsAsSwitchingAway) {
    bool active = false;
    int deactivations = 0;
    ApplicationFocusWatch watch([&] { return active; }, [&] { ++deactivations; });
    // Focus passing to a box of the game: inactive for a moment, then active.
    watch.stateChanged(Qt::ApplicationInactive);
    watch.stateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(watch.pending());
    // Another program took the focus and kept it: told once.
    watch.stateChanged(Qt::ApplicationInactive);
    watch.stateChanged(Qt::ApplicationHidden);
    EXPECT_TRUE(watch.pending());
    watch.check();
    EXPECT_EQ(deactivations, 1);
    EXPECT_FALSE(watch.pending());
    // Active again by the time the moment has passed: nothing.
    watch.stateChanged(Qt::ApplicationInactive);
    active = true;
    watch.check();
    EXPECT_EQ(deactivations, 1);
}

TEST(SessionBus, IsUnreachableOnlyWithoutAddressSocketOrLauncher) {
    const struct {
        std::map<std::string, std::string> env;
        std::set<std::string> files;
        bool unreachable;
    } cases[] = {
        {{{"PATH", "/bin"}}, {}, true},
        {{{"DBUS_SESSION_BUS_ADDRESS", ""}, {"XDG_RUNTIME_DIR", "/run/u"}}, {"/run/other"}, true},
        {{{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/x"}}, {}, false},
        {{{"XDG_RUNTIME_DIR", "/run/u"}}, {"/run/u/bus"}, false},
        {{{"PATH", "/opt/x:/bin"}}, {"/bin/dbus-launch"}, false},
        {{}, {"/usr/bin/dbus-launch"}, false},
    };
    for (const auto& c : cases) {
        const auto environment = [&c](const char* name) -> const char* {
            const auto found = c.env.find(name);
            return found == c.env.end() ? nullptr : found->second.c_str();
        };
        const auto exists = [&c](const std::string& file) { return c.files.count(file) > 0; };
        EXPECT_EQ(sessionBusUnreachable(environment, exists), c.unreachable)
            << (c.files.empty() ? "" : *c.files.begin());
    }
}

}  // namespace
}  // namespace platform::desktop::testing
