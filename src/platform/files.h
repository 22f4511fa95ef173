#pragma once

#include <filesystem>
#include <string>

// Small file services for the game's own files.
namespace platform::files {

// Creates an empty file, readable by all (0644, whatever the umask), when
// none exists; an existing file is left as it is. False when the file
// neither exists nor can be created.
bool createIfMissing(const std::filesystem::path& path);

// Whether path names, through links, a regular file that this user may read
// and write, and that is not marked read-only (which root could write).
bool isWritableFile(const std::filesystem::path& path);

// Whether new files can be created in the folder by this user.
bool isWritableFolder(const std::filesystem::path& folder);

// The home folder of the user running the program, from the password
// database; empty when the database has no entry for the user.
std::string passwordDatabaseHome();

}  // namespace platform::files
