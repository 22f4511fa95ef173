#include "scores/frm_high_scores.h"

namespace scores {

FrmHighScores::FrmHighScores(platform::Runtime& runtime, MainWindowLink& mainWindow)
    : Form(" Tumbrix High Scores", 6030, 8790), runtime_(runtime), mainWindow_(mainWindow) {}

void FrmHighScores::Form_Load() {
    CalculateHighScores();
}

// The table, its file and the ranking arrive with the high-score work; until
// then the main window's calls land here and change nothing.
void FrmHighScores::CalculateHighScores() {}

void FrmHighScores::UpdateHighScores() {}

}  // namespace scores
