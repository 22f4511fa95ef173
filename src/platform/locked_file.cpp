#include "platform/locked_file.h"

#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

namespace platform::files {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// How many times a file may be replaced under us while we try to lock it
// before we give up; far more than any run of saves by other copies.
constexpr int kMostReplacements = 100;

// Writes all of content at offset, or fails with errno set; count holds how
// many bytes were written either way.
bool writeAllAt(int fd, std::string_view content, off_t offset, std::size_t& count) {
    count = 0;
    while (count < content.size()) {
        const ssize_t n = ::pwrite(fd, content.data() + count, content.size() - count,
                                   offset + static_cast<off_t>(count));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            errno = n == 0 ? EIO : errno;
            return false;
        }
        count += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

LockWait waitUpTo(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    return [deadline] {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return true;
    };
}

LockedFile::LockedFile(int fd, std::filesystem::path file, bool writable)
    : fd_(fd), file_(std::move(file)), writable_(writable) {}

LockedFile::LockedFile(LockedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      file_(std::move(other.file_)),
      writable_(other.writable_) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
    std::swap(fd_, other.fd_);
    std::swap(file_, other.file_);
    std::swap(writable_, other.writable_);
    return *this;
}

LockedFile::~LockedFile() {
    if (fd_ >= 0) {
        ::close(fd_);  // and with it the lock
    }
}

std::optional<LockedFile> LockedFile::open(const std::filesystem::path& path, LockKind kind,
                                           const LockWait& wait, std::string& error) {
    for (int replacement = 0; replacement <= kMostReplacements; ++replacement) {
        // Looked at before it is opened: opening a device or a FIFO may
        // block or act on the device.
        struct stat named {};
        if (::stat(path.c_str(), &named) != 0) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        if (!S_ISREG(named.st_mode)) {
            error = S_ISDIR(named.st_mode) ? std::strerror(EISDIR) : "not a regular file";
            return std::nullopt;
        }
        // O_NONBLOCK: should a FIFO take the file's place meanwhile, it is
        // opened without waiting and then refused below. A save opens the
        // file for writing where it can: over NFS an exclusive lock needs it.
        const int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        bool writable = kind == LockKind::Exclusive;
        int fd = writable ? ::open(path.c_str(), O_RDWR | flags) : -1;
        if (fd < 0) {
            writable = false;
            fd = ::open(path.c_str(), O_RDONLY | flags);
        }
        if (fd < 0) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !sameFile(opened, named)) {
            ::close(fd);  // swapped between the look and the opening
            continue;
        }
        const int operation = kind == LockKind::Exclusive ? LOCK_EX : LOCK_SH;
        // EINTR tries again; any other failure but a taken lock is a file
        // system without locks, where the file is used as before.
        while (::flock(fd, operation | LOCK_NB) != 0 && (errno == EINTR || errno == EWOULDBLOCK)) {
            if (errno == EWOULDBLOCK && !wait()) {
                ::close(fd);
                error = "another copy of the game kept it locked";
                return std::nullopt;
            }
        }
        // Saved over while we waited: the name now belongs to a new file,
        // which holds that save. Lock that one.
        struct stat now {};
        if (::stat(path.c_str(), &now) != 0 || !sameFile(now, opened)) {
            ::close(fd);
            continue;
        }
        std::error_code unresolved;
        std::filesystem::path file = std::filesystem::canonical(path, unresolved);
        return LockedFile(fd, unresolved ? path : file, writable);
    }
    error = "replaced too often while waiting for its lock";
    return std::nullopt;
}

std::optional<std::string> LockedFile::read(std::size_t maxBytes) const {
    std::string content;
    std::array<char, 16384> buffer;
    while (content.size() < maxBytes) {
        const ssize_t n =
            ::pread(fd_, buffer.data(), std::min(buffer.size(), maxBytes - content.size()),
                    static_cast<off_t>(content.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        content.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return content;
}

bool LockedFile::save(std::string_view content, std::string& error) {
    struct stat old {};
    if (::fstat(fd_, &old) != 0) {
        error = std::strerror(errno);
        return false;
    }
    // A file the user made read-only stays as it is, even for root, who
    // could otherwise replace it.
    if ((old.st_mode & 0222) == 0 || ::access(file_.c_str(), W_OK) != 0) {
        error = std::strerror(EACCES);
        return false;
    }
    if (isWritableFolder(file_.parent_path())) {
        const Replaced replaced = replaceBeside(old, content, error);
        if (replaced != Replaced::NotHere) {
            return replaced == Replaced::Yes;
        }
    }
    return rewriteInPlace(old, content, error);
}

LockedFile::Replaced LockedFile::replaceBeside(const struct stat& old, std::string_view content,
                                               std::string& error) {
    std::string temporary = file_.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return Replaced::No;
    }
    auto giveUp = [&](Replaced outcome, int code) {
        if (code != 0) {
            error = std::strerror(code);
        }
        ::close(fd);
        ::unlink(temporary.c_str());
        return outcome;
    };
    // The new file takes the old one's owner where this process may give
    // it (root), and its group always: a player's save must not take a
    // shared table from its group. Where the group cannot be given, the
    // file is rewritten in place, which keeps everything.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        return giveUp(Replaced::NotHere, 0);
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
        return giveUp(Replaced::No, errno);
    }
    for (std::size_t written = 0; written < content.size();) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return giveUp(Replaced::No, errno);
        }
        written += static_cast<std::size_t>(n);
    }
    // The table survives a power cut: data on disk before the rename.
    if (::fsync(fd) != 0) {
        return giveUp(Replaced::No, errno);
    }
    if (::close(fd) != 0) {
        error = std::strerror(errno);
        ::unlink(temporary.c_str());
        return Replaced::No;
    }
    if (::rename(temporary.c_str(), file_.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        // A folder with the sticky bit keeps another user's file from
        // being replaced; it can still be rewritten.
        if (code == EPERM || code == EACCES) {
            return Replaced::NotHere;
        }
        error = std::strerror(code);
        return Replaced::No;
    }
    return Replaced::Yes;
}

bool LockedFile::rewriteInPlace(const struct stat& old, std::string_view content,
                                std::string& error) {
    if (!writable_) {
        error = std::strerror(EACCES);
        return false;
    }
    const off_t oldSize = old.st_size;
    const auto newSize = static_cast<off_t>(content.size());
    // Back to the old size, where the reservation or the write changed it.
    auto restoreSize = [&] {
        struct stat now {};
        if (::fstat(fd_, &now) == 0 && now.st_size != oldSize) {
            (void)::ftruncate(fd_, oldSize);
        }
    };
    auto fail = [&](int code) {
        error = std::strerror(code);
        restoreSize();
        return false;
    };
    // Room for the new content first: a full disk fails here, before a
    // byte of the file changes.
    if (newSize > 0) {
        if (const int code = ::posix_fallocate(fd_, 0, newSize); code != 0) {
            return fail(code);
        }
    }
    // What the new content covers, to put back should the write still fail
    // part-way (a file-size limit, an I/O error).
    const auto covered = static_cast<std::size_t>(std::min(oldSize, newSize));
    const std::optional<std::string> before = read(covered);
    if (!before || before->size() != covered) {
        return fail(before ? EIO : errno);
    }
    std::size_t written = 0;
    if (!writeAllAt(fd_, content, 0, written) || ::ftruncate(fd_, newSize) != 0) {
        const int code = errno;
        std::size_t restored = 0;
        (void)writeAllAt(fd_, std::string_view(*before).substr(0, written), 0, restored);
        return fail(code);
    }
    if (::fsync(fd_) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace platform::files
