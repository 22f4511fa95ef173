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
            pausedWhileShown.push_back(frm->gamePaused);
            static_cast<ui::FrmInstructions&>(form).Command1.onClick();
        };
        runtime.onMessageBox = [this](const auto&) { pausedWhileShown.push_back(frm->gamePaused); };
    }
    void openBoth() {
        frm->mnuInstructions.onClick();
        frm->mnuAbout.onClick();
    }

    std::vector<bool> pausedWhileShown;
};

TEST_F(HelpMenuTest, InstructionsAndAboutPauseOnlyARunningGameAndLeaveItPaused) {
    openBoth();  // no game: nothing to pause
    EXPECT_FALSE(frm->gamePaused || frm->lblPause.visible);
    frm->mnuNewGame1.onClick();
    keyDown(platform::keys::kLeft);
    runtime.log.clear();
    openBoth();
    EXPECT_EQ(runtime.log, (Strings{"MainMusic.wav StopWave", "showModal  Tumbrix Instructions",
                                    "messageBox  About Tumbrix"}));
    EXPECT_EQ(pausedWhileShown, (std::vector<bool>{false, false, true, true}));
    EXPECT_TRUE(frm->gamePaused && frm->lblPause.visible && !frm->frmInstructions().visible);
    // No second pause: the roll remembered by the first comes back.
    keyDown(platform::keys::kEscape);
    EXPECT_TRUE(frm->tmrMoveLeft1.enabled());

    frm->mnuAbout.onClick();
    EXPECT_TRUE(frm->gamePaused);
    const std::string about = runtime.messages.back().prompt;
    EXPECT_EQ(std::count(about.begin(), about.end(), '\n'), 3);
    EXPECT_EQ(std::count(about.begin(), about.end(), '\r'), 3);
    EXPECT_EQ(about.find("\r\n\r\n"), std::string::npos);
    EXPECT_NE(about.find("the Tumbrix developers"), std::string::npos);
}

TEST_F(HelpMenuTest, InstructionCaptionsAreSetOnceAndStayOverEveryShowing) {
    ui::FrmInstructions& window = frm->frmInstructions();
    EXPECT_EQ(std::tuple(window.Label13.caption, window.Label15.caption),
              std::tuple("W\r\nASD", "ESC\r\nto\r\nPause"));
    window.Label15.caption = "changed";
    openBoth();
    openBoth();
    EXPECT_EQ(window.Label15.caption, "changed");
    EXPECT_EQ(runtime.logEntries("loadForm  Tumbrix Instructions").size(), 1u);
}

}  // namespace
