// The desktop host: its services, its windows and where they go.
#include <QApplication>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "game/frm_tumbrix.h"
#include "platform/desktop/host/session_bus.h"
#include "platform/desktop/host/window_body.h"
#include "platform/desktop/host/window_placement.h"
#include "platform/numeric.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

// A window whose handler acts once, and a timer that counts every tick.
class TimedForm : public Form {
public:
    explicit TimedForm(int actIntervalMs = 100)
        : Form("Timed", 4500, 3000), tmrAct("tmrAct", actIntervalMs, true) {
        timers = {&tmrAct, &tmrCount};
        tmrCount.onTimer = [this] { ++ticks; };
    }
    Timer tmrAct;
    Timer tmrCount{"tmrCount", 1, true};
    int ticks = 0;
};

// Accepts the message box that is up after `ms`; "title: text" goes to `seen`.
void acceptMessageBoxAfter(int ms, QString& seen) {
    QTimer::singleShot(ms, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        seen = box == nullptr ? "no box" : box->windowTitle() + ": " + box->text();
        if (box != nullptr) {
            box->accept();
        }
    });
}

using HostServicesTest = HostTest;

TEST_F(HostServicesTest, ClockKeepsSixtyFourTicksASecondWhileAHandlerShowsAMessageBox) {
    TimedForm form;
    std::int64_t ticks = -1;
    std::int64_t due = 0;
    QString seen;
    form.tmrAct.onTimer = [&] {
        form.tmrAct.setEnabled(false);
        const int before = form.ticks;
        QElapsedTimer elapsed;
        elapsed.start();
        acceptMessageBoxAfter(1500, seen);
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
    dialog.tmrAct.onTimer = [&] {
        EXPECT_EQ(host.windowOf(dialog)->windowModality(), Qt::ApplicationModal);
        // Window systems keep it over the game, also a game filling the screen.
        EXPECT_EQ(host.windowOf(dialog)->windowHandle()->transientParent(),
                  host.windowOf(main)->windowHandle());
        dialog.visible = false;
    };
    host.showModal(dialog);
    // Closed from its title bar: the form's default handler hides it.
    dialog.tmrAct.onTimer = [&] { host.windowOf(dialog)->close(); };
    host.showModal(dialog);
    EXPECT_FALSE(host.windowOf(dialog)->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(host.windowOf(main))) << "the keys are not back";
    // Ended from inside a message box over the dialog: both return, and
    // nothing reaches the game any more.
    bool boxReturned = false;
    dialog.tmrAct.onTimer = [&] {
        dialog.tmrAct.setEnabled(false);
        QTimer::singleShot(100, [&] { host.dispatch([&] { host.endProgram(); }); });
        host.messageBox("Still here?", "Tumbrix");
        boxReturned = true;
    };
    host.showModal(dialog);
    EXPECT_TRUE(boxReturned);
    EXPECT_EQ(quitCodes, std::vector<int>{0});
    EXPECT_FALSE(host.windowOf(main)->isVisible());
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
    form.tmrAct.onTimer = [&] {
        ++runs;
        acceptMessageBoxAfter(250, seen);
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

TEST_F(HostServicesTest, WindowsFollowTheirFormsAfterEachDispatchAndPostedCallsRunOnItsThread) {
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
    // The custom pointer hides the mouse over the game.
    QImage blank(32, 32, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    EXPECT_EQ(window->canvas().cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              blank);
    // Hidden by a call from another thread, it no longer clicks on Space.
    std::thread([&] { host.post([&] { form.okButton.visible = false; }); }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !button->isVisible(); }, 2000));
    QTest::keyClick(window->windowHandle(), Qt::Key_Space);
    EXPECT_EQ(form.clicks, 0);
}

TEST(SessionBus, IsUnreachableOnlyWithoutAddressSocketOrLauncher) {
    // Each row: the environment, the files there are, and whether unreachable.
    const std::tuple<std::map<std::string, std::string>, std::set<std::string>, bool> cases[] = {
        {{{"PATH", "/bin"}}, {}, true},
        {{{"DBUS_SESSION_BUS_ADDRESS", ""}, {"XDG_RUNTIME_DIR", "/run/u"}}, {"/run/other"}, true},
        {{{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/x"}}, {}, false},
        {{{"XDG_RUNTIME_DIR", "/run/u"}}, {"/run/u/bus"}, false},
        {{{"PATH", "/opt/x:/bin"}}, {"/bin/dbus-launch"}, false},
        {{}, {"/usr/bin/dbus-launch"}, false}};
    for (const auto& [env, files, unreachable] : cases) {
        const auto variable = [&env = env](const char* name) -> const char* {
            const auto found = env.find(name);
            return found == env.end() ? nullptr : found->second.c_str();
        };
        const auto exists = [&files = files](const std::string& file) {
            return files.count(file) > 0;
        };
        EXPECT_EQ(sessionBusUnreachable(variable, exists), unreachable)
            << ::testing::PrintToString(files);
    }
}

class MainWindowTest : public HostTest {
protected:
    void SetUp() override { host.loadForm(frm); }

    game::FrmTumbrix frm{host};
};

TEST_F(MainWindowTest, MenuItemsRunTheirHandlerWhichAloneSetsTheirCheckMark) {
    FormMenuBar& menus = *host.windowOf(frm)->formMenuBar();
    EXPECT_TRUE(menus.actionFor(frm.mnuSound)->isChecked()) << "as designed";
    int shapeClicks = 0;
    frm.mnuShape.onClick = [&] { ++shapeClicks; };
    frm.mnuSound.onClick = [this] { frm.mnuSound.checked = false; };
    frm.mnuTrippy.onClick = [] {};  // leaves its mark alone
    showAndActivate(frm);
    QTest::keyClick(host.windowOf(frm)->windowHandle(), Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(host.windowOf(frm)->windowHandle(), Qt::Key_S, Qt::ControlModifier);
    menus.actionFor(frm.mnuTrippy)->trigger();
    EXPECT_EQ(shapeClicks, 1);
    EXPECT_FALSE(menus.actionFor(frm.mnuSound)->isChecked());
    EXPECT_FALSE(menus.actionFor(frm.mnuTrippy)->isChecked());
    // Game code setting a mark elsewhere shows after the next dispatch.
    host.dispatch([this] { frm.mnuTrippy.checked = true; });
    EXPECT_TRUE(menus.actionFor(frm.mnuTrippy)->isChecked());
}

TEST(WindowPlacement, DesignSizeWhereItFitsElseScaledDownToFitWholeAndCentred) {
    const QSize design(844, 784);
    const QMargins frame(4, 30, 4, 4);
    constexpr int kMenu = 22;
    // Each row: the area there is, and where the window goes. 1280 x 1024
    // under a 30-pixel panel fits the design size; on 1366 x 768 the frame
    // fills the height; 2560 x 1440 at twice the scale is 1280 x 720.
    const std::pair<QRect, QRect> cases[] = {{{0, 30, 1280, 994}, {218, 137, 844, 806}},
                                             {{0, 0, 1366, 768}, {300, 30, 766, 734}},
                                             {{0, 0, 1280, 720}, {283, 30, 714, 686}}};
    for (const auto& [available, expected] : cases) {
        const QRect placed = placeTitledWindow(design, kMenu, frame, available);
        EXPECT_EQ(placed, expected);
        EXPECT_TRUE(available.contains(placed.marginsAdded(frame))) << available.width();
    }
}

TEST(WindowPlacement, FocusModeCentresTheGameOrMovesItOffTheReminderWhereThereIsRoom) {
    const QRect reminder(8, 8, 203, 17);
    // Each row: the game's size, the screen's, and where the game goes: on
    // wide screens centred, clear of the corner anyway; on 4:3 just below the
    // reminder, exactly fitting; with no room below, beside it; with room for
    // neither, centred over it.
    const std::tuple<QSize, QSize, QRect> cases[] = {
        {{844, 806}, {1920, 1080}, {538, 137, 844, 806}},
        {{779, 743}, {1024, 768}, {122, 25, 779, 743}},
        {{700, 760}, {1024, 768}, {211, 4, 700, 760}},
        {{1000, 760}, {1024, 768}, {12, 4, 1000, 760}}};
    for (const auto& [content, screen, expected] : cases) {
        EXPECT_EQ(WindowBody::placeContent(content, screen, reminder), expected) << content.width();
    }
}

TEST_F(MainWindowTest, ClientAreaKeepsItsShapeWhenTheWindowIsResized) {
    showAndActivate(frm);
    FormWindow* window = host.windowOf(frm);
    FormCanvas& canvas = window->canvas();
    QPushButton* start = canvas.buttonFor(frm.cmdNewGame1);
    const QRect designed = start->geometry();
    // Twice as wide: the form centred between black bands.
    window->resize(window->width() + 844, window->height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.width() == 1688; }, 2000));
    EXPECT_EQ(start->geometry(), designed.translated(422, 0));
    const QImage grabbed = canvas.grab().toImage();
    EXPECT_EQ(grabbed.pixel(100, 300), qRgb(0, 0, 0));
    EXPECT_EQ(grabbed.pixel(1600, 300), qRgb(0, 0, 0));
    // Half the height: everything at half size.
    window->resize(window->width(), window->height() - 392);
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.height() == 392; }, 2000));
    EXPECT_EQ(start->geometry(), QRect(QPoint(int(canvas.origin().x()), 0) + designed.topLeft() / 2,
                                       (designed.size() + QSize(1, 1)) / 2));
}

TEST_F(MainWindowTest, FocusModeFillsTheGamesScreenAroundTheGameAtItsSizeUntilSwitchedOff) {
    showAndActivate(frm);
    FormWindow* main = host.windowOf(frm);
    host.dispatch([this] { frm.mnuNewGame1.onClick(); });
    // The game on the second screen, which focus mode then fills.
    QScreen* side = QGuiApplication::screens().at(1);
    main->setGeometry(QRect(side->geometry().topLeft() + QPoint(40, 30), QSize(640, 600)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->screen() == side; }, 2000));
    const QRect before = main->geometry();
    const auto expectFocusMode = [&](bool on) {
        SCOPED_TRACE(on ? "focus mode on" : "focus mode off");
        ASSERT_TRUE(QTest::qWaitFor([&] { return main->isFullScreen() == on; }, 2000));
        EXPECT_EQ(frm.mnuFocus.checked, on);
        EXPECT_EQ(main->showsBackdrop(), on);
        EXPECT_EQ(main->geometry(), on ? side->geometry() : before);
        EXPECT_EQ(QApplication::activeWindow(), main);
        // Nothing of focus mode is a window of its own.
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                                [](const QWidget* w) { return w->isVisible(); }),
                  1);
    };

    QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::ControlModifier);
    expectFocusMode(true);
    // Black around the menu bar and playfield at their size, centred, but
    // for the yellow reminder in the screen's corner.
    const QRect middle(QPoint((1024 - 640) / 2, (768 - 600) / 2), QSize(640, 600));
    EXPECT_EQ(QRect(main->menuBarWidget()->mapTo(main, QPoint(0, 0)), middle.size()), middle);
    const QImage shown = main->grab().toImage();
    const QRect reminder(8, 8, 203, 17);
    int yellow = 0;
    for (int y = 0; y < shown.height(); y += 2) {
        for (int x = 0; x < shown.width(); x += 2) {
            if (!middle.contains(x, y) && !reminder.contains(x, y)) {
                ASSERT_EQ(shown.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
            }
            yellow += shown.pixel(x, y) == qRgb(255, 255, 0);
        }
    }
    EXPECT_GT(yellow, 10);
    // The game goes on underneath with the keys.
    QTest::keyPress(main->windowHandle(), Qt::Key_Left);
    EXPECT_TRUE(frm.tmrMoveLeft1.enabled());
    QTest::keyRelease(main->windowHandle(), Qt::Key_Left);

    // Off by the menu item: the window is back exactly where it was.
    main->formMenuBar()->actionFor(frm.mnuFocus)->trigger();
    expectFocusMode(false);
    EXPECT_TRUE(frm.gameInProgress && !frm.gamePaused);
}

}  // namespace
}  // namespace platform::desktop::testing
