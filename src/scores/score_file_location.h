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
};

// The table lives beside the program while its folder is writable (a
// portable copy); an installed game keeps it in the user's data folder
// ($XDG_DATA_HOME/tumbrix, by default ~/.local/share/tumbrix), starting from
// the table that came with the program. A relative XDG_DATA_HOME or home is
// never used: with neither absolute there is no place for the table, and
// the game keeps it for the run only.
std::optional<ScoreFileLocation> locateScoreFile(const std::filesystem::path& programFolder,
                                                 bool programFolderWritable,
                                                 const std::string& xdgDataHome,
                                                 const std::string& home);

// The user's home folder: HOME when it is an absolute path, else the one the
// password database gives (asked only then); empty when neither is absolute.
std::filesystem::path userHome(const std::string& homeVariable,
                               const std::function<std::string()>& passwordDatabaseHome);

// Creates the data folder and copies the seed table in when the file does
// not exist yet. Failures are left for the file's readers and writers.
void prepareScoreFile(const ScoreFileLocation& location);

}  // namespace scores
