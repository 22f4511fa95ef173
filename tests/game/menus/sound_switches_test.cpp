#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class SoundSwitchesTest : public GameFixture {
protected:
    platform::headless::RecordingWavePlayer& music() { return runtime.wavePlayer("MainMusic.wav"); }
    Strings musicCalls() const { return runtime.logEntries("MainMusic.wav"); }
};

TEST_F(SoundSwitchesTest, MusicOffAndOnInAGameGoesOnWhereItStopped) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->mnuMusicOnOff.onClick();
    EXPECT_FALSE(frm->mnuMusicOnOff.checked);
    frm->mnuMusicOnOff.onClick();
    EXPECT_TRUE(frm->mnuMusicOnOff.checked);
    // Resumed, not rewound: no seek between the stop and the play.
    EXPECT_EQ(musicCalls(), (Strings{"MainMusic.wav StopWave", "MainMusic.wav WaveMode",
                                     "MainMusic.wav PlayWave"}));

    // Already playing (the switch was set back by hand): not played twice.
    frm->mnuMusicOnOff.checked = false;
    runtime.log.clear();
    frm->mnuMusicOnOff.onClick();
    EXPECT_EQ(musicCalls(), Strings{"MainMusic.wav WaveMode"});
}

TEST_F(SoundSwitchesTest, MusicOnWhilePausedOrBetweenGamesWaitsForTheGame) {
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "idle");
        if (paused) {
            frm->mnuNewGame2.onClick();
            frm->Pause();
        }
        frm->mnuMusicOnOff.onClick();
        runtime.log.clear();
        frm->mnuMusicOnOff.onClick();
        EXPECT_TRUE(frm->mnuMusicOnOff.checked);
        EXPECT_EQ(musicCalls(), Strings{});
    }
    frm->Unpause();
    EXPECT_EQ(music().WaveMode(), platform::WavePlayer::kModePlaying);
}

TEST_F(SoundSwitchesTest, EffectsOffCutsEveryEffectInOrderAndOnCutsNothing) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->mnuSound.onClick();
    EXPECT_FALSE(frm->mnuSound.checked);
    EXPECT_EQ(runtime.log, (Strings{"HighScore.wav StopWave", "GameOver.wav StopWave",
                                    "BonusCollected.wav StopWave", "BallBounce.wav StopWave"}));
    runtime.log.clear();
    frm->mnuSound.onClick();
    EXPECT_TRUE(frm->mnuSound.checked);
    EXPECT_EQ(runtime.log, Strings{});
}

TEST_F(SoundSwitchesTest, TheTuneLoopsOnlyInARunningGameWithTheMusicOn) {
    const Strings restart = {"MainMusic.wav WaveMode", "MainMusic.wav WaveMode",
                             "MainMusic.wav SeekWave 0", "MainMusic.wav PlayWave"};
    auto endOfTune = [&] {
        runtime.log.clear();
        music().finishPlayback();
        return musicCalls();
    };
    frm->mnuNewGame1.onClick();
    EXPECT_EQ(endOfTune(), restart);
    // A notice that finds the tune already playing again restarts it all
    // the same; one in a mode that is neither playing nor stopped does not.
    music().forceMode(platform::WavePlayer::kModePlaying);
    EXPECT_EQ(endOfTune(), restart);
    music().forceMode(524);
    EXPECT_EQ(endOfTune(), (Strings{"MainMusic.wav WaveMode", "MainMusic.wav WaveMode"}));
    music().forceMode(0);

    frm->Pause();
    EXPECT_EQ(endOfTune().size(), 2u);
    frm->Unpause();
    frm->mnuMusicOnOff.onClick();
    EXPECT_EQ(endOfTune().size(), 2u);
    frm->mnuMusicOnOff.onClick();

    // A new game rewinding the tune ignores its end.
    Strings duringRestart;
    runtime.onDoEvents = [&] { duringRestart = endOfTune(); };
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(duringRestart.size(), 2u);
    EXPECT_EQ(endOfTune(), restart);
}

}  // namespace
