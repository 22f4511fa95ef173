#include <QFile>
#include <QFontDatabase>
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
    void SetUp() override { page.Form_Load(); }

    // The client area as the painter draws it at the design size, 778 x 561.
    QImage render(const Form& form) {
        QImage image(clientPixelSize(form).toSize(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FormPainter(painter, pictures, 1.0).paint(form);
        return image;
    }

    ui::FrmInstructions page;
    PictureCache pictures;
};

bool dark(QRgb pixel) {
    return qGray(pixel) < 60;
}

TEST_F(InstructionsWindowTest, TheHeadingFaceIsTheInstalledScriptFontNotAFallback) {
    const QString face = ui::InstructionsDesign::kHeadingFace;
    QFile svg(":/assets/instructions.svg");
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains(("font-family=\"" + face + "\"").toUtf8()));
    EXPECT_TRUE(QFontDatabase::families().contains(face));
    EXPECT_EQ(QFontInfo(QFont(face)).family(), face);
}

TEST_F(InstructionsWindowTest, TextsAndPicturesAreDrawnWholeInTheirBoxesAndHeadingsOnTheSky) {
    const QImage drawn = render(page);
    ui::FrmInstructions bare;
    for (Control* control : bare.controls) {
        control->visible = false;
    }
    const QImage sky = render(bare);

    std::vector<QRect> boxes;
    for (const Control* control : page.controls) {
        if (!control->visible || control->kind == ControlKind::CommandButton) {
            continue;
        }
        SCOPED_TRACE(control->name);
        const QRect box = pixelRect(*control).toRect();
        boxes.push_back(box);
        if (control->kind == ControlKind::Image) {
            // The whole picture, stretched to the box.
            const auto& image = static_cast<const Image&>(*control);
            QImage expected = sky.copy(box);
            QPainter(&expected).drawImage(0, 0, pictures.image(image.picture, box.size()));
            EXPECT_EQ(drawn.copy(box), expected);
            continue;
        }
        // Every line of the label fits its box, and something is written there.
        const auto& label = static_cast<const Label&>(*control);
        QString text = QString::fromStdString(label.caption).replace("\r\n", "\n");
        const QRectF needed =
            QFontMetricsF(toQFont(label.font)).boundingRect(QRectF(box), Qt::TextWordWrap, text);
        EXPECT_LE(needed.height(), box.height()) << text.toStdString();
        EXPECT_LE(needed.width(), box.width()) << text.toStdString();
        EXPECT_NE(drawn.copy(box), sky.copy(box));
    }
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            if (drawn.pixel(x, y) != sky.pixel(x, y)) {
                ASSERT_TRUE(std::any_of(boxes.begin(), boxes.end(),
                                        [&](const QRect& box) { return box.contains(x, y); }))
                    << "drawn outside every box at " << x << "," << y;
            }
        }
    }

    // The six headings are on the sky picture itself, each centred in the
    // place of its hidden label and underlined across its whole width.
    for (const Label* heading :
         {&page.Label5, &page.Label7, &page.Label9, &page.Label4, &page.Label11, &page.Label12}) {
        SCOPED_TRACE(heading->name);
        EXPECT_FALSE(heading->visible);
        const QRect box = pixelRect(*heading).toRect();
        int left = box.right();
        int right = box.left();
        int longestRun = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            int run = 0;
            for (int x = box.left(); x <= box.right(); ++x) {
                run = dark(sky.pixel(x, y)) ? run + 1 : 0;
                longestRun = std::max(longestRun, run);
                if (dark(sky.pixel(x, y))) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        ASSERT_LT(left, right) << "no heading written there";
        EXPECT_NEAR((left + right) / 2.0, box.center().x() + 0.5, 2.0);
        EXPECT_GE(longestRun, (right - left) * 9 / 10) << "underline";
    }
}

}  // namespace
}  // namespace platform::qt::testing
