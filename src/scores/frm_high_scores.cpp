#include "scores/frm_high_scores.h"

#include <iostream>

#include "platform/files.h"
#include "scores/score_file_location.h"
#include "scores/score_ranking.h"

namespace scores {

FrmHighScores::FrmHighScores(platform::Runtime& runtime, MainWindowLink& mainWindow)
    : runtime_(runtime), mainWindow_(mainWindow) {
    cmdContinue.onClick = [this] { cmdContinue_Click(); };
}

void FrmHighScores::Form_Load() {
    scoreFile_ = chooseScoreFile();
    CalculateHighScores();
}

void FrmHighScores::cmdContinue_Click() {
    visible = false;
}

std::optional<std::filesystem::path> FrmHighScores::chooseScoreFile() {
    const std::string folder = runtime_.appPath();
    // An installed game's folder is marked so: its table goes to the user's
    // data folder even where the folder could be written (by root, or in a
    // prefix of the user's own).
    std::error_code unknown;
    const bool installed =
        std::filesystem::exists(std::filesystem::path(folder) / kInstalledMarker, unknown);
    const bool writable = !installed && platform::files::isWritableFolder(folder);
    std::string dataHome;
    std::string home;
    std::optional<std::filesystem::path> shared;
    if (!writable) {
        shared = usableSharedTable(runtime_.sharedScoresFolder());
        dataHome = runtime_.environment("XDG_DATA_HOME");
        home = userHome(runtime_.environment("HOME"), [this] {
                   return runtime_.homeFromPasswordDatabase();
               }).string();
    }
    std::optional<ScoreFileLocation> location =
        locateScoreFile(folder, writable, dataHome, home, shared);
    if (!location) {
        std::cerr << "tumbrix: no home folder for the high-score table; it is kept for this run "
                     "only\n";
        return std::nullopt;
    }
    prepareScoreFile(*location);
    inDataFolder_ = location->seedFrom.has_value();
    sharedTable_ = location->shared;
    return location->file;
}

Table FrmHighScores::tableFromLabels() const {
    Table table;
    for (std::size_t i = 0; i < kTableSize; ++i) {
        table[i] = {lblName[i + 1].caption, lblHighScore[i + 1].caption};
    }
    return table;
}

void FrmHighScores::tableToLabels(const Table& table) {
    for (std::size_t i = 0; i < kTableSize; ++i) {
        lblName[i + 1].caption = table[i].name;
        lblHighScore[i + 1].caption = table[i].score;
    }
}

void FrmHighScores::makeTableIfMissing() {
    if (sharedTable_) {
        return;  // the administrator's file
    }
    if (inDataFolder_) {
        // The user's data folder is the game's own: made again if it has
        // gone since start-up, so the score is not lost with it.
        std::error_code ignored;
        std::filesystem::create_directories(scoreFile_->parent_path(), ignored);
    }
    platform::files::createIfMissing(*scoreFile_);
}

std::optional<platform::files::LockedFile> FrmHighScores::openTable(platform::files::LockKind kind,
                                                                    std::string& error) {
    return platform::files::LockedFile::open(*scoreFile_, kind, runtime_.lockWait(), error);
}

FrmHighScores::Save FrmHighScores::lockForSaving() {
    makeTableIfMissing();
    Save save;
    save.file = openTable(platform::files::LockKind::Exclusive, save.error);
    return save;
}

void FrmHighScores::readFrom(const platform::files::LockedFile& file) {
    std::optional<std::string> content = file.read(kMaxFileBytes);
    if (!content) {
        return;
    }
    Table table = tableFromLabels();
    readEntries(*content, table);
    tableToLabels(table);
}

void FrmHighScores::ReadScores() {
    if (!scoreFile_) {
        return;  // the table is kept for this run only, in the labels
    }
    if (saving_) {
        if (saving_->file) {
            readFrom(*saving_->file);
        }
        return;
    }
    // A missing file is created empty; a file we may not write is still read.
    makeTableIfMissing();
    std::string ignored;
    if (std::optional<platform::files::LockedFile> file =
            openTable(platform::files::LockKind::Shared, ignored)) {
        readFrom(*file);
    }
}

void FrmHighScores::WriteScores() {
    if (!scoreFile_) {
        return;  // kept for this run only, as start-up said
    }
    std::optional<Save> own;
    Save& save = saving_ ? *saving_ : own.emplace(lockForSaving());
    std::string error = save.error;
    if (save.file && save.file->save(formatEntries(tableFromLabels()), error)) {
        return;
    }
    std::cerr << "tumbrix: cannot save the high-score table to " << scoreFile_->string() << ": "
              << error << '\n';
}

void FrmHighScores::CalculateHighScores() {
    const std::int16_t score = mainWindow_.getScore1();
    const std::string userName = mainWindow_.getUserName();
    if (scoreFile_) {
        saving_ = lockForSaving();
    }
    ReadScores();
    Table table = tableFromLabels();
    const bool entered = rankScore(table, userName, score);
    if (entered) {
        tableToLabels(table);
        WriteScores();
    }
    // Let go before the message box, which waits for the player.
    saving_.reset();
    if (entered && mainWindow_.getGameInProgress()) {
        runtime_.messageBox("You have a new high score!!!", "New High Score");
    }
}

void FrmHighScores::UpdateHighScores() {
    const std::string userName = mainWindow_.getUserName();
    ReadScores();
    const PublishedScores published = publishedScores(tableFromLabels(), userName);
    mainWindow_.setTopScore(published.topScore);
    mainWindow_.setPersonalBest(published.personalBest);
}

}  // namespace scores
