#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>

#include "game/frm_tumbrix.h"
#include "platform/desktop/host/window_body.h"
#include "platform/desktop/host/window_placement.h"
#include "platform/desktop/host/window_system.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

class MainWindowTest : public HostTest {
protected:
    void SetUp() override { host.loadForm(frm); }

    game::FrmTumbrix frm{host};
};

TEST_F(MainWindowTest, TheMenuBarHoldsEveryItemWithItsShortcutAndMarkWhichOnlyItsHandlerSets) {
    const QList<QAction*> titles = host.windowOf(frm)->menuBarWidget()->actions();
    ASSERT_EQ(std::size_t(titles.size()), frm.menuBar.size());
    for (std::size_t menu = 0; menu < frm.menuBar.size(); ++menu) {
        EXPECT_EQ(titles[qsizetype(menu)]->text().toStdString(), frm.menuBar[menu]->caption);
        const QList<QAction*> actions = titles[qsizetype(menu)]->menu()->actions();
        ASSERT_EQ(std::size_t(actions.size()), frm.menuBar[menu]->items.size());
        for (std::size_t i = 0; i < frm.menuBar[menu]->items.size(); ++i) {
            const MenuItem& item = *frm.menuBar[menu]->items[i];
            const QAction& action = *actions[qsizetype(i)];
            SCOPED_TRACE(item.name);
            EXPECT_EQ(action.isSeparator(), item.isSeparator());
            EXPECT_EQ(action.text().toStdString(), item.isSeparator() ? "" : item.caption);
            EXPECT_EQ(action.shortcut(), QKeySequence(QString::fromStdString(item.shortcut)));
            EXPECT_EQ(action.isChecked(), item.checked);
        }
    }

    FormMenuBar& menus = *host.windowOf(frm)->formMenuBar();
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
    const struct {
        QRect available, expected;
    } cases[] = {
        // 1280 x 1024 under a 30-pixel panel: the design size, centred below it.
        {{0, 30, 1280, 994}, {218, 137, 844, 806}},
        // 1366 x 768: the frame fills the height, title and menu bar on the screen.
        {{0, 0, 1366, 768}, {300, 30, 766, 734}},
        // 2560 x 1440 at twice the scale: 1280 x 720 logical pixels.
        {{0, 0, 1280, 720}, {283, 30, 714, 686}},
    };
    for (const auto& c : cases) {
        const QRect placed = placeTitledWindow(design, kMenu, frame, c.available);
        EXPECT_EQ(placed, c.expected);
        EXPECT_TRUE(c.available.contains(placed.marginsAdded(frame))) << c.available.width();
    }
}

TEST(WindowPlacement, WaylandLeavesRoomForPanelsItDoesNotTellAboutAndPlacesWindowsItself) {
    for (const char* name : {"xcb", "offscreen", "wayland", "wayland-egl"}) {
        const WindowSystem system = windowSystemNamed(name);
        const bool wayland = std::string_view(name).starts_with("wayland");
        EXPECT_EQ(system.clientPlacesWindows, !wayland) << name;
        EXPECT_EQ(system.panelAllowance >= 44, wayland) << name;
    }
}

TEST(WindowPlacement, FocusModeCentresTheGameOrMovesItOffTheReminderWhereThereIsRoom) {
    const QRect reminder(8, 8, 203, 17);
    const struct {
        QSize content, screen;
        QRect expected;
    } cases[] = {
        // Wide screens: centred, clear of the corner anyway.
        {{844, 806}, {1920, 1080}, {538, 137, 844, 806}},
        // 4:3: centred would cover the reminder; just below it fits exactly.
        {{779, 743}, {1024, 768}, {122, 25, 779, 743}},
        // No room below, but beside.
        {{700, 760}, {1024, 768}, {211, 4, 700, 760}},
        // Room for neither: centred over it.
        {{1000, 760}, {1024, 768}, {12, 4, 1000, 760}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowBody::placeContent(c.content, c.screen, reminder), c.expected)
            << c.content.width() << "x" << c.content.height();
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

    // The window manager takes the window out of full screen: the switch is
    // still on, so the black comes back. Off by the menu item, on and off
    // again by the shortcut: each time the window is back where it was.
    main->showNormal();
    expectFocusMode(true);
    main->formMenuBar()->actionFor(frm.mnuFocus)->trigger();
    expectFocusMode(false);
    QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::ControlModifier);
    expectFocusMode(true);
    QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::ControlModifier);
    expectFocusMode(false);
    EXPECT_TRUE(frm.gameInProgress && !frm.gamePaused);
}

}  // namespace
}  // namespace platform::desktop::testing
