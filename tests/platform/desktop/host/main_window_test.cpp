#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "game/frm_tumbrix.h"
#include "platform/desktop/host/window_body.h"
#include "platform/desktop/host/window_placement.h"
#include "platform/desktop/host/window_system.h"
#include "platform/desktop/painting/dirty_tracker.h"
#include "platform/desktop/painting/form_painter.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

class MainWindowTest : public HostTest {
protected:
    void SetUp() override { host.loadForm(frm); }

    // The client area as the painter draws it at the design size.
    QImage render() {
        QImage image(844, 784, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FormPainter(painter, pictures, 1.0).paint(frm);
        return image;
    }

    game::FrmTumbrix frm{host};
    PictureCache pictures;
};

// One line per menu: "title: caption shortcut [mark], ...", "-" for a separator.
QString describe(const QMenu& menu) {
    QStringList items;
    for (const QAction* item : menu.actions()) {
        const QString mark = !item->isCheckable() ? "" : item->isChecked() ? " [x]" : " [ ]";
        items << (item->isSeparator() ? "-"
                                      : item->text() + " " + item->shortcut().toString() + mark);
    }
    return menu.title() + ": " + items.join(", ");
}

TEST_F(MainWindowTest, MenuBarHasEveryItemWithItsShortcutAndCheckMark) {
    QStringList menus;
    for (const QAction* title : host.windowOf(frm)->menuBarWidget()->actions()) {
        menus << describe(*title->menu());
    }
    EXPECT_EQ(menus,
              QStringList({"&File: New 1-Player Game Ctrl+N [ ], New 2-Player Game Ctrl+T [ ], -, "
                           "Exit Ctrl+X [ ]",
                           "&Sound: Music On/Off Ctrl+M [x], Sound Effects On/Off Ctrl+S [x]",
                           "&Special: Focus Mode On/Off Ctrl+F [ ], -, Round / Square Balls "
                           "Ctrl+R [ ], Trippy Mode On/Off Ctrl+Y [ ]",
                           "&Help: Instructions Ctrl+I [ ], About Ctrl+A [ ]",
                           "&High Scores: Show High Score List Ctrl+H [ ]"}));
}

TEST_F(MainWindowTest, ItemsRunTheirHandlerWhichAloneSetsTheCheckMark) {
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

TEST_F(MainWindowTest, FrameAfterLoadShowsTheThreeBarsWithTheirGaps) {
    const QImage frame = render();
    for (Shape* bar : {&frm.shpLine1, &frm.shpLine2, &frm.shpLine3, &frm.shpLine4, &frm.shpLine5,
                       &frm.shpLine6}) {
        bar->visible = false;
    }
    const QImage background = render();  // what shows through the gaps
    const QRgb black = qRgb(0, 0, 0);
    // Bars 14 pixels high from 2000, 6000 and 10000 twips; gaps from 4295
    // to 5795 twips, or 8295 to 9795 for the middle bar.
    for (const auto& [top, gapStart, gapEnd] :
         {std::tuple{133, 287, 386}, std::tuple{400, 553, 653}, std::tuple{667, 287, 386}}) {
        SCOPED_TRACE(top);
        const int middle = top + 7;
        for (int x = 0; x < 844; ++x) {
            if (x >= gapStart && x < gapEnd) {
                ASSERT_EQ(frame.pixel(x, middle), background.pixel(x, middle)) << x;
                ASSERT_NE(frame.pixel(x, middle), black) << x;
            } else if (x < gapStart - 4 || x >= gapEnd + 4) {  // clear of the rounded ends
                ASSERT_EQ(frame.pixel(x, middle), black) << x;
            }
        }
        EXPECT_NE(background.pixel(100, middle), black) << "a hidden bar was drawn";
        EXPECT_NE(frame.pixel(100, top - 1), black);
        EXPECT_EQ(frame.pixel(100, top + 1), black);
        EXPECT_EQ(frame.pixel(100, top + 13), black);
        EXPECT_NE(frame.pixel(100, top + 15), black);
    }
}

TEST_F(MainWindowTest, OnlyTheOldAndNewPlacesOfWhatChangedAreRepainted) {
    using Rects = std::vector<QRect>;
    DirtyTracker tracker;
    Rects changed;
    auto collect = [&](qreal scale = 1.0) {
        changed.clear();
        return tracker.collect(frm, scale, changed);
    };
    EXPECT_TRUE(collect());
    EXPECT_FALSE(collect());
    EXPECT_EQ(changed, Rects{}) << "an idle round repaints nothing";

    // A ball shown, then moved: its new place, then its old and new ones.
    frm.shpDot1.visible = true;
    collect();
    EXPECT_EQ(changed, Rects{QRect(401, 80, 41, 41)});
    frm.shpDot1.left += 150;
    frm.shpDot1.top += 15;
    collect();
    EXPECT_EQ(changed, (Rects{QRect(401, 80, 41, 41), QRect(411, 81, 41, 41)}));
    // Its colour changed, or its shape: the same place, once.
    frm.shpDot1.fillColor = rgb(1, 2, 3);
    collect();
    EXPECT_EQ(changed, (Rects{QRect(411, 81, 41, 41), QRect(411, 81, 41, 41)}));

    // A caption changes its label; a hidden one changes nothing.
    frm.lblScore.caption = "12";
    frm.lblWrapAround.caption = "hidden";
    collect();
    EXPECT_EQ(changed, (Rects{QRect(359, 720, 128, 57), QRect(359, 720, 128, 57)}));

    // A bonus item riding up repaints its frame and, clipped by it, its picture.
    frm.fraSnail.visible = true;
    collect();
    frm.fraSnail.top -= 30;
    collect();
    EXPECT_EQ(changed, (Rects{QRect(576, 160, 96, 74), QRect(576, 158, 96, 74),
                              QRect(576, 160, 96, 74), QRect(576, 158, 96, 74)}));

    // Another scale or background: everything.
    EXPECT_TRUE(collect(2.0));
    frm.picture = "pause_screen";
    EXPECT_TRUE(collect(2.0));
    EXPECT_FALSE(collect(2.0));
}

TEST(WindowPlacement, DesignSizeWhereItFitsElseScaledDownToFitWholeAndCentred) {
    const QSize design(844, 784);
    const QMargins frame(4, 30, 4, 4);
    constexpr int kMenu = 22;
    // 1280 x 1024 under a 30-pixel panel: the design size, centred below it.
    EXPECT_EQ(placeTitledWindow(design, kMenu, frame, QRect(0, 30, 1280, 994)),
              QRect(218, 137, 844, 806));
    // 1366 x 768: the height decides, and the frame fills it from top to bottom,
    // so the title bar and the menu bar are on the screen.
    const QRect laptop = placeTitledWindow(design, kMenu, frame, QRect(0, 0, 1366, 768));
    EXPECT_EQ(laptop, QRect(300, 30, 766, 734));
    EXPECT_EQ(laptop.marginsAdded(frame), QRect(296, 0, 774, 768));
    // 2560 x 1440 at twice the scale: 1280 x 720 logical pixels.
    EXPECT_EQ(placeTitledWindow(design, kMenu, frame, QRect(0, 0, 1280, 720)),
              QRect(283, 30, 714, 686));
}

TEST(WindowPlacement, WaylandLeavesRoomForPanelsItDoesNotTellAboutAndPlacesWindowsItself) {
    for (const char* name : {"xcb", "offscreen"}) {
        const WindowSystem system = windowSystemNamed(name);
        EXPECT_TRUE(system.clientPlacesWindows && system.panelAllowance == 0) << name;
    }
    for (const char* name : {"wayland", "wayland-egl"}) {
        const WindowSystem system = windowSystemNamed(name);
        EXPECT_TRUE(!system.clientPlacesWindows && system.panelAllowance >= 44) << name;
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
        // 4:3: centred would cover the reminder; just below it fits.
        {{779, 743}, {1024, 768}, {122, 25, 779, 743}},
        // No room below, but beside.
        {{700, 760}, {1024, 768}, {211, 4, 700, 760}},
        // Room for neither: centred over it.
        {{1000, 760}, {1024, 768}, {12, 4, 1000, 760}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowBody::placeContent(c.content, c.screen, reminder), c.expected)
            << c.screen.width() << "x" << c.screen.height();
    }
}

TEST_F(MainWindowTest, ClientAreaKeepsItsShapeWhenTheWindowIsResized) {
    showAndActivate(frm);
    FormWindow* window = host.windowOf(frm);
    FormCanvas& canvas = window->canvas();
    QPushButton* start = canvas.buttonFor(frm.cmdNewGame1);
    EXPECT_EQ(canvas.size(), QSize(844, 784));
    EXPECT_EQ(start->geometry(), QRect(280, 320, 289, 41));

    // Twice as wide: the form centred between black bands.
    window->resize(window->width() + 844, window->height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.width() == 1688; }, 2000));
    EXPECT_EQ(start->geometry(), QRect(702, 320, 289, 41));
    const QImage grabbed = canvas.grab().toImage();
    EXPECT_EQ(grabbed.pixel(100, 300), qRgb(0, 0, 0));
    EXPECT_EQ(grabbed.pixel(1600, 300), qRgb(0, 0, 0));
    EXPECT_NE(grabbed.pixel(422 + 100, 300), qRgb(0, 0, 0)) << "sky";

    // Half the height: everything at half size.
    window->resize(window->width(), window->height() - 392);
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.height() == 392; }, 2000));
    EXPECT_EQ(start->geometry(),
              QRect(QPoint(int(canvas.origin().x()) + 140, 160), QSize(145, 21)));
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
    const QSize content(640, 600);
    QAction* focusItem = main->formMenuBar()->actionFor(frm.mnuFocus);
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
    // Black around the menu bar and playfield at their usual size, centred,
    // but for the reminder in the screen's corner.
    const QRect middle(QPoint((1024 - content.width()) / 2, (768 - content.height()) / 2), content);
    EXPECT_EQ(QRect(main->menuBarWidget()->mapTo(main, QPoint(0, 0)), content), middle);
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
    // still on, so the black comes back.
    main->showNormal();
    expectFocusMode(true);

    // Off by the menu item, on and off again by the shortcut: each time the
    // window is back exactly where it was.
    focusItem->trigger();
    expectFocusMode(false);
    QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::ControlModifier);
    expectFocusMode(true);
    QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::ControlModifier);
    expectFocusMode(false);
    EXPECT_TRUE(frm.gameInProgress && !frm.gamePaused);
}

}  // namespace
}  // namespace platform::desktop::testing
