#include "game/frm_tumbrix.h"
#include "platform/numeric.h"

namespace game {

namespace {

// A ball sunk into the top of a bar by more than 15 and less than 240 twips
// is put back so that its bottom edge is 15 twips below the bar's top.
void settleOnBars(platform::Shape& ball, const platform::Shape& bar1, const platform::Shape& bar2,
                  const platform::Shape& bar3) {
    for (const platform::Shape* bar : {&bar1, &bar2, &bar3}) {
        bool topEdgeLowEnough = platform::singleSum(ball.top + 600.0, -double(bar->top)) > 0;
        bool bottomEdgeShallow =
            platform::singleSum(double(ball.top) + ball.height, -double(bar->top)) < 240;
        if (topEdgeLowEnough && bottomEdgeShallow) {
            ball.top = bar->top - 600;
        }
    }
}

}  // namespace

void FrmTumbrix::PutBall1OnLine() {
    settleOnBars(shpDot1, shpLine1, shpLine3, shpLine5);
}

void FrmTumbrix::PutBall2OnLine() {
    if (twoPlayerGame) {
        settleOnBars(shpDot2, shpLine1, shpLine3, shpLine5);
    }
}

void FrmTumbrix::Pause() {
    if (!gameInProgress) {
        return;
    }
    mousePointer = platform::MousePointer::Default;
    lblWrapAround.visible = false;
    lblBonusTime.visible = false;
    fraSnail.visible = false;
    fraGhost.visible = false;

    savedSteer1 = 0;
    savedSteer2 = 0;
    if (tmrMoveLeft1.enabled()) {
        savedSteer1 = 1;
    }
    if (tmrMoveRight1.enabled()) {
        savedSteer1 = 2;
    }
    if (tmrMoveLeft2.enabled()) {
        savedSteer2 = 1;
    }
    if (tmrMoveRight2.enabled()) {
        savedSteer2 = 2;
    }
    for (platform::Timer* timer : {&tmrMoveLeft1, &tmrMoveRight1, &tmrMoveRight2, &tmrMoveLeft2,
                                   &tmrTumbrix, &tmrScoreLevel}) {
        timer->setEnabled(false);
    }

    PutBall1OnLine();
    PutBall2OnLine();

    if (!gameOverPause) {
        for (platform::Shape* shape : {&shpLine1, &shpLine2, &shpLine3, &shpLine4, &shpLine5,
                                       &shpLine6, &shpDot1, &shpDot2}) {
            shape->visible = false;
        }
        picture = imgPauseScreen.picture;
        lblPause.visible = true;
    }
    gamePaused = true;
    if (mnuMusicOnOff.checked) {
        TegoWav1->StopWave();
    }
}

void FrmTumbrix::Unpause() {
    lblPause.visible = false;
    if (savedSteer1 == 1) {
        tmrMoveLeft1.setEnabled(true);
    } else if (savedSteer1 == 2) {
        tmrMoveRight1.setEnabled(true);
    }
    if (savedSteer2 == 1) {
        tmrMoveLeft2.setEnabled(true);
    } else if (savedSteer2 == 2) {
        tmrMoveRight2.setEnabled(true);
    }
    tmrTumbrix.setEnabled(true);
    tmrScoreLevel.setEnabled(true);
    for (platform::Shape* bar :
         {&shpLine1, &shpLine2, &shpLine3, &shpLine4, &shpLine5, &shpLine6}) {
        bar->visible = true;
    }
    if (!twoPlayerGame) {
        shpDot1.visible = true;
    } else {
        if (!player1Out) {
            shpDot1.visible = true;
        }
        if (!player2Out) {
            shpDot2.visible = true;
        }
    }
    if (player1Out) {
        player1Alive = false;
        player1Crushed = true;
    }
    if (player2Out) {
        player2Alive = false;
        player2Crushed = true;
    }
    picture = imgBackground.picture;
    if (mnuMusicOnOff.checked && TegoWav1->WaveMode() != platform::WavePlayer::kModePlaying) {
        TegoWav1->PlayWave(-1, -1, false);
    }
    if (elapsedSeconds >= 90 && elapsedSeconds < 95) {
        lblWrapAround.visible = true;
    }
    if (snailShown) {
        fraSnail.visible = true;
    }
    if (ghostShown) {
        fraGhost.visible = true;
    }
    gamePaused = false;
    mousePointer = platform::MousePointer::Custom;
}

void FrmTumbrix::playerSteppedAway() {
    // A game left running behind another program, or without the hands that
    // steered it, would be lost unseen: it pauses as ESC would pause it, and
    // ESC or ENTER resumes it.
    if (gameInProgress && !gamePaused) {
        Pause();
    }
}

}  // namespace game
