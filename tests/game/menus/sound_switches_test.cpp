#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class SoundSwitchesTest : public GameFixture {
protected:
    platform::headless::RecordingWavePlayer& music() { return runtime.wavePlayer("MainMusic.wav"); }
    Strings musicCalls() const { return runtime.logEntries("MainMusic.wav"); }
};

TEST_F(SoundSwitchesTest, MusicOffAndOnGoesOnWhereItStoppedOnlyInARunningGame) {
    // Back on, the tune goes on without a seek; paused, it waits for the resume.
    frm->mnuNewGame1.onClick();
    for (bool paused : {false, true}) {
        if (paused) {
            frm->Pause();
        }
        runtime.log.clear();
        frm->mnuMusicOnOff.onClick();
        EXPECT_FALSE(frm->mnuMusicOnOff.checked);
        frm->mnuMusicOnOff.onClick();
        EXPECT_EQ(
            std::tuple(frm->mnuMusicOnOff.checked, musicCalls()),
            std::tuple(true, paused ? Strings{"MainMusic.wav StopWave"}
                                    : Strings{"MainMusic.wav StopWave", "MainMusic.wav WaveMode",
                                              "MainMusic.wav PlayWave"}));
    }
    frm->Unpause();
    EXPECT_EQ(music().WaveMode(), platform::WavePlayer::kModePlaying);
    // Already playing (the switch was set back by hand): not played twice.
    frm->mnuMusicOnOff.checked = false;
    runtime.log.clear();
    frm->mnuMusicOnOff.onClick();
    EXPECT_EQ(musicCalls(), Strings{"MainMusic.wav WaveMode"});
}

TEST_F(SoundSwitchesTest, EffectsOffCutsEveryEffectInOrderAndOnCutsNothing) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->mnuSound.onClick();
    EXPECT_EQ(std::tuple(frm->mnuSound.checked, runtime.log),
              std::tuple(false, Strings{"HighScore.wav StopWave", "GameOver.wav StopWave",
                                        "BonusCollected.wav StopWave", "BallBounce.wav StopWave"}));
    runtime.log.clear();
    frm->mnuSound.onClick();
    EXPECT_EQ(std::tuple(frm->mnuSound.checked, runtime.log), std::tuple(true, Strings{}));
}

TEST_F(SoundSwitchesTest, TheTuneLoopsOnlyInARunningGameWithTheMusicOn) {
    const Strings restart = {"MainMusic.wav WaveMode", "MainMusic.wav WaveMode",
                             "MainMusic.wav SeekWave 0", "MainMusic.wav PlayWave"};
    const Strings ignored(2, "MainMusic.wav WaveMode");
    auto endOfTune = [&] {
        runtime.log.clear();
        music().finishPlayback();
        return musicCalls();
    };
    frm->mnuNewGame1.onClick();
    EXPECT_EQ(endOfTune(), restart);
    // Playing again restarts all the same; neither playing nor stopped does not.
    music().forceMode(platform::WavePlayer::kModePlaying);
    EXPECT_EQ(endOfTune(), restart);
    music().forceMode(524);
    EXPECT_EQ(endOfTune(), ignored);
    music().forceMode(0);

    frm->Pause();
    EXPECT_EQ(endOfTune(), ignored);
    frm->Unpause();
    frm->mnuMusicOnOff.onClick();
    EXPECT_EQ(endOfTune(), ignored);
    frm->mnuMusicOnOff.onClick();
    // A new game rewinding the tune ignores its end.
    Strings duringRestart;
    runtime.onDoEvents = [&] { duringRestart = endOfTune(); };
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(std::tuple(duringRestart, endOfTune()), std::tuple(ignored, restart));
}

}  // namespace
