#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Small file services for the game's own files.
namespace platform::files {

// The file's first maxBytes bytes (all of a smaller file), or nothing when
// it cannot be read or is not a regular file. Never blocks: a FIFO, a
// device or a folder in the file's place is not read.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// Creates an empty file when none exists; an existing file is left as it is.
// False when the file neither exists nor can be created.
bool createIfMissing(const std::filesystem::path& path);

// Replaces the file's content in one step: the bytes go to a temporary file
// in the same folder, which is then renamed over the file, so a failure
// never leaves a half-written file. On failure returns false and sets error.
bool replaceAtomically(const std::filesystem::path& path, const std::string& content,
                       std::string& error);

// Whether new files can be created in the folder by this user.
bool isWritableFolder(const std::filesystem::path& folder);

// The home folder of the user running the program, from the password
// database; empty when the database has no entry for the user.
std::string passwordDatabaseHome();

}  // namespace platform::files
