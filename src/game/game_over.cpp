#include <cmath>

#include "game/frm_tumbrix.h"
#include "platform/numeric.h"

namespace game {

namespace {

// Balls whose Tops come this close stand at one height, so they reach the
// top edge together.
constexpr float kAlignDistance = 90;
const std::string kBreak = "\r\n\r\n";

}  // namespace

void FrmTumbrix::CheckGameOver() {
    if (twoPlayerGame && shpDot1.top != shpDot2.top &&
        std::fabs(static_cast<float>(shpDot1.top - shpDot2.top)) <= kAlignDistance) {
        shpDot2.top = shpDot1.top;
    }
    if (!twoPlayerGame) {
        if (shpDot1.top < 0) {
            endOnePlayerGame();
        }
        return;
    }

    if (shpDot1.top < 0) {
        PutBall1OnLine();
        player1Crushed = true;
        player1Alive = false;
    }
    if (shpDot2.top < 0) {
        PutBall2OnLine();
        player2Alive = false;
        player2Crushed = true;
    }

    if (player2Crushed && !player1Crushed && !onePlayerOut && !tieGame && !player1Out) {
        putPlayerOut(2);
    } else if (player1Crushed && !player2Crushed && !onePlayerOut && !tieGame && !player2Out) {
        putPlayerOut(1);
    } else if (player1Crushed && player2Crushed && player1Out && onePlayerOut && !tieGame) {
        endTwoPlayerGame(2);
    } else if (player1Crushed && player2Crushed && player2Out && onePlayerOut && !tieGame) {
        endTwoPlayerGame(1);
    } else if (player1Crushed && player2Crushed && !onePlayerOut) {
        gameOverPause = true;
        Pause();
        player1Alive = false;
        player2Alive = false;
        tieGame = true;
        runtime_.messageBox("Tie Game." + kBreak + player1Name +
                                "'s Final Score:  " + platform::decimalText(score1) + kBreak +
                                player2Name + "'s Final Score:  " + platform::decimalText(score2),
                            "Game Over for Both Players");
        showNewGameButtons();
        Form_Load();
    }
}

void FrmTumbrix::endOnePlayerGame() {
    gameOverPause = true;
    Pause();
    player1Alive = false;
    player2Alive = false;
    // The sound plays while the result is on show.
    if (score1 > personalBest) {
        personalBest = score1;
        if (mnuSound.checked) {
            restartWave(*TegoWav3);
        }
    } else if (mnuSound.checked) {
        restartWave(*TegoWav4);
    }
    runtime_.messageBox(player1Name + "'s Final Score:  " + platform::decimalText(score1),
                        "Game Over");
    frmHighScores().CalculateHighScores();
    frmHighScores().UpdateHighScores();
    Form_Load();
    runtime_.showModal(frmHighScores());
    cmdNewGame1.visible = true;
    cmdNewGame2.visible = true;
}

void FrmTumbrix::putPlayerOut(int loser) {
    const bool player1Lost = loser == 1;
    const std::string& loserName = player1Lost ? player1Name : player2Name;
    const std::string& winnerName = player1Lost ? player2Name : player1Name;
    const std::int16_t loserScore = player1Lost ? score1 : score2;

    gameOverPause = true;
    Pause();
    runtime_.messageBox(loserName + ", you lost." + kBreak + loserName +
                            "'s Final Score:  " + platform::decimalText(loserScore) + kBreak +
                            winnerName + ", your game will continue.",
                        "Game Over for " + loserName);
    // The survivor plays on alone; the out player's ball disappears.
    player1Crushed = player1Lost;
    player2Crushed = !player1Lost;
    player1Alive = !player1Lost;
    player2Alive = player1Lost;
    onePlayerOut = true;
    if (player1Lost) {
        tmrMoveLeft1.setEnabled(false);
        tmrMoveRight1.setEnabled(false);
    } else {
        tmrMoveLeft2.setEnabled(false);
        tmrMoveRight2.setEnabled(false);
    }
    player1Out = player1Lost;
    player2Out = !player1Lost;
    (player1Lost ? shpDot1 : shpDot2).visible = false;
    Unpause();
    gameOverPause = false;
}

void FrmTumbrix::endTwoPlayerGame(int lastLoser) {
    const bool player1Last = lastLoser == 1;
    gameOverPause = true;
    Pause();
    (player1Last ? player1Alive : player2Alive) = false;
    const std::string& name = player1Last ? player1Name : player2Name;
    runtime_.messageBox(
        name + "'s Final Score:  " + platform::decimalText(player1Last ? score1 : score2),
        "Game Over for " + name);
    showNewGameButtons();
    Form_Load();
}

void FrmTumbrix::showNewGameButtons() {
    cmdNewGame1.visible = true;
    cmdNewGame2.visible = true;
    runtime_.setFocus(cmdNewGame2);
}

void FrmTumbrix::mnuShowHighScoreList_Click() {
    if (!gamePaused) {
        Pause();
    }
    frmHighScores().UpdateHighScores();
    runtime_.showModal(frmHighScores());
}

}  // namespace game
