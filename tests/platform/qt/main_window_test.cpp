#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QTest>

#include "game/frm_tumbrix.h"
#include "platform/qt/form_painter.h"
#include "qt_test_support.h"

namespace platform::qt::testing {
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

struct ExpectedItem {
    QString caption;
    QString shortcut;
    bool checked;
};

TEST_F(MainWindowTest, MenuBarHasEveryItemWithShortcutAndCheckMark) {
    const std::vector<std::pair<QString, std::vector<ExpectedItem>>> expected = {
        {"&File",
         {{"New 1-Player Game", "Ctrl+N", false},
          {"New 2-Player Game", "Ctrl+T", false},
          {"-", "", false},
          {"Exit", "Ctrl+X", false}}},
        {"&Sound", {{"Music On/Off", "Ctrl+M", true}, {"Sound Effects On/Off", "Ctrl+S", true}}},
        {"&Special",
         {{"Focus Mode On/Off", "Ctrl+F", false},
          {"-", "", false},
          {"Round / Square Balls", "Ctrl+R", false},
          {"Trippy Mode On/Off", "Ctrl+Y", false}}},
        {"&Help", {{"Instructions", "Ctrl+I", false}, {"About", "Ctrl+A", false}}},
        {"&High Scores", {{"Show High Score List", "Ctrl+H", false}}},
    };
    const QList<QAction*> titles = host.windowOf(frm)->menuBar()->actions();
    ASSERT_EQ(titles.size(), qsizetype(expected.size()));
    for (std::size_t t = 0; t < expected.size(); ++t) {
        SCOPED_TRACE(expected[t].first.toStdString());
        EXPECT_EQ(titles[t]->text(), expected[t].first);
        ASSERT_NE(titles[t]->menu(), nullptr);
        const QList<QAction*> items = titles[t]->menu()->actions();
        ASSERT_EQ(items.size(), qsizetype(expected[t].second.size()));
        for (qsizetype i = 0; i < items.size(); ++i) {
            const ExpectedItem& want = expected[t].second[std::size_t(i)];
            if (want.caption == "-") {
                EXPECT_TRUE(items[i]->isSeparator());
                continue;
            }
            EXPECT_EQ(items[i]->text(), want.caption);
            EXPECT_EQ(items[i]->shortcut().toString(), want.shortcut);
            EXPECT_TRUE(items[i]->isCheckable());
            EXPECT_EQ(items[i]->isChecked(), want.checked) << want.caption.toStdString();
        }
    }
}

TEST_F(MainWindowTest, CheckMarksFollowTheHandlerNotTheClick) {
    QAction* music = host.windowOf(frm)->formMenuBar()->actionFor(frm.mnuMusicOnOff);
    QAction* trippy = host.windowOf(frm)->formMenuBar()->actionFor(frm.mnuTrippy);
    frm.mnuMusicOnOff.onClick = [this] { frm.mnuMusicOnOff.checked = !frm.mnuMusicOnOff.checked; };
    frm.mnuTrippy.onClick = [] {};  // leaves its mark alone

    music->trigger();
    EXPECT_FALSE(frm.mnuMusicOnOff.checked);
    EXPECT_FALSE(music->isChecked());
    trippy->trigger();
    EXPECT_FALSE(trippy->isChecked());
    // Game code setting the flag elsewhere shows after the next dispatch.
    host.dispatch([this] { frm.mnuTrippy.checked = true; });
    EXPECT_TRUE(trippy->isChecked());
}

TEST_F(MainWindowTest, ShortcutsRunTheirHandlerWhileTheWindowIsActive) {
    int shapeClicks = 0;
    frm.mnuShape.onClick = [&] { ++shapeClicks; };
    frm.mnuSound.onClick = [this] { frm.mnuSound.checked = false; };
    showAndActivate(frm);
    QWindow* native = host.windowOf(frm)->windowHandle();
    QTest::keyClick(native, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(native, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(shapeClicks, 1);
    EXPECT_FALSE(host.windowOf(frm)->formMenuBar()->actionFor(frm.mnuSound)->isChecked());
}

TEST_F(MainWindowTest, FrameAfterLoadShowsTheThreeBarsWithTheirGaps) {
    const QImage frame = render();
    // The same frame without bars: what shows through the gaps.
    for (Shape* bar : {&frm.shpLine1, &frm.shpLine2, &frm.shpLine3, &frm.shpLine4, &frm.shpLine5,
                       &frm.shpLine6}) {
        bar->visible = false;
    }
    const QImage background = render();
    const QRgb black = qRgb(0, 0, 0);

    struct Bar {
        int top;
        int middleRow;
        int gapStart;  // pixels, from 4295 or 8295 twips
        int gapEnd;    // from 5795 or 9795 twips
        int firstFullRow;
    };
    for (const Bar& bar : {Bar{133, 140, 287, 386, 134}, Bar{400, 407, 553, 653, 400},
                           Bar{667, 674, 287, 386, 667}}) {
        SCOPED_TRACE(bar.top);
        for (int x = 0; x < 844; ++x) {
            const bool inGap = x >= bar.gapStart && x < bar.gapEnd;
            const bool nearEnd = x >= bar.gapStart - 4 && x < bar.gapEnd + 4;
            if (inGap) {
                ASSERT_EQ(frame.pixel(x, bar.middleRow), background.pixel(x, bar.middleRow)) << x;
                ASSERT_NE(frame.pixel(x, bar.middleRow), black) << x;
            } else if (!nearEnd) {
                ASSERT_EQ(frame.pixel(x, bar.middleRow), black) << x;
            }
        }
        // About 14 pixels high: black from the top row to the bottom row.
        const int x = 100;
        EXPECT_NE(frame.pixel(x, bar.top - 1), black);
        EXPECT_EQ(frame.pixel(x, bar.top + 1), black);
        EXPECT_EQ(frame.pixel(x, bar.top + 13), black);
        EXPECT_NE(frame.pixel(x, bar.top + 15), black);
        // Rounded ends: the corner at the gap is not filled.
        EXPECT_NE(frame.pixel(bar.gapStart - 2, bar.firstFullRow), black);
        EXPECT_EQ(frame.pixel(bar.gapStart - 20, bar.firstFullRow), black);
        EXPECT_EQ(frame.pixel(bar.gapStart - 3, bar.middleRow), black);
    }
}

TEST_F(MainWindowTest, WindowShowsTheClientAreaAtDesignSizeAndLetterboxesWhenResized) {
    showAndActivate(frm);
    FormWindow* window = host.windowOf(frm);
    FormCanvas& canvas = window->canvas();
    EXPECT_EQ(canvas.size(), QSize(844, 784));
    EXPECT_DOUBLE_EQ(canvas.scale(), 1.0);
    EXPECT_EQ(window->windowTitle(), " Tumbrix");
    EXPECT_FALSE(window->windowIcon().isNull());
    QPushButton* start = canvas.buttonFor(frm.cmdNewGame1);
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(start->isVisible());
    EXPECT_EQ(start->geometry(), QRect(280, 320, 289, 41));
    EXPECT_EQ(start->text(), "Start New 1-Player Game");

    // Twice as wide: same scale, the form centred between black bands.
    window->resize(window->width() + 844, window->height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.width() == 1688; }, 2000));
    EXPECT_DOUBLE_EQ(canvas.scale(), 1.0);
    EXPECT_EQ(canvas.origin(), QPointF(422, 0));
    EXPECT_EQ(start->geometry(), QRect(702, 320, 289, 41));
    const QImage grabbed = canvas.grab().toImage();
    EXPECT_EQ(grabbed.pixel(100, 300), qRgb(0, 0, 0));
    EXPECT_EQ(grabbed.pixel(1600, 300), qRgb(0, 0, 0));
    EXPECT_EQ(grabbed.pixel(422 + 100, 140), qRgb(0, 0, 0)) << "bar 1";
    EXPECT_NE(grabbed.pixel(422 + 100, 300), qRgb(0, 0, 0)) << "sky";

    // Half the height: everything at half size.
    window->resize(window->width(), window->height() - 392);
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.height() == 392; }, 2000));
    EXPECT_DOUBLE_EQ(canvas.scale(), 0.5);
    EXPECT_EQ(start->geometry(),
              QRect(QPoint(int(canvas.origin().x()) + 140, 160), QSize(145, 21)));
}

}  // namespace
}  // namespace platform::qt::testing
