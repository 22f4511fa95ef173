#include "scores/score_file_location.h"

#include "platform/files.h"

namespace scores {

std::optional<ScoreFileLocation> locateScoreFile(
    const std::filesystem::path& programFolder, bool programFolderWritable,
    const std::string& xdgDataHome, const std::string& home,
    const std::optional<std::filesystem::path>& sharedTable) {
    const std::filesystem::path beside = programFolder / "Tumbrix.txt";
    if (programFolderWritable) {
        return ScoreFileLocation{beside, std::nullopt};
    }
    if (sharedTable) {
        return ScoreFileLocation{*sharedTable, std::nullopt, true};
    }
    // A relative XDG_DATA_HOME is invalid and ignored; a relative home would
    // put the table wherever the game happens to be started.
    std::filesystem::path dataHome = xdgDataHome;
    if (!dataHome.is_absolute()) {
        if (!std::filesystem::path(home).is_absolute()) {
            return std::nullopt;
        }
        dataHome = std::filesystem::path(home) / ".local" / "share";
    }
    return ScoreFileLocation{dataHome / "tumbrix" / "Tumbrix.txt", beside};
}

std::optional<std::filesystem::path> usableSharedTable(const std::string& folder) {
    const std::filesystem::path table = std::filesystem::path(folder) / "Tumbrix.txt";
    if (!table.is_absolute() || !platform::files::isWritableFile(table)) {
        return std::nullopt;
    }
    return table;
}

std::filesystem::path userHome(const std::string& homeVariable,
                               const std::function<std::string()>& passwordDatabaseHome) {
    if (std::filesystem::path home = homeVariable; home.is_absolute()) {
        return home;
    }
    std::filesystem::path home = passwordDatabaseHome();
    return home.is_absolute() ? home : std::filesystem::path();
}

void prepareScoreFile(const ScoreFileLocation& location) {
    if (!location.seedFrom) {
        return;
    }
    std::error_code error;
    std::filesystem::create_directories(location.file.parent_path(), error);
    if (std::filesystem::exists(location.file, error) ||
        !std::filesystem::exists(*location.seedFrom, error)) {
        return;
    }
    std::filesystem::copy_file(*location.seedFrom, location.file, error);
    if (!error) {
        // The installed table may be read-only; the user's copy must not be.
        std::filesystem::permissions(location.file, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
    }
}

}  // namespace scores
