#include "ui/main_window_design.h"

#include "platform/color.h"

namespace ui {

using platform::Alignment;
using platform::rgb;

namespace {

void styleLabel(platform::Label& label, float points, Alignment alignment, bool visible,
                platform::Color color = rgb(255, 255, 255)) {
    label.font = {"Comic Sans MS", points, true, false};
    label.alignment = alignment;
    label.visible = visible;
    label.foreColor = color;
}

void styleBar(platform::Shape& bar) {
    bar.fillColor = rgb(0, 0, 0);
    bar.borderColor = rgb(0, 0, 0);
}

}  // namespace

MainWindowDesign::MainWindowDesign() : Form(" Tumbrix", kClientWidth, kClientHeight) {
    backColor = rgb(224, 224, 224);
    icon = "icon";

    for (platform::Shape* bar :
         {&shpLine1, &shpLine2, &shpLine3, &shpLine4, &shpLine5, &shpLine6}) {
        styleBar(*bar);
    }
    shpDot1.fillColor = rgb(0, 192, 0);
    shpDot2.fillColor = rgb(255, 0, 0);

    fraSnail.children = {&imgBonusSnail};
    fraGhost.children = {&imgBonusGhost};
    imgBackground.visible = false;
    imgPauseScreen.visible = false;

    styleLabel(lblScore, 36, Alignment::Center, true);
    styleLabel(lblScore1, 9.75f, Alignment::Left, true);
    styleLabel(lblScore2, 9.75f, Alignment::Right, false);
    styleLabel(lblPause, 27.75f, Alignment::Center, false);
    styleLabel(lblWrapAround, 48, Alignment::Center, false);
    styleLabel(lblBonusTime, 27.75f, Alignment::Center, false);
    styleLabel(lblSnailTimeLeftTitle, 15.75f, Alignment::Center, false, rgb(255, 255, 0));
    styleLabel(lblSnailTimeLeft, 24, Alignment::Center, false);
    styleLabel(lblGhostTimeLeftTitle, 15.75f, Alignment::Center, false, rgb(0, 255, 255));
    styleLabel(lblGhostTimeLeft, 24, Alignment::Center, false);

    for (platform::CommandButton* button : {&cmdNewGame1, &cmdNewGame2}) {
        button->font = {"Comic Sans MS", 15.75f, true, false};
        button->faceColor = rgb(255, 255, 255);
    }

    // Bars and balls at the bottom; items, notices and buttons stay readable
    // above them.
    controls = {&shpLine1,         &shpLine2,
                &shpLine3,         &shpLine4,
                &shpLine5,         &shpLine6,
                &shpDot1,          &shpDot2,
                &fraSnail,         &fraGhost,
                &imgBackground,    &imgPauseScreen,
                &lblScore,         &lblScore1,
                &lblScore2,        &lblWrapAround,
                &lblBonusTime,     &lblSnailTimeLeftTitle,
                &lblSnailTimeLeft, &lblGhostTimeLeftTitle,
                &lblGhostTimeLeft, &lblPause,
                &cmdNewGame1,      &cmdNewGame2};

    timers = {&tmrTumbrix,   &tmrScoreLevel, &tmrMoveLeft1, &tmrMoveRight1,
              &tmrMoveLeft2, &tmrMoveRight2, &tmrBonusTime, &tmrTrippyMode};

    mnuFile.items = {&mnuNewGame1, &mnuNewGame2, &mnuLine1, &mnuExit};
    mnuMusic.items = {&mnuMusicOnOff, &mnuSound};
    mnuSpecial.items = {&mnuFocus, &mnuLine2, &mnuShape, &mnuTrippy};
    mnuHelp.items = {&mnuInstructions, &mnuAbout};
    mnuHighScores.items = {&mnuShowHighScoreList};
    menuBar = {&mnuFile, &mnuMusic, &mnuSpecial, &mnuHelp, &mnuHighScores};
}

}  // namespace ui
