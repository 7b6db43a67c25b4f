// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>

// One program per card: an exclusive advisory lock (flock) on the file or folder that holds it.
// Advisory locks bind only programs that ask, which is every copy of this one; they go with the
// process, so a crash never leaves a card locked.
namespace quorvane::pc {

enum class LockProblem {
    None,
    HeldElsewhere,  // another open of the file holds the lock: another program, or this one
    CannotOpen,     // the file or folder could not be opened to lock it
};

struct LockError {
    LockProblem problem = LockProblem::None;
    std::filesystem::path path;
    int systemError = 0;         // errno of the failing call, where there was one
    std::optional<long> holder;  // the process id holding the lock, where the kernel tells
};

class FileLock {
public:
    // Locks what `path` names (following links) without waiting; none when it cannot, and
    // `error` says why. A FIFO or device is opened without blocking.
    static std::optional<FileLock> take(const std::filesystem::path& path, LockError& error);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Locks the file open on `fd`: one about to be renamed over a locked file, so that the
    // name is locked at every moment of the replacement. None when it cannot be locked.
    static std::optional<FileLock> onDescriptor(int fd);

private:
    explicit FileLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

// The process holding a lock on the file that `path` names, from the kernel's list of locks
// (`procLocks`); none where no lock is listed or the list cannot be read.
std::optional<long> lockHolder(const std::filesystem::path& path,
                               const std::filesystem::path& procLocks = "/proc/locks");

}  // namespace quorvane::pc
