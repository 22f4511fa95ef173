#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/runtime.h"
#include "platform/wave_player.h"
#include "scores/frm_high_scores.h"
#include "scores/main_window_link.h"
#include "ui/frm_instructions.h"
#include "ui/fullscreen_design.h"
#include "ui/main_window_design.h"

namespace game {

// The main window: the whole game. Its controls (from the design) are the
// game objects; its members below are the complete game state. Handlers are
// defined in one file per concern: start-up and reset, new game and exit,
// bars, balls, bonuses, steering, pause, clock, game over; the menus of
// sound, display and help live beside the other windows in ui/.
class FrmTumbrix : public ui::MainWindowDesign, public scores::MainWindowLink {
public:
    explicit FrmTumbrix(platform::Runtime& runtime);
    ~FrmTumbrix() override;

    // Public values, reached by the high-score window.
    std::int16_t getScore1() const override { return score1; }
    void setScore1(std::int16_t value) override { score1 = value; }
    std::int16_t getPersonalBest() const override { return personalBest; }
    void setPersonalBest(std::int16_t value) override { personalBest = value; }
    std::int16_t getTopScore() const override { return topScore; }
    void setTopScore(std::int16_t value) override { topScore = value; }
    std::string getUserName() const override { return userName; }
    void setUserName(const std::string& value) override { userName = value; }
    bool getGameInProgress() const override { return gameInProgress; }
    void setGameInProgress(bool value) override { gameInProgress = value; }

    // Host events.
    void load() override { Form_Load(); }
    void closedByUser() override { Form_Unload(); }
    void keyDown(std::int16_t keyCode, std::int16_t shift) override {
        Form_KeyDown(keyCode, shift);
    }
    void keyUp(std::int16_t keyCode, std::int16_t shift) override { Form_KeyUp(keyCode, shift); }
    // A player stepping away pauses a running game (pause.cpp).
    void playerSteppedAway() override;

    // Start-up and reset (startup.cpp).
    void Form_Load();
    void ReadUserName();
    void PlaceBonuses();

    // New games and leaving (new_game.cpp).
    void mnuNewGame1_Click();
    void mnuNewGame2_Click();
    void cmdNewGame1_Click();
    void cmdNewGame2_Click();
    void mnuExit_Click();
    void Form_Unload();

    // The game tick and bar motion (bars.cpp).
    void tmrTumbrix_Timer();

    // Fall and landing (balls.cpp).
    void PlayBounceSound();

    // Bonus items and their notices (bonuses.cpp).
    void tmrBonusTime_Timer();

    // Keyboard and the steering timers (steering.cpp).
    void Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
    void Form_KeyUp(std::int16_t KeyCode, std::int16_t Shift);
    void tmrMoveLeft1_Timer();
    void tmrMoveRight1_Timer();
    void tmrMoveLeft2_Timer();
    void tmrMoveRight2_Timer();

    // The one-second clock (clock.cpp).
    void tmrScoreLevel_Timer();

    // Results (game_over.cpp).
    void CheckGameOver();
    void mnuShowHighScoreList_Click();

    // Sound switches and the music loop (ui/sound_switches.cpp).
    void mnuMusicOnOff_Click();
    void mnuSound_Click();
    void TegoWav1_WaveNotify(std::int32_t notifyCode);

    // Ball placement, pause and resume (pause.cpp).
    void PutBall1OnLine();
    void PutBall2OnLine();
    void Pause();
    void Unpause();

    // Focus mode, ball shape and trippy colours (ui/display_options.cpp).
    void mnuFocus_Click();
    void mnuShape_Click();
    void mnuTrippy_Click();
    void tmrTrippyMode_Timer();

    // Instructions and About (ui/help_menu.cpp).
    void mnuInstructions_Click();
    void mnuAbout_Click();

    // The high-score window, created on first use and kept.
    scores::FrmHighScores& frmHighScores();
    // The focus-mode cover and the instructions window, likewise.
    ui::FullscreenDesign& frmFullscreen();
    ui::FrmInstructions& frmInstructions();

    // Wave players: music, new personal best, game over, bonus, bounce.
    std::unique_ptr<platform::WavePlayer> TegoWav1;
    std::unique_ptr<platform::WavePlayer> TegoWav3;
    std::unique_ptr<platform::WavePlayer> TegoWav4;
    std::unique_ptr<platform::WavePlayer> TegoWav5;
    std::unique_ptr<platform::WavePlayer> TegoWav6;

    // Game state. Flags are bool; counters keep the game's 16-bit and
    // 32-bit widths.
    std::int16_t score1 = 0;
    std::int16_t personalBest = 0;
    std::int16_t topScore = 0;
    std::string userName;
    bool gameInProgress = false;
    std::int32_t elapsedSeconds = 0;
    bool player1Out = false;
    bool player2Out = false;
    bool tieGame = false;
    std::int16_t savedSteer1 = 0;
    std::int16_t savedSteer2 = 0;
    std::int16_t bonusSide = 0;
    std::string player1Name;
    std::string player2Name;
    std::int16_t snailLeft = 0;
    std::int16_t ghostLeft = 0;
    std::int16_t score2 = 0;
    std::int16_t leftStep2 = 0;
    std::int16_t rightStep2 = 0;
    bool player1Crushed = false;
    bool gamePaused = false;
    bool onePlayerOut = false;
    bool player1Alive = false;
    bool player2Alive = false;
    bool player2Crushed = false;
    bool twoPlayerGame = false;
    std::int16_t barSpeed = 0;
    std::int16_t leftStep1 = 0;
    std::int16_t rightStep1 = 0;
    bool gameOverPause = false;
    std::int16_t baseSpeed = 0;
    std::int32_t snailEndTime = 0;
    std::int32_t ghostEndTime = 0;
    bool snailShown = false;
    bool ghostShown = false;
    bool ball1Airborne = false;
    bool ball2Airborne = false;
    std::int16_t ball1LastHalf = 0;
    std::int16_t ball2LastHalf = 0;
    bool restartingSounds = false;
    bool escReleased = false;
    bool firstLoadDone = false;

private:
    // Plays a sound again from its start.
    static void restartWave(platform::WavePlayer& player);
    void startNewGame(bool twoPlayers);
    void moveBars();
    void dropBall(platform::Shape& ball, bool& airborne, std::int16_t& lastHalf, int player);
    void rollLeft(platform::Shape& ball, std::int16_t step);
    void rollRight(platform::Shape& ball, std::int16_t step);
    void showDueBonusItem();
    void expireBonuses();
    void showBonusCountdown();
    void rideAndCollectBonuses();
    // The controls and state of one bonus kind, so both share one code path.
    struct Bonus {
        platform::Frame& item;
        bool& shown;
        std::int32_t& endTime;
        platform::Label& title;
        platform::Label& timeLeft;
        const char* pickupNotice;
        platform::Color pickupColor;
        const char* overNotice;
    };
    Bonus snailBonus();
    Bonus ghostBonus();
    void collect(Bonus bonus);
    void showBonusNotice(const std::string& text, platform::Color color);
    void endOnePlayerGame();
    void putPlayerOut(int loser);
    void endTwoPlayerGame(int lastLoser);
    void showNewGameButtons();
    void ToggleFocusMode();

    // Creates and loads a window on first use; it is kept from then on.
    template <typename Window, typename... Args>
    Window& loadedOnFirstUse(std::unique_ptr<Window>& window, Args&... args) {
        if (!window) {
            window = std::make_unique<Window>(args...);
            runtime_.loadForm(*window);
        }
        return *window;
    }

    platform::Runtime& runtime_;
    // Counts new games begun, so that one begun while another processes its
    // pending events is seen to have replaced it.
    std::uint32_t newGameStarts_ = 0;
    std::unique_ptr<scores::FrmHighScores> frmHighScores_;
    std::unique_ptr<ui::FullscreenDesign> frmFullscreen_;
    std::unique_ptr<ui::FrmInstructions> frmInstructions_;
};

}  // namespace game
