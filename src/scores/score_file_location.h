#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace scores {

struct ScoreFileLocation {
    std::filesystem::path file;
    // A table to start from when `file` does not exist yet.
    std::optional<std::filesystem::path> seedFrom;
    // The table every player of the machine shares: the administrator's
    // file, which the game never makes.
    bool shared = false;
};

// The table lives beside the program while its folder is writable (a
// portable copy). An installed game uses the shared table when there is
// one it may write; otherwise it keeps its table in the user's data folder
// ($XDG_DATA_HOME/tumbrix, by default ~/.local/share/tumbrix), starting from
// the table that came with the program. A relative XDG_DATA_HOME or home is
// never used: with neither absolute there is no place for the table, and
// the game keeps it for the run only.
std::optional<ScoreFileLocation> locateScoreFile(
    const std::filesystem::path& programFolder, bool programFolderWritable,
    const std::string& xdgDataHome, const std::string& home,
    const std::optional<std::filesystem::path>& sharedTable = std::nullopt);

// The shared table in the given folder, when the folder is an absolute path
// and its table a regular file (through links) that this player may read
// and write. An administrator makes it; a player never does, so a folder
// without a table, or with one the player may only read, is not used.
std::optional<std::filesystem::path> usableSharedTable(const std::string& folder);

// The user's home folder: HOME when it is an absolute path, else the one the
// password database gives (asked only then); empty when neither is absolute.
std::filesystem::path userHome(const std::string& homeVariable,
                               const std::function<std::string()>& passwordDatabaseHome);

// Creates the data folder and copies the seed table in when the file does
// not exist yet. Failures are left for the file's readers and writers.
void prepareScoreFile(const ScoreFileLocation& location);

}  // namespace scores
