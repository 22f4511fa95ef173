// Each window drawn offscreen at its design size, checked a few pixels per
// control: a control moved, recoloured or restacked fails here.
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "game/frm_tumbrix.h"
#include "platform/desktop/painting/form_painter.h"
#include "platform/desktop/painting/form_units.h"
#include "qt_test_support.h"
#include "scores/frm_high_scores.h"
#include "ui/frm_instructions.h"
#include "ui/fullscreen_design.h"

namespace platform::desktop::testing {
namespace {

class WindowRenderTest : public HostTest {
protected:
    QImage render(const Form& form) {
        QImage image(clientPixelSize(form).toSize(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FormPainter(painter, pictures, 1.0).paint(form);
        return image;
    }
    // Pixels of exactly this colour inside the control's box.
    static int pixelsOf(const QImage& image, const Control& control, Color colour,
                        QPoint offset = {}) {
        const QRect box = pixelRect(control).toRect().translated(offset) & image.rect();
        int count = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                count += image.pixel(x, y) == toQColor(colour).rgb();
            }
        }
        return count;
    }
    // The leftmost and rightmost columns of that colour in the box.
    static std::pair<int, int> extentOf(const QImage& image, const Control& control, Color colour) {
        const QRect box = pixelRect(control).toRect() & image.rect();
        int left = box.right();
        int right = box.left();
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                if (image.pixel(x, y) == toQColor(colour).rgb()) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return {left - box.left(), box.right() - right};
    }
    static QPoint centre(const Control& control, QPoint offset = {}) {
        return pixelRect(control).center().toPoint() + offset;
    }

    PictureCache pictures;
};

TEST_F(WindowRenderTest, MainWindowShowsEveryControlInItsPlaceColourAndStacking) {
    game::FrmTumbrix frm(host);
    host.loadForm(frm);
    frm.mnuNewGame2_Click();
    frm.tmrTumbrix.setEnabled(false);
    frm.tmrScoreLevel.setEnabled(false);
    frm.shpDot1.left = 1000;
    frm.shpDot2.left = 3000;
    frm.fraSnail.visible = frm.fraGhost.visible = true;
    frm.fraSnail.left = 9000;
    frm.fraSnail.top = frm.shpLine1.top - frm.fraSnail.height;
    for (Label* notice :
         {&frm.lblWrapAround, &frm.lblBonusTime, &frm.lblSnailTimeLeftTitle, &frm.lblSnailTimeLeft,
          &frm.lblGhostTimeLeftTitle, &frm.lblGhostTimeLeft}) {
        notice->visible = true;
    }
    // The notice stands over the bar and the ball below it.
    frm.shpLine3.top = frm.lblWrapAround.top + 1200;
    frm.shpDot1.top = frm.lblWrapAround.top + 600;
    frm.shpDot1.left = frm.lblWrapAround.left + 2000;
    const QImage frame = render(frm);

    EXPECT_EQ(frame.pixel(centre(frm.shpDot2)), qRgb(255, 0, 0));
    EXPECT_EQ(frame.pixel(centre(frm.shpLine1) + QPoint(300, 0)), qRgb(0, 0, 0));
    // Ball 1 and bar 2 under the wraparound notice: its white text is on top.
    EXPECT_GT(pixelsOf(frame, frm.shpDot1, rgb(0, 192, 0)), 300);
    EXPECT_GT(pixelsOf(frame, frm.lblWrapAround, rgb(255, 255, 255)), 2000);
    const QRect notice = pixelRect(frm.lblWrapAround).toRect();
    int whiteOverBall = 0;
    for (int y = notice.top(); y <= notice.bottom(); ++y) {
        for (int x = notice.left(); x <= notice.right(); ++x) {
            const QRect ball = pixelRect(frm.shpDot1).toRect();
            whiteOverBall += ball.contains(x, y) && frame.pixel(x, y) == qRgb(255, 255, 255);
        }
    }
    EXPECT_GT(whiteOverBall, 0) << "the notice is under the ball";

    EXPECT_EQ(frame.pixel(pixelRect(frm.fraGhost).toRect().topLeft() + QPoint(1, 1)),
              qRgb(0, 0, 0));
    EXPECT_GT(pixelsOf(frame, frm.fraSnail, rgb(0, 0, 0)), 100);
    EXPECT_GT(pixelsOf(frame, frm.lblSnailTimeLeftTitle, rgb(255, 255, 0)), 100);
    EXPECT_GT(pixelsOf(frame, frm.lblGhostTimeLeftTitle, rgb(0, 255, 255)), 100);
    for (const Label* white : {&frm.lblScore1, &frm.lblScore2, &frm.lblScore, &frm.lblBonusTime,
                               &frm.lblSnailTimeLeft, &frm.lblGhostTimeLeft}) {
        EXPECT_GT(pixelsOf(frame, *white, rgb(255, 255, 255)), 20) << white->name;
    }
    // Player 1 left-aligned at the left edge, player 2 right-aligned at the right.
    EXPECT_LT(extentOf(frame, frm.lblScore1, rgb(255, 255, 255)).first, 4);
    EXPECT_GT(extentOf(frame, frm.lblScore1, rgb(255, 255, 255)).second, 100);
    EXPECT_LT(extentOf(frame, frm.lblScore2, rgb(255, 255, 255)).second, 8);
    EXPECT_GT(extentOf(frame, frm.lblScore2, rgb(255, 255, 255)).first, 100);

    // The buttons are widgets over the canvas: white faces with black text.
    frm.Form_Load();
    frm.cmdNewGame1.visible = frm.cmdNewGame2.visible = true;
    showAndActivate(frm);
    const QImage window = host.windowOf(frm)->canvas().grab().toImage();
    for (const CommandButton* button : {&frm.cmdNewGame1, &frm.cmdNewGame2}) {
        EXPECT_EQ(window.pixel(pixelRect(*button).toRect().topLeft() + QPoint(6, 6)),
                  qRgb(255, 255, 255));
        EXPECT_GT(pixelsOf(window, *button, rgb(0, 0, 0)), 40) << button->name;
    }
}

TEST_F(WindowRenderTest, HighScoreRowsAreColouredByRankUnderTheTitle) {
    game::FrmTumbrix frm(host);
    host.loadForm(frm);
    scores::FrmHighScores& table = frm.frmHighScores();
    for (std::size_t row = 1; row <= table.kRows; ++row) {
        table.lblName[row].caption = "WWWWWW";
        table.lblHighScore[row].caption = "888";
    }
    const QImage frame = render(table);
    EXPECT_GT(pixelsOf(frame, table.lblHighScoreTitle, rgb(255, 255, 255)), 500);
    for (std::size_t row = 1; row <= table.kRows; ++row) {
        SCOPED_TRACE(row);
        const Color name = row <= 3    ? rgb(255, 255, 0)
                           : row <= 7  ? rgb(255, 128, 0)
                           : row <= 11 ? rgb(0, 255, 255)
                                       : rgb(255, 255, 255);
        const Color score = row >= 4 && row <= 7 ? rgb(0, 0, 0) : name;
        EXPECT_GT(pixelsOf(frame, table.lblName[row], name), 60);
        EXPECT_GT(pixelsOf(frame, table.lblHighScore[row], score), 30);
        // The neighbouring bands' colours stay out.
        if (row == 3 || row == 7 || row == 11) {
            EXPECT_EQ(pixelsOf(frame, table.lblName[row + 1], name), 0);
        }
    }
    table.visible = true;
    showAndActivate(table);
    const QImage window = host.windowOf(table)->canvas().grab().toImage();
    EXPECT_EQ(window.pixel(pixelRect(table.cmdContinue).toRect().topLeft() + QPoint(6, 6)),
              qRgb(0, 255, 0));
}

TEST_F(WindowRenderTest, FocusCoverIsBlackWithItsYellowReminderAtTheTopLeft) {
    ui::FullscreenDesign cover;
    const QImage frame = render(cover);
    EXPECT_GT(pixelsOf(frame, cover.Label1, rgb(255, 255, 0)), 100);
    EXPECT_EQ(frame.pixel(7, 7), qRgb(0, 0, 0));
    EXPECT_EQ(frame.pixel(300, 300), qRgb(0, 0, 0));
}

TEST_F(WindowRenderTest, InstructionsFillTheirBoxesAndTheHeadingsAreOnTheSkyInTheScriptFace) {
    ui::FrmInstructions page;
    page.Form_Load();
    ui::FrmInstructions bare;
    for (Control* control : bare.controls) {
        control->visible = false;
    }
    const QImage drawn = render(page);
    const QImage sky = render(bare);

    QRegion boxes;
    for (const Control* control : page.controls) {
        if (!control->visible || control->kind == ControlKind::CommandButton) {
            continue;
        }
        SCOPED_TRACE(control->name);
        const QRect box = pixelRect(*control).toRect();
        boxes += box;
        if (control->kind == ControlKind::Image) {
            // The whole picture, stretched to the box.
            QImage expected = sky.copy(box);
            QPainter(&expected).drawImage(
                0, 0, pictures.image(static_cast<const Image&>(*control).picture, box.size()));
            EXPECT_EQ(drawn.copy(box), expected);
            continue;
        }
        // Written there, and every wrapped line fits the box.
        const auto& label = static_cast<const Label&>(*control);
        const QString text = QString::fromStdString(label.caption).replace("\r\n", "\n");
        const QRectF needed =
            QFontMetricsF(toQFont(label.font)).boundingRect(QRectF(box), Qt::TextWordWrap, text);
        EXPECT_TRUE(QRectF(box).contains(needed)) << text.toStdString();
        EXPECT_NE(drawn.copy(box), sky.copy(box));
    }
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            ASSERT_TRUE(drawn.pixel(x, y) == sky.pixel(x, y) || boxes.contains(QPoint(x, y)))
                << "drawn outside every box at " << x << "," << y;
        }
    }

    // Each heading is written centred in the place of its hidden label and
    // underlined across its whole width, in the installed script face.
    const QString face = ui::InstructionsDesign::kHeadingFace;
    QFile svg(":/assets/instructions.svg");
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains(("font-family=\"" + face + "\"").toUtf8()));
    EXPECT_EQ(QFontInfo(QFont(face)).family(), face) << "a fallback face";
    for (const Label* heading :
         {&page.Label5, &page.Label7, &page.Label9, &page.Label4, &page.Label11, &page.Label12}) {
        SCOPED_TRACE(heading->name);
        EXPECT_FALSE(heading->visible);
        const QRect box = pixelRect(*heading).toRect();
        int left = box.right();
        int right = box.left();
        int longestRun = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(), run = 0; x <= box.right(); ++x) {
                const bool ink = qGray(sky.pixel(x, y)) < 60;
                run = ink ? run + 1 : 0;
                longestRun = std::max(longestRun, run);
                left = ink ? std::min(left, x) : left;
                right = ink ? std::max(right, x) : right;
            }
        }
        ASSERT_LT(left, right) << "no heading there";
        EXPECT_NEAR((left + right) / 2.0, box.center().x() + 0.5, 2.0);
        EXPECT_GE(longestRun, (right - left) * 9 / 10) << "underline";
    }
}

}  // namespace
}  // namespace platform::desktop::testing
