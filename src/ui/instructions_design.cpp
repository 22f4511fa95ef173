#include "ui/instructions_design.h"

#include "platform/color.h"

namespace ui {

using platform::Alignment;
using platform::rgb;

namespace {

void styleText(platform::Label& label, Alignment alignment) {
    label.font = {"Comic Sans MS", 12, false, false};
    label.foreColor = rgb(0, 0, 0);
    label.alignment = alignment;
}

void styleHeading(platform::Label& label, float points) {
    label.font = {InstructionsDesign::kHeadingFace, points, true, true};
    label.foreColor = rgb(0, 0, 0);
    label.alignment = Alignment::Center;
    label.visible = false;
}

}  // namespace

InstructionsDesign::InstructionsDesign() : Form(" Tumbrix Instructions", 11670, 8415) {
    picture = "instructions";
    icon = "icon";
    backColor = rgb(220, 240, 252);

    Label1.font = {"Arial", 24, true, false};
    Label1.foreColor = rgb(0, 0, 128);
    Label1.alignment = Alignment::Center;
    for (platform::Label* heading : {&Label5, &Label7, &Label9, &Label4}) {
        styleHeading(*heading, 24);
    }
    styleHeading(Label11, 15.75f);
    styleHeading(Label12, 15.75f);
    for (platform::Label* text : {&Label6, &Label8, &Label10, &Label14, &Label15, &Label13}) {
        styleText(*text, Alignment::Center);
    }
    styleText(Label2, Alignment::Right);
    styleText(Label3, Alignment::Right);

    Command1.font = {"Comic Sans MS", 18, true, false};
    Command1.faceColor = rgb(255, 128, 0);

    controls = {&Label1,  &Label5,  &Label6,  &Label7,  &Label8,  &Label9,
                &Label10, &Label4,  &Label2,  &Label3,  &Image1,  &Image2,
                &Label11, &Label12, &Label14, &Label15, &Label13, &Command1};
}

}  // namespace ui
