#pragma once

#include <filesystem>
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
// the table that came with the program.
ScoreFileLocation locateScoreFile(const std::filesystem::path& programFolder,
                                  bool programFolderWritable, const std::string& xdgDataHome,
                                  const std::string& home);

// Creates the data folder and copies the seed table in when the file does
// not exist yet. Failures are left for the file's readers and writers.
void prepareScoreFile(const ScoreFileLocation& location);

}  // namespace scores
