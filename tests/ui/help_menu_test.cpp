#include <gtest/gtest.h>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

class HelpMenuTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        // The player closes the instructions with their Close button.
        runtime.onShowModal = [this](platform::Form& form) {
            ASSERT_EQ(&form, &frm->frmInstructions());
            pausedWhileShown.push_back(frm->gamePaused);
            frm->frmInstructions().Command1.onClick();
        };
        runtime.onMessageBox = [this](const auto&) { pausedWhileShown.push_back(frm->gamePaused); };
    }
    void openBoth() {
        frm->mnuInstructions.onClick();
        frm->mnuAbout.onClick();
    }

    std::vector<bool> pausedWhileShown;
};

TEST_F(HelpMenuTest, InstructionsAndAboutPauseARunningGameAndLeaveItPaused) {
    frm->mnuNewGame1.onClick();
    keyDown(platform::keys::kLeft);
    runtime.log.clear();
    frm->mnuInstructions.onClick();
    EXPECT_TRUE(frm->gamePaused && frm->lblPause.visible);
    EXPECT_EQ(runtime.log, (Strings{"MainMusic.wav StopWave", "loadForm  Tumbrix Instructions",
                                    "showModal  Tumbrix Instructions"}));
    EXPECT_FALSE(frm->frmInstructions().visible);

    // Already paused: no second pause, so the remembered roll survives.
    runtime.log.clear();
    frm->mnuAbout.onClick();
    EXPECT_EQ(runtime.log, Strings{"messageBox  About Tumbrix"});
    EXPECT_EQ(pausedWhileShown, (std::vector<bool>{true, true}));
    keyDown(platform::keys::kEscape);
    EXPECT_TRUE(frm->tmrMoveLeft1.enabled());

    // About first this time, from a running game.
    runtime.log.clear();
    frm->mnuAbout.onClick();
    EXPECT_EQ(runtime.log, (Strings{"MainMusic.wav StopWave", "messageBox  About Tumbrix"}));
    EXPECT_TRUE(frm->gamePaused);
}

TEST_F(HelpMenuTest, WithNoGameNothingIsPaused) {
    runtime.log.clear();
    openBoth();
    EXPECT_EQ(runtime.log,
              (Strings{"loadForm  Tumbrix Instructions", "showModal  Tumbrix Instructions",
                       "messageBox  About Tumbrix"}));
    EXPECT_FALSE(frm->gamePaused || frm->lblPause.visible || frm->gameInProgress);
}

TEST_F(HelpMenuTest, AboutHasFourLinesAndNamesNoPerson) {
    frm->mnuAbout.onClick();
    ASSERT_EQ(runtime.messages.size(), 1u);
    const std::string& text = runtime.messages[0].prompt;
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 4u);
    for (const std::string& line : lines) {
        EXPECT_FALSE(line.empty() || line.find_first_of("\r\n") != std::string::npos) << line;
    }
    EXPECT_NE(lines[0].find("the Tumbrix developers"), std::string::npos);
    EXPECT_NE(lines[2].find("the Tumbrix developers"), std::string::npos);
}

TEST_F(HelpMenuTest, TheInstructionCaptionsAreSetOnceAndStayOverEveryShowing) {
    ui::FrmInstructions& window = frm->frmInstructions();
    const auto captions = [&window] {
        return Strings{window.Label2.caption, window.Label3.caption, window.Label13.caption,
                       window.Label14.caption, window.Label15.caption};
    };
    EXPECT_EQ(captions(),
              (Strings{"Snail Bonus: Slows down the\r\nbars for 10 seconds, giving\r\nyou a chance "
                       "to relax and\r\ngather your wits.",
                       "Ghost Bonus: Allows the ball\r\nto pass harmlessly through\r\nthe bars for "
                       "10 seconds,\r\nslightly extending your\r\ninevitable demise.",
                       "W\r\nASD", "Arrow\r\nKeys", "ESC\r\nto\r\nPause"}));
    // Nothing sets them again: a changed caption survives showing and hiding.
    window.Label15.caption = "changed";
    openBoth();
    openBoth();
    EXPECT_EQ(window.Label15.caption, "changed");
    EXPECT_EQ(runtime.logEntries("loadForm  Tumbrix Instructions").size(), 1u);
}

}  // namespace
