#include "game/frm_tumbrix.h"
#include "platform/numeric.h"

namespace game {

void FrmTumbrix::mnuNewGame1_Click() {
    startNewGame(false);
}

void FrmTumbrix::mnuNewGame2_Click() {
    startNewGame(true);
}

void FrmTumbrix::cmdNewGame1_Click() {
    mnuNewGame1_Click();
}

void FrmTumbrix::cmdNewGame2_Click() {
    mnuNewGame2_Click();
}

void FrmTumbrix::startNewGame(bool twoPlayers) {
    const std::uint32_t thisStart = ++newGameStarts_;
    cmdNewGame1.visible = false;
    cmdNewGame2.visible = false;
    if (gamePaused) {
        Unpause();
    }
    lblWrapAround.visible = false;
    Form_Load();

    if (twoPlayers) {
        if (!twoPlayerGame) {
            // The last game was a 1-player game (or there was none): its
            // score enters the table now, without a message, since the
            // reset has ended the game.
            frmHighScores().CalculateHighScores();
            frmHighScores().UpdateHighScores();
        }
        player1Name = "Player 1";
        shpDot1.top = 3000;
        shpDot1.left = 5400;
        shpDot2.top = 3000;
        shpDot2.left = 6630;
    } else {
        shpDot1.top = 3000;
        shpDot1.left = 6015;
        lblScore1.visible = false;
        lblScore2.visible = false;
    }

    score1 = 0;
    score2 = 0;
    lblScore1.caption = player1Name + ": " + platform::decimalText(score1);
    lblScore2.caption = player2Name + ": " + platform::decimalText(score2);
    if (twoPlayers) {
        lblScore1.visible = true;
        lblScore2.visible = true;
    }

    // Stop the effects and rewind the music; the music's end notice must not
    // restart it meanwhile.
    restartingSounds = true;
    TegoWav3->StopWave();
    TegoWav4->StopWave();
    TegoWav5->StopWave();
    TegoWav1->SeekWave(0);
    if (mnuMusicOnOff.checked) {
        TegoWav1->PlayWave(-1, -1, false);
    }
    gameInProgress = true;
    runtime_.doEvents();
    restartingSounds = false;
    if (newGameStarts_ != thisStart) {
        // Another new game started while pending events ran (a second click,
        // a held shortcut) and has set itself up whole: it is the game now.
        return;
    }

    twoPlayerGame = twoPlayers;
    player1Alive = true;
    player2Alive = true;
    player1Crushed = false;
    player2Crushed = false;
    tieGame = false;
    player1Out = false;
    player2Out = false;
    if (twoPlayers) {
        onePlayerOut = false;
    }

    // A pause that came while pending events ran (ESC, or a menu command
    // that pauses) keeps the new game behind the pause screen: showing the
    // balls, starting the timers and hiding the pointer are then left to
    // Unpause, which finds the game's flags above already in place.
    if (gamePaused) {
        return;
    }
    shpDot1.visible = true;
    shpDot2.visible = twoPlayers;
    tmrTumbrix.setEnabled(true);
    tmrScoreLevel.setEnabled(true);
    mousePointer = platform::MousePointer::Custom;
}

void FrmTumbrix::mnuExit_Click() {
    for (auto* player : {&TegoWav1, &TegoWav3, &TegoWav4, &TegoWav5, &TegoWav6}) {
        (*player)->CloseWave();
    }
    if (!twoPlayerGame) {
        // An unfinished (or the last) 1-player game enters the table
        // without a message.
        gameInProgress = false;
        frmHighScores().CalculateHighScores();
    }
    runtime_.endProgram();
}

void FrmTumbrix::Form_Unload() {
    runtime_.endProgram();
}

}  // namespace game
