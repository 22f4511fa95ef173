#pragma once

#include "platform/form.h"
#include "platform/runtime.h"
#include "scores/main_window_link.h"

namespace scores {

// The high-score window. It is created on first use and kept for the whole
// run; showing it modally ends when it hides itself.
class FrmHighScores : public platform::Form {
public:
    FrmHighScores(platform::Runtime& runtime, MainWindowLink& mainWindow);

    void load() override { Form_Load(); }

    void Form_Load();
    // Ranks the main window's score1 into the table.
    void CalculateHighScores();
    // Publishes topScore and personalBest to the main window.
    void UpdateHighScores();

private:
    platform::Runtime& runtime_;
    MainWindowLink& mainWindow_;
};

}  // namespace scores
