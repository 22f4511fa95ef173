#include "scores/frm_high_scores.h"

#include <algorithm>
#include <iostream>

#include "platform/files.h"
#include "platform/numeric.h"
#include "scores/score_file_location.h"

namespace scores {

namespace {

// The value a score text is ranked by.
double valueOf(const std::string& scoreText) {
    return platform::leadingNumber(scoreText);
}

// A score text as a 16-bit number for the main window. Text from an edited
// file may hold anything: it is clamped rather than overflowing.
std::int16_t publishedValue(const std::string& scoreText) {
    return platform::roundToInt16(std::clamp(valueOf(scoreText), -32768.0, 32767.0));
}

}  // namespace

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
    if (!writable) {
        dataHome = runtime_.environment("XDG_DATA_HOME");
        home = userHome(runtime_.environment("HOME"), [this] {
                   return runtime_.homeFromPasswordDatabase();
               }).string();
    }
    std::optional<ScoreFileLocation> location = locateScoreFile(folder, writable, dataHome, home);
    if (!location) {
        std::cerr << "tumbrix: no home folder for the high-score table; it is kept for this run "
                     "only\n";
        return std::nullopt;
    }
    prepareScoreFile(*location);
    return location->file;
}

std::array<ScoreEntry, kTableSize> FrmHighScores::tableFromLabels() const {
    std::array<ScoreEntry, kTableSize> table;
    for (std::size_t i = 0; i < kTableSize; ++i) {
        table[i] = {lblName[i + 1].caption, lblHighScore[i + 1].caption};
    }
    return table;
}

void FrmHighScores::tableToLabels(const std::array<ScoreEntry, kTableSize>& table) {
    for (std::size_t i = 0; i < kTableSize; ++i) {
        lblName[i + 1].caption = table[i].name;
        lblHighScore[i + 1].caption = table[i].score;
    }
}

void FrmHighScores::ReadScores() {
    if (!scoreFile_) {
        return;  // the table is kept for this run only, in the labels
    }
    // A missing file is created empty; a file we may not write is still read.
    platform::files::createIfMissing(*scoreFile_);
    std::optional<std::string> content =
        platform::files::readRegularFile(*scoreFile_, kMaxFileBytes);
    if (!content) {
        return;
    }
    std::array<ScoreEntry, kTableSize> table = tableFromLabels();
    readEntries(*content, table);
    tableToLabels(table);
}

void FrmHighScores::WriteScores() {
    if (!scoreFile_) {
        return;  // kept for this run only, as start-up said
    }
    std::string error;
    if (!platform::files::replaceAtomically(*scoreFile_, formatEntries(tableFromLabels()), error)) {
        std::cerr << "tumbrix: cannot save the high-score table to " << scoreFile_->string() << ": "
                  << error << '\n';
    }
}

void FrmHighScores::CalculateHighScores() {
    const double score = mainWindow_.getScore1();
    const std::string userName = mainWindow_.getUserName();
    ReadScores();

    // The player's own entry, or the last one: the score must beat it.
    std::size_t own = 1;
    while (own < kTableSize && lblName[own].caption != userName) {
        ++own;
    }
    if (!(valueOf(lblHighScore[own].caption) < score)) {
        return;
    }

    // Equal scores stay above the new one.
    std::size_t place = 1;
    while (place < kTableSize && !(valueOf(lblHighScore[place].caption) < score)) {
        ++place;
    }
    // The entry that drops out: the player's own at or below the new place,
    // else the last.
    std::size_t dropped = kTableSize;
    for (std::size_t k = kTableSize; k >= place; --k) {
        if (lblName[k].caption == userName) {
            dropped = k;
        }
    }
    for (std::size_t m = dropped; m > place; --m) {
        lblHighScore[m].caption = lblHighScore[m - 1].caption;
        lblName[m].caption = lblName[m - 1].caption;
    }
    lblHighScore[place].caption = platform::decimalText(mainWindow_.getScore1());
    lblName[place].caption = userName;
    WriteScores();

    if (mainWindow_.getGameInProgress()) {
        runtime_.messageBox("You have a new high score!!!", "New High Score");
    }
}

void FrmHighScores::UpdateHighScores() {
    const std::string userName = mainWindow_.getUserName();
    ReadScores();
    std::size_t own = 1;
    mainWindow_.setTopScore(publishedValue(lblHighScore[1].caption));
    while (own < kTableSize && lblName[own].caption != userName) {
        ++own;
    }
    if (lblName[own].caption != userName) {
        mainWindow_.setPersonalBest(0);
    } else {
        mainWindow_.setPersonalBest(publishedValue(lblHighScore[own].caption));
    }
}

}  // namespace scores
