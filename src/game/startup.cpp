#include <algorithm>
#include <cmath>

#include "game/frm_tumbrix.h"
#include "game/player_name.h"
#include "platform/numeric.h"

namespace game {

void FrmTumbrix::Form_Load() {
    if (!firstLoadDone) {
        firstLoadDone = true;
        runtime_.randomize(runtime_.secondsSinceMidnight());
        picture = imgBackground.picture;
        ReadUserName();
        frmHighScores().UpdateHighScores();
        lblPause.caption = "Game Paused...\r\n\r\nPress ESC or ENTER to Resume.";
        const std::string folder = runtime_.appPath();
        TegoWav1->OpenWave(folder + "/MainMusic.wav");
        TegoWav3->OpenWave(folder + "/HighScore.wav");
        TegoWav4->OpenWave(folder + "/GameOver.wav");
        TegoWav5->OpenWave(folder + "/BonusCollected.wav");
        TegoWav6->OpenWave(folder + "/BallBounce.wav");
    }

    // The reset: the playfield as a new game finds it.
    escReleased = true;
    for (platform::Label* label : {&lblWrapAround, &lblBonusTime, &lblSnailTimeLeftTitle,
                                   &lblSnailTimeLeft, &lblGhostTimeLeftTitle, &lblGhostTimeLeft}) {
        label->visible = false;
    }
    snailEndTime = 0;
    ghostEndTime = 0;
    snailShown = false;
    ghostShown = false;
    fraSnail.visible = false;
    fraGhost.visible = false;
    player1Name = userName;
    player2Name = "Player 2";
    shpDot1.visible = false;
    shpDot2.visible = false;
    for (platform::Timer* timer : {&tmrMoveLeft1, &tmrMoveRight1, &tmrMoveLeft2, &tmrMoveRight2,
                                   &tmrTumbrix, &tmrScoreLevel, &tmrBonusTime}) {
        timer->setEnabled(false);
    }
    gameInProgress = false;
    player1Crushed = false;
    player2Crushed = false;
    onePlayerOut = false;
    gameOverPause = false;
    gamePaused = false;
    player1Alive = true;
    player2Alive = true;

    // Each bar leaves a 1500-twip gap between its halves.
    shpLine1.left = -7000;
    shpLine1.top = 2000;
    shpLine3.left = -3000;
    shpLine3.top = 6000;
    shpLine5.left = -7000;
    shpLine5.top = 10000;
    shpLine2.left = shpLine1.width - 5500;
    shpLine2.top = 2000;
    shpLine4.left = shpLine3.width - 1500;
    shpLine4.top = 6000;
    shpLine6.left = shpLine5.width - 5500;
    shpLine6.top = 10000;

    PlaceBonuses();

    baseSpeed = 10;
    barSpeed = 10;
    leftStep1 = 60;
    rightStep1 = 60;
    leftStep2 = 60;
    rightStep2 = 60;
    lblScore1.caption = userName + ": 0";
    lblScore2.caption = player2Name + ": 0";
    lblScore.caption = "0";
    elapsedSeconds = 0;
    lblScore1.visible = false;
    lblScore2.visible = false;
    ball1LastHalf = 0;
    ball2LastHalf = 0;
}

void FrmTumbrix::ReadUserName() {
    userName = playerNameFrom(runtime_.environment("NWUSERNAME"));
    if (userName.empty()) {
        userName = playerNameFrom(runtime_.environment("LOGIN"));
    }
    if (userName.empty()) {
        userName = playerNameFrom(runtime_.environment("USERNAME"));
    }
}

void FrmTumbrix::PlaceBonuses() {
    // The window's width is its client width, without the borders.
    constexpr double kWindowWidth = kClientWidth;

    // One item over the visible part of the left half of bar 1, the other
    // over the visible part of its right half.
    auto onLeftHalf = [this](const platform::Frame& item) {
        return std::floor(double(runtime_.rnd()) *
                          (double(shpLine1.left) + shpLine1.width - item.width));
    };
    auto onRightHalf = [this](const platform::Frame& item) {
        double offset =
            std::floor(double(runtime_.rnd()) * (kWindowWidth - shpLine2.left - item.width));
        return offset + shpLine2.left;
    };

    bonusSide = static_cast<std::int16_t>(std::floor(2 * double(runtime_.rnd())) + 1);
    if (bonusSide == 1) {
        snailLeft = platform::roundToInt16(onLeftHalf(fraSnail));
        ghostLeft = platform::roundToInt16(onRightHalf(fraGhost));
    } else {
        ghostLeft = platform::roundToInt16(onLeftHalf(fraGhost));
        snailLeft = platform::roundToInt16(onRightHalf(fraSnail));
    }
    // Where the visible part of the left half is narrower than its item the
    // draw can come out negative: the item then stands at the left edge.
    // Over a right half narrower than its item, the item may reach past the
    // right edge; part of it stays on screen, within the ball's reach.
    snailLeft = std::max<std::int16_t>(snailLeft, 0);
    ghostLeft = std::max<std::int16_t>(ghostLeft, 0);
}

}  // namespace game
