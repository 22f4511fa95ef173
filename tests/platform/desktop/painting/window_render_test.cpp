#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <functional>
#include <optional>

#include "platform/desktop/painting/dirty_tracker.h"
#include "platform/desktop/painting/form_painter.h"
#include "platform/desktop/painting/form_units.h"
#include "qt_test_support.h"
#include "ui/frm_instructions.h"

namespace platform::desktop::testing {
namespace {

using Rects = std::vector<QRect>;

// 200 x 100 pixels on blue: a red box that a yellow one covers in part, a
// hidden one, a purple frame whose green child it clips, a picture and a label.
class Sketch : public Form {
public:
    Sketch() : Form("Sketch", 3000, 1500) {
        backColor = rgb(0, 0, 255);
        for (auto [shape, colour] : {std::pair(&box, rgb(255, 0, 0)),
                                     {&cover, rgb(255, 255, 0)},
                                     {&hidden, rgb(0, 255, 255)},
                                     {&held, rgb(0, 255, 0)}}) {
            shape->fillColor = shape->borderColor = colour;
        }
        hidden.visible = false;
        frame.backColor = rgb(128, 0, 128);
        frame.children = {&held};
        label.foreColor = rgb(255, 255, 0);
        controls = {&box, &cover, &hidden, &frame, &photo, &label};
    }
    Shape box{"box", ShapeKind::Rectangle, 150, 150, 450, 300};
    Shape cover{"cover", ShapeKind::Rectangle, 450, 300, 300, 300};
    Shape hidden{"hidden", ShapeKind::Rectangle, 0, 0, 3000, 1500};
    Frame frame{"frame", 1500, 150, 600, 450};
    Shape held{"held", ShapeKind::Rectangle, 300, 150, 900, 150};  // reaches past the frame
    Image photo{"photo", "snail", 2400, 150, 450, 300};
    Label label{"label", "Hi there", 0, 900, 3000, 450};
};

class PainterTest : public ::testing::Test {
protected:
    QImage render(const Form& form, qreal scale = 1.0) {
        QImage image((clientPixelSize(form) * scale).toSize(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FormPainter(painter, pictures, scale, &images).paint(form);
        return image;
    }
    // The smallest rectangle holding every pixel of exactly this colour.
    static QRect extent(const QImage& image, QRgb colour) {
        QRect found;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                found |= image.pixel(x, y) == colour ? QRect(x, y, 1, 1) : QRect();
            }
        }
        return found;
    }

    PictureCache pictures;
    ControlImages images;
    Sketch form;
};

TEST_F(PainterTest, ControlsGoOnTheirPixelsInStackingOrderAndFramesClipWhatTheyHold) {
    // Edges, not sizes, are rounded: at 1.5 the red box's 30 x 20 pixels
    // from (10, 10) run from 15 to 60 and from 15 to 45.
    for (const qreal scale : {1.0, 1.5}) {
        SCOPED_TRACE(scale);
        const QImage drawn = render(form, scale);
        const auto at = [scale](int x, int y, int w, int h) {
            return deviceRect(QRectF(x, y, w, h), scale);
        };
        EXPECT_EQ(extent(drawn, qRgb(255, 0, 0)), at(10, 10, 30, 20));
        EXPECT_EQ(drawn.pixel(at(35, 25, 1, 1).topLeft()), qRgb(255, 255, 0)) << "under the box";
        EXPECT_EQ(extent(drawn, qRgb(0, 255, 0)), at(120, 20, 20, 10));
        EXPECT_EQ(extent(drawn, qRgb(128, 0, 128)), at(100, 10, 40, 30));
        EXPECT_EQ(extent(drawn, qRgb(0, 255, 255)), QRect());
        EXPECT_EQ(extent(drawn, qRgb(255, 0, 255)), QRect()) << "a pixel left unpainted";
        // The picture stretched to its box, drawn at that size.
        const QRect box = at(160, 10, 30, 20);
        QImage expected(box.size(), QImage::Format_RGB32);
        expected.fill(Qt::blue);
        PictureCache fresh;
        QPainter(&expected).drawImage(0, 0, fresh.image("snail", box.size()));
        EXPECT_EQ(drawn.copy(box), expected);
    }
}

TEST_F(PainterTest, TheBackColourShowsWhereTheBackgroundPictureIsTransparentOrDoesNotReach) {
    form.controls.clear();
    form.picture = "icon";  // 256 x 256 pixels with round corners
    ASSERT_LT(qAlpha(pictures.image("icon", QSize(256, 256)).pixel(0, 0)), 255);
    // Each row: the form's width in twips, and a pixel of the top row.
    for (const auto& [width, x] : {std::pair(3000.0f, 0), std::pair(7500.0f, 499)}) {
        form.clientWidth = width;
        EXPECT_EQ(render(form).pixel(x, 0), qRgb(0, 0, 255)) << x;
    }
}

// One label drawn through the same images, its look changed at the same size.
TEST_F(PainterTest, LabelsAlignAndOnlyLightTextGetsAShadowWhereItIsSeeThrough) {
    form.controls = {&form.label};
    form.backColor = form.label.backColor = rgb(128, 128, 128);
    // Each row: the alignment, the text's colour, whether opaque; a shadow?
    for (const auto& [alignment, text, opaque, shadowed] :
         {std::tuple(Alignment::Left, rgb(255, 255, 0), false, true),
          {Alignment::Center, rgb(160, 0, 0), false, false},
          {Alignment::Right, rgb(255, 255, 0), true, false}}) {
        SCOPED_TRACE(int(alignment));
        form.label.alignment = alignment;
        form.label.foreColor = text;
        form.label.opaque = opaque;
        const QImage drawn = render(form);
        // Ink is what is neither the background nor the label's own back.
        QRect ink;
        int shadow = 0;
        for (int y = 60; y < 90; ++y) {
            for (int x = 0; x < 200; ++x) {
                const QRgb pixel = drawn.pixel(x, y);
                const bool grey = qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel);
                ink |= grey && qRed(pixel) >= 128 ? QRect() : QRect(x, y, 1, 1);
                shadow += grey && qRed(pixel) > 0 && qRed(pixel) < 100;
            }
        }
        EXPECT_EQ(shadow > 0, shadowed);
        const int left = ink.left(), right = 199 - ink.right();
        EXPECT_LT(alignment == Alignment::Left    ? left
                  : alignment == Alignment::Right ? right
                                                  : std::abs(left - right),
                  6);
    }
}

TEST(DirtyTracker, RepaintsTheOldAndNewPlacesOfWhatChangedOrElseEverything) {
    Sketch form;
    DirtyTracker tracker;
    Rects changed;
    EXPECT_TRUE(tracker.collect(form, 1.0, changed)) << "the first time";
    const QRect box(10, 10, 30, 20), frame(100, 10, 40, 30), held(120, 20, 20, 10),
        photo(160, 10, 30, 20), label(0, 60, 200, 30);
    // Each row: a change, the scale then, and the places to repaint; none
    // when everything is.
    const std::tuple<const char*, std::function<void()>, qreal, std::optional<Rects>> cases[] = {
        {"nothing", [] {}, 1, Rects{}},
        {"a box moved", [&] { form.box.left += 150; }, 1, Rects{box, box.translated(10, 0)}},
        {"its colour", [&] { form.box.fillColor = 0; }, 1,
         Rects{box.translated(10, 0), box.translated(10, 0)}},
        {"a hidden one's", [&] { form.hidden.fillColor = 0; }, 1, Rects{}},
        {"a caption", [&] { form.label.caption = "Bye"; }, 1, Rects{label, label}},
        {"a picture stretched no more", [&] { form.photo.stretch = false; }, 1,
         Rects{photo, photo}},
        {"a frame moved up, what it holds clipped with it", [&] { form.frame.top -= 15; }, 1,
         Rects{frame, frame.translated(0, -1), held, held.translated(0, -1)}},
        {"a box hidden", [&] { form.cover.visible = false; }, 1, Rects{QRect(30, 20, 20, 20)}},
        {"the back colour", [&] { form.backColor = 0; }, 1, std::nullopt},
        {"the background picture", [&] { form.picture = "snail"; }, 1, std::nullopt},
        {"the scale", [] {}, 2, std::nullopt}};
    for (const auto& [change, make, scale, places] : cases) {
        make();
        changed.clear();
        EXPECT_EQ(tracker.collect(form, scale, changed), !places) << change;
        EXPECT_EQ(changed, places.value_or(Rects{})) << change;
    }
}

TEST(InstructionsWindow, EveryTextFitsItsBoxInTheScriptFaceOfTheHeadingsAsInstalled) {
    ui::FrmInstructions page;
    page.Form_Load();
    for (const Control* control : page.controls) {
        if (control->visible && control->kind == ControlKind::Label) {
            const auto& label = static_cast<const Label&>(*control);
            const QRectF box = pixelRect(label);
            const QString text = QString::fromStdString(label.caption).replace("\r\n", "\n");
            EXPECT_TRUE(box.contains(
                QFontMetricsF(toQFont(label.font)).boundingRect(box, Qt::TextWordWrap, text)))
                << label.name;
        }
    }
    // The headings are in the sky picture, written in that face.
    const QString face = ui::InstructionsDesign::kHeadingFace;
    QFile svg(":/assets/instructions.svg");
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains(("font-family=\"" + face + "\"").toUtf8()));
    EXPECT_EQ(QFontInfo(QFont(face)).family(), face) << "a fallback face";
}

}  // namespace
}  // namespace platform::desktop::testing
