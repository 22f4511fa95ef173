#include "game/frm_tumbrix.h"

// The main window's Help menu. Both commands pause a running game first and
// leave it paused: the player resumes with ESC or ENTER.
namespace game {

ui::FrmInstructions& FrmTumbrix::frmInstructions() {
    return loadedOnFirstUse(frmInstructions_);
}

void FrmTumbrix::mnuInstructions_Click() {
    if (!gamePaused) {
        Pause();
    }
    runtime_.showModal(frmInstructions());
}

void FrmTumbrix::mnuAbout_Click() {
    if (!gamePaused) {
        Pause();
    }
    runtime_.messageBox(
        "Tumbrix was written by the Tumbrix developers,\r\nfirst released in 2026.\r\n"
        "Upgraded to Qt 6 for the Linux desktop by the Tumbrix developers\r\nin December 2026.",
        " About Tumbrix");
}

}  // namespace game
