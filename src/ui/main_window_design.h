#pragma once

#include "platform/controls.h"
#include "platform/form.h"
#include "platform/timer.h"

namespace ui {

// The main window as it is designed: every control with its design-time
// position, look and state, before any code runs. The game logic derives
// from it and moves, shows and re-labels these controls.
class MainWindowDesign : public platform::Form {
public:
    MainWindowDesign();

    // Playfield size in twips.
    static constexpr float kClientWidth = 12660;
    static constexpr float kClientHeight = 11760;

    platform::Shape shpLine1{"shpLine1", platform::ShapeKind::RoundedRectangle, -7320, 1920, 11295,
                             215};
    platform::Shape shpLine2{"shpLine2", platform::ShapeKind::RoundedRectangle, 9600, 3960, 11295,
                             215};
    platform::Shape shpLine3{"shpLine3", platform::ShapeKind::RoundedRectangle, -4320, 6000, 11295,
                             215};
    platform::Shape shpLine4{"shpLine4", platform::ShapeKind::RoundedRectangle, 12960, 6000, 11295,
                             215};
    platform::Shape shpLine5{"shpLine5", platform::ShapeKind::RoundedRectangle, -6240, 10080, 11295,
                             215};
    platform::Shape shpLine6{"shpLine6", platform::ShapeKind::RoundedRectangle, 12960, 9120, 11295,
                             215};
    platform::Shape shpDot1{"shpDot1", platform::ShapeKind::Circle, 6015, 1200, 615, 615};
    platform::Shape shpDot2{"shpDot2", platform::ShapeKind::Circle, 6015, 960, 615, 615};

    platform::Image imgBonusSnail{"imgBonusSnail", "snail", 0, 0, 1455, 1125};
    platform::Frame fraSnail{"fraSnail", 8640, 2400, 1440, 1110};
    platform::Image imgBonusGhost{"imgBonusGhost", "ghost", 0, 0, 1095, 1095};
    platform::Frame fraGhost{"fraGhost", 10560, 2400, 1095, 1110};

    platform::Image imgBackground{"imgBackground", "background", 9000, 1200, 1215, 495};
    platform::Image imgPauseScreen{"imgPauseScreen", "pause_screen", 10500, 1200, 1215, 495};

    platform::Label lblScore{"lblScore", "0", 5385, 10800, 1920, 855};
    platform::Label lblScore1{"lblScore1", "Player 1:", 120, 0, 3600, 375};
    platform::Label lblScore2{"lblScore2", "Player 2: ", 8940, 0, 3600, 375};
    platform::Label lblWrapAround{"lblWrapAround", "Wraparound Enabled!", 3360, 7500, 5895, 2775};
    platform::Label lblBonusTime{
        "lblBonusTime", "SNAIL Bonus Time is Over!", 105, 9345, 12450, 855};
    platform::Label lblSnailTimeLeftTitle{
        "lblSnailTimeLeftTitle", "Snail Bonus Time Left:", 120, 10200, 1890, 900};
    platform::Label lblSnailTimeLeft{"lblSnailTimeLeft", "0", 465, 11055, 1200, 600};
    platform::Label lblGhostTimeLeftTitle{
        "lblGhostTimeLeftTitle", "Ghost Bonus Time Left:", 10650, 10200, 1890, 900};
    platform::Label lblGhostTimeLeft{"lblGhostTimeLeft", "0", 10995, 11055, 1200, 600};
    platform::Label lblPause{"lblPause", "Game Paused...", 105, 3900, 12450, 3015};

    platform::CommandButton cmdNewGame1{
        "cmdNewGame1", "Start New 1-Player Game", 4200, 4800, 4335, 615};
    platform::CommandButton cmdNewGame2{
        "cmdNewGame2", "Start New 2-Player Game", 4200, 5640, 4335, 615};

    // Timers, in the order they fire within one platform tick.
    platform::Timer tmrTumbrix{"tmrTumbrix", 1, true};
    platform::Timer tmrScoreLevel{"tmrScoreLevel", 1000, true};
    platform::Timer tmrMoveLeft1{"tmrMoveLeft1", 10, false};
    platform::Timer tmrMoveRight1{"tmrMoveRight1", 10, false};
    platform::Timer tmrMoveLeft2{"tmrMoveLeft2", 10, false};
    platform::Timer tmrMoveRight2{"tmrMoveRight2", 10, false};
    platform::Timer tmrBonusTime{"tmrBonusTime", 2500, false};
    platform::Timer tmrTrippyMode{"tmrTrippyMode", 250, false};

    platform::MenuItem mnuFile{"mnuFile", "&File"};
    platform::MenuItem mnuNewGame1{"mnuNewGame1", "New 1-Player Game", "Ctrl+N"};
    platform::MenuItem mnuNewGame2{"mnuNewGame2", "New 2-Player Game", "Ctrl+T"};
    platform::MenuItem mnuLine1{"mnuLine1", "-"};
    platform::MenuItem mnuExit{"mnuExit", "Exit", "Ctrl+X"};
    platform::MenuItem mnuMusic{"mnuMusic", "&Sound"};
    platform::MenuItem mnuMusicOnOff{"mnuMusicOnOff", "Music On/Off", "Ctrl+M", true};
    platform::MenuItem mnuSound{"mnuSound", "Sound Effects On/Off", "Ctrl+S", true};
    platform::MenuItem mnuSpecial{"mnuSpecial", "&Special"};
    platform::MenuItem mnuFocus{"mnuFocus", "Focus Mode On/Off", "Ctrl+F"};
    platform::MenuItem mnuLine2{"mnuLine2", "-"};
    platform::MenuItem mnuShape{"mnuShape", "Round / Square Balls", "Ctrl+R"};
    platform::MenuItem mnuTrippy{"mnuTrippy", "Trippy Mode On/Off", "Ctrl+Y"};
    platform::MenuItem mnuHelp{"mnuHelp", "&Help"};
    platform::MenuItem mnuInstructions{"mnuInstructions", "Instructions", "Ctrl+I"};
    platform::MenuItem mnuAbout{"mnuAbout", "About", "Ctrl+A"};
    platform::MenuItem mnuHighScores{"mnuHighScores", "&High Scores"};
    platform::MenuItem mnuShowHighScoreList{"mnuShowHighScoreList", "Show High Score List",
                                            "Ctrl+H"};
};

}  // namespace ui
