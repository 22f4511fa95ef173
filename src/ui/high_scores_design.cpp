#include "ui/high_scores_design.h"

#include "platform/color.h"

namespace ui {

using platform::rgb;

namespace {

struct RankColours {
    platform::Color name;
    platform::Color score;
};

// Rows 1-3 yellow, 4-7 orange names with black scores, 8-11 cyan, the rest white.
RankColours coloursForRow(std::size_t row) {
    if (row <= 3) {
        return {rgb(255, 255, 0), rgb(255, 255, 0)};
    }
    if (row <= 7) {
        return {rgb(255, 128, 0), rgb(0, 0, 0)};
    }
    if (row <= 11) {
        return {rgb(0, 255, 255), rgb(0, 255, 255)};
    }
    return {rgb(255, 255, 255), rgb(255, 255, 255)};
}

}  // namespace

HighScoresDesign::HighScoresDesign() : Form(" Tumbrix High Scores", 6030, 8790) {
    picture = "high_scores";
    icon = "icon";
    backColor = rgb(0, 0, 0);

    lblHighScoreTitle.font = {"Arial", 24, true, true};
    lblHighScoreTitle.alignment = platform::Alignment::Center;
    lblHighScoreTitle.foreColor = rgb(255, 255, 255);
    controls = {&lblHighScoreTitle, &lblScoreTitle};

    for (std::size_t row = 1; row <= kRows; ++row) {
        RankColours colours = coloursForRow(row);
        lblName[row].font = {"Arial", 15.75f, true, false};
        lblName[row].foreColor = colours.name;
        lblHighScore[row].font = {"Arial", 15.75f, true, false};
        lblHighScore[row].alignment = platform::Alignment::Right;
        lblHighScore[row].foreColor = colours.score;
        controls.push_back(&lblName[row]);
        controls.push_back(&lblHighScore[row]);
    }

    cmdContinue.font = {"Comic Sans MS", 18, true, false};
    cmdContinue.faceColor = rgb(0, 255, 0);
    controls.push_back(&cmdContinue);
}

}  // namespace ui
