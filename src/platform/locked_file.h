#pragma once

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::files {

// Called between tries for a lock another program holds: waits a little and
// says whether to try again.
using LockWait = std::function<bool()>;
// Tries again every 10 ms until the limit has passed, on the monotonic clock.
LockWait waitUpTo(std::chrono::milliseconds limit);

enum class LockKind { Shared, Exclusive };

// A regular file held open under a flock(2) lock for as long as the object
// lives: shared to read, exclusive to read and save. Every copy of the game,
// whoever runs it, locks the file itself, which anyone who may read it can
// open; a save that replaces the file does so while it holds the lock on
// the old one, and whoever waited for that lock sees that the name now
// belongs to another file and locks that one instead. Nothing is left
// beside the file, and no lock outlives its process.
class LockedFile {
public:
    // Opens the regular file that path names, through symbolic links, and
    // locks it, trying while wait allows. A device, FIFO, socket or folder
    // in its place is never opened. Nothing, with error set, when there is
    // no regular file to open or its lock stayed taken. Where the file
    // system has no locks, the file is opened without one.
    static std::optional<LockedFile> open(const std::filesystem::path& path, LockKind kind,
                                          const LockWait& wait, std::string& error);

    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;
    ~LockedFile();

    // The first maxBytes bytes (all of a smaller file); nothing on a read error.
    std::optional<std::string> read(std::size_t maxBytes) const;
    // Makes content the file's whole content, never leaving half of it. Beside
    // the file, a temporary file is written and renamed over it, with the
    // file's group and mode (and owner, where the process may give it); where
    // the folder cannot be written, or the group could not be kept, the file
    // is rewritten in place. Needs the exclusive lock. A file without write
    // permission is left alone, even by root. False with error set when the
    // content could not be saved.
    bool save(std::string_view content, std::string& error);

private:
    LockedFile(int fd, std::filesystem::path file, bool writable);
    enum class Replaced { Yes, No, NotHere };
    Replaced replaceBeside(const struct stat& old, std::string_view content, std::string& error);
    bool rewriteInPlace(const struct stat& old, std::string_view content, std::string& error);

    int fd_;
    // The file itself, its links resolved.
    std::filesystem::path file_;
    // Opened for writing too.
    bool writable_;
};

}  // namespace platform::files
