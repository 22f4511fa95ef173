#include "game/frm_tumbrix.h"

namespace game {

FrmTumbrix::FrmTumbrix(platform::Runtime& runtime)
    : TegoWav1(runtime.createWavePlayer()),
      TegoWav3(runtime.createWavePlayer()),
      TegoWav4(runtime.createWavePlayer()),
      TegoWav5(runtime.createWavePlayer()),
      TegoWav6(runtime.createWavePlayer()),
      runtime_(runtime) {
    cmdNewGame1.onClick = [this] { cmdNewGame1_Click(); };
    cmdNewGame2.onClick = [this] { cmdNewGame2_Click(); };
    mnuNewGame1.onClick = [this] { mnuNewGame1_Click(); };
    mnuNewGame2.onClick = [this] { mnuNewGame2_Click(); };
    mnuExit.onClick = [this] { mnuExit_Click(); };
    mnuMusicOnOff.onClick = [this] { mnuMusicOnOff_Click(); };
    mnuSound.onClick = [this] { mnuSound_Click(); };
    mnuShowHighScoreList.onClick = [this] { mnuShowHighScoreList_Click(); };
    TegoWav1->onWaveNotify = [this](std::int32_t code) { TegoWav1_WaveNotify(code); };
    tmrTumbrix.onTimer = [this] { tmrTumbrix_Timer(); };
    tmrScoreLevel.onTimer = [this] { tmrScoreLevel_Timer(); };
    tmrMoveLeft1.onTimer = [this] { tmrMoveLeft1_Timer(); };
    tmrMoveRight1.onTimer = [this] { tmrMoveRight1_Timer(); };
    tmrMoveLeft2.onTimer = [this] { tmrMoveLeft2_Timer(); };
    tmrMoveRight2.onTimer = [this] { tmrMoveRight2_Timer(); };
    tmrBonusTime.onTimer = [this] { tmrBonusTime_Timer(); };
    mnuFocus.onClick = [this] { mnuFocus_Click(); };
    mnuShape.onClick = [this] { mnuShape_Click(); };
    mnuTrippy.onClick = [this] { mnuTrippy_Click(); };
    tmrTrippyMode.onTimer = [this] { tmrTrippyMode_Timer(); };
    mnuInstructions.onClick = [this] { mnuInstructions_Click(); };
    mnuAbout.onClick = [this] { mnuAbout_Click(); };
}

FrmTumbrix::~FrmTumbrix() = default;

void FrmTumbrix::restartWave(platform::WavePlayer& player) {
    player.SeekWave(0);
    player.PlayWave(-1, -1, false);
}

scores::FrmHighScores& FrmTumbrix::frmHighScores() {
    return loadedOnFirstUse(frmHighScores_, runtime_, *this);
}

}  // namespace game
