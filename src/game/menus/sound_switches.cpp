#include "game/frm_tumbrix.h"

// The two sound switches of the Sound menu and the music loop. The switches
// are the menu items' check marks; nothing else holds them.
namespace game {

void FrmTumbrix::mnuMusicOnOff_Click() {
    // Switched on during a running game: the tune goes on where it stopped.
    // Paused or between games it waits for the next resume or new game.
    if (tmrTumbrix.enabled() && !mnuMusicOnOff.checked &&
        TegoWav1->WaveMode() != platform::WavePlayer::kModePlaying) {
        TegoWav1->PlayWave(-1, -1, false);
    }
    if (mnuMusicOnOff.checked) {
        TegoWav1->StopWave();
    }
    mnuMusicOnOff.checked = !mnuMusicOnOff.checked;
}

void FrmTumbrix::mnuSound_Click() {
    if (mnuSound.checked) {
        // Cut off whatever effect is sounding.
        for (auto* player : {&TegoWav3, &TegoWav4, &TegoWav5, &TegoWav6}) {
            (*player)->StopWave();
        }
    }
    mnuSound.checked = !mnuSound.checked;
}

void FrmTumbrix::TegoWav1_WaveNotify(std::int32_t /*notifyCode*/) {
    // The tune ran to its end: play it again from the top, unless a new game
    // is rewinding it, the game is paused or the music is off. The mode is
    // read afresh for each comparison.
    const bool stopped = TegoWav1->WaveMode() == platform::WavePlayer::kModeStopped;
    const bool playing = TegoWav1->WaveMode() == platform::WavePlayer::kModePlaying;
    if ((stopped || playing) && !restartingSounds && !gamePaused && mnuMusicOnOff.checked) {
        restartWave(*TegoWav1);
    }
}

}  // namespace game
