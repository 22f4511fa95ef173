#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>

#include "platform/qt/form_painter.h"
#include "platform/qt/form_units.h"
#include "qt_test_support.h"
#include "ui/frm_instructions.h"

namespace platform::qt::testing {
namespace {

// The host registers the built-in pictures.
class InstructionsWindowTest : public HostTest {
protected:
    // The client area as the painter draws it at the design size.
    QImage render(const Form& form) {
        QImage image(clientPixelSize(form).toSize(), QImage::Format_RGB32);
        QPainter painter(&image);
        FormPainter(painter, pictures, 1.0).paint(form);
        return image;
    }

    PictureCache pictures;
};

TEST_F(InstructionsWindowTest,
       TextsAndPicturesFillTheirBoxesAndTheHeadingsAreOnTheSkyInTheScriptFace) {
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
}  // namespace platform::qt::testing
