#pragma once

#include <filesystem>
#include <optional>

#include "platform/locked_file.h"
#include "platform/runtime.h"
#include "scores/main_window_link.h"
#include "scores/score_file.h"
#include "ui/high_scores_design.h"

namespace scores {

// The high-score window. The table lives in the captions of its two label
// arrays and is re-read from the file before every use, so the file is the
// master copy. The window is created on first use and kept for the whole
// run; showing it modally ends when it hides itself.
class FrmHighScores : public ui::HighScoresDesign {
public:
    FrmHighScores(platform::Runtime& runtime, MainWindowLink& mainWindow);

    // The file an installer puts beside the program: its table is kept in
    // the user's data folder, never beside the program.
    static constexpr const char* kInstalledMarker = "tumbrix.installed";

    void load() override { Form_Load(); }

    void Form_Load();
    void cmdContinue_Click();

    // Table <-> file, each under the file's lock, or through the one that
    // CalculateHighScores holds. Both absorb every file error: a read that
    // fails leaves the table as it was, a save that fails says why in one
    // line on standard error.
    void ReadScores();
    void WriteScores();
    // Ranks the main window's score1 into the table, one entry per name.
    // The file is read, ranked into and saved under one exclusive lock, so a
    // score that another copy of the game saves meanwhile is kept.
    void CalculateHighScores();
    // Publishes topScore and personalBest to the main window.
    void UpdateHighScores();

private:
    Table tableFromLabels() const;
    void tableToLabels(const Table& table);
    // Where the table is kept; nothing when there is no place for it and
    // the table lives in the labels for this run only.
    std::optional<std::filesystem::path> chooseScoreFile();
    // Makes the table when it is missing, as the game's own file.
    void makeTableIfMissing();
    std::optional<platform::files::LockedFile> openTable(platform::files::LockKind kind,
                                                         std::string& error);
    void readFrom(const platform::files::LockedFile& file);
    // The table locked for a save, or why it could not be.
    struct Save {
        std::optional<platform::files::LockedFile> file;
        std::string error;
    };
    Save lockForSaving();

    platform::Runtime& runtime_;
    MainWindowLink& mainWindow_;
    std::optional<std::filesystem::path> scoreFile_;
    // The table is kept in the user's data folder, which the game made.
    bool inDataFolder_ = false;
    // The table is the machine's shared one, which the game never makes.
    bool sharedTable_ = false;
    // The table's lock that CalculateHighScores holds while it runs.
    std::optional<Save> saving_;
};

}  // namespace scores
