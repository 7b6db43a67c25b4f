// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace quorvane::pc {

namespace {

// A file renamed over the locked one between our open and our lock would leave us holding
// the old file; a few tries settle it, since the other program holds the new name locked.
constexpr int MAX_LOCK_ATTEMPTS = 8;

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `fd` still is the file that `path` names.
bool stillNamedBy(int fd, const std::filesystem::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
           sameFile(opened, named);
}

int openForLock(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

}  // namespace

std::optional<FileLock> FileLock::take(const std::filesystem::path& path, LockError& error) {
    error = LockError{LockProblem::None, path, 0, std::nullopt};
    for (int attempt = 0; attempt < MAX_LOCK_ATTEMPTS; ++attempt) {
        const int fd = openForLock(path);
        if (fd < 0) {
            error.problem = LockProblem::CannotOpen;
            error.systemError = errno;
            return std::nullopt;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int lockError = errno;
            ::close(fd);
            error.problem =
                lockError == EWOULDBLOCK ? LockProblem::HeldElsewhere : LockProblem::CannotOpen;
            error.systemError = lockError;
            if (error.problem == LockProblem::HeldElsewhere) {
                error.holder = lockHolder(path);
            }
            return std::nullopt;
        }
        if (stillNamedBy(fd, path)) {
            return FileLock(fd);
        }
        ::close(fd);
    }
    error.problem = LockProblem::HeldElsewhere;
    error.holder = lockHolder(path);
    return std::nullopt;
}

FileLock::FileLock(FileLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::optional<FileLock> FileLock::onDescriptor(int fd) {
    const int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (kept < 0) {
        return std::nullopt;
    }
    if (::flock(kept, LOCK_EX | LOCK_NB) != 0) {
        ::close(kept);
        return std::nullopt;
    }
    return FileLock(kept);
}

std::optional<long> lockHolder(const std::filesystem::path& path,
                               const std::filesystem::path& procLocks) {
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) {
        return std::nullopt;
    }
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", ::major(named.st_dev),
                  ::minor(named.st_dev), static_cast<unsigned long>(named.st_ino));
    // Lines read "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"; a waiter's has "->" after
    // the number, and is not the holder.
    std::ifstream locks(procLocks);
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        long pid = 0;
        if (fields >> number >> kind >> mode >> access >> pid >> file && kind != "->" &&
            file == wanted) {
            return pid;
        }
    }
    return std::nullopt;
}

}  // namespace quorvane::pc
