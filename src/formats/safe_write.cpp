// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace quorvane::formats {

namespace {

constexpr mode_t NEW_FILE_MODE = 0666;
// As many links as the kernel itself follows before it gives up with ELOOP.
constexpr int MAX_LINK_HOPS = 40;

WriteStatus failure(WriteResult result, int error) {
    return WriteStatus{result, error};
}

TargetKind kindOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return TargetKind::File;
    }
    if (S_ISDIR(mode)) {
        return TargetKind::Folder;
    }
    if (S_ISFIFO(mode)) {
        return TargetKind::Fifo;
    }
    if (S_ISSOCK(mode)) {
        return TargetKind::Socket;
    }
    return TargetKind::Device;
}

// The permissions a file created by open() would get. mkstemp always uses 0600, which would
// hide a save from the user's other programs.
mode_t modeForNewFile() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return NEW_FILE_MODE & ~mask;
}

// The mode and group the new file takes: the replaced file's, or a new file's.
struct Ownership {
    mode_t mode = 0;
    std::optional<gid_t> group;
};

Ownership ownershipFor(const std::filesystem::path& file) {
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return {existing.st_mode & 07777, existing.st_gid};
    }
    return {modeForNewFile(), std::nullopt};
}

// Only the file's owner may change its group, and only to a group of theirs: where that is
// not allowed the new file keeps the group it was made with.
bool applyOwnership(int fd, const Ownership& ownership) {
    if (ownership.group && ::fchown(fd, static_cast<uid_t>(-1), *ownership.group) != 0 &&
        errno != EPERM) {
        return false;
    }
    return ::fchmod(fd, ownership.mode) == 0;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    return folder.empty() ? "." : folder;
}

// The new file's name stays hidden beside the target until the rename.
std::string temporaryTemplate(const std::filesystem::path& target) {
    return (folderOf(target) / ("." + target.filename().string() + ".XXXXXX")).string();
}

// Makes the rename itself survive a crash. Best effort: the data is already safe in place.
void syncFolderOf(const std::filesystem::path& target) {
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A link's text is read against the folder that holds the link.
std::filesystem::path nextHop(const std::filesystem::path& link,
                              const std::filesystem::path& linkText) {
    return linkText.is_absolute() ? linkText : link.parent_path() / linkText;
}

WriteStatus refusal(const WriteTarget& target) {
    if (target.kind == TargetKind::Unresolved) {
        return failure(WriteResult::CannotFollowLink, target.systemError);
    }
    // A folder has the system's own words; a FIFO, device or socket has none.
    return failure(WriteResult::NotAFile, target.kind == TargetKind::Folder ? EISDIR : 0);
}

WriteStatus writeResolved(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                          const BeforeReplace& beforeReplace) {
    const std::string pattern = temporaryTemplate(target);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return failure(WriteResult::CannotCreate, errno);
    }
    const auto discard = [&](WriteResult result, int error, bool open) {
        if (open) {
            ::close(fd);
        }
        ::unlink(name.data());
        return failure(result, error);
    };

    if (!writeAll(fd, bytes) || ::fsync(fd) != 0 || !applyOwnership(fd, ownershipFor(target))) {
        return discard(WriteResult::CannotWrite, errno, true);
    }
    if (beforeReplace && !beforeReplace(fd)) {
        return discard(WriteResult::CannotReplace, errno, true);
    }
    if (::close(fd) != 0) {
        return discard(WriteResult::CannotWrite, errno, false);
    }
    if (::rename(name.data(), target.c_str()) != 0) {
        return discard(WriteResult::CannotReplace, errno, false);
    }
    syncFolderOf(target);
    return WriteStatus{};
}

}  // namespace

WriteTarget resolveWriteTarget(const std::filesystem::path& target) {
    WriteTarget resolved{target};
    for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
        struct stat info {};
        // Anything that hides the file (a missing folder, no permission) is met again, with
        // its own errno, when the new file is made.
        if (::lstat(resolved.path.c_str(), &info) != 0) {
            resolved.kind = TargetKind::Missing;
            return resolved;
        }
        if (!S_ISLNK(info.st_mode)) {
            resolved.kind = kindOf(info.st_mode);
            return resolved;
        }
        resolved.isLink = true;
        std::error_code error;
        const std::filesystem::path linkText = std::filesystem::read_symlink(resolved.path, error);
        if (error) {
            resolved.kind = TargetKind::Unresolved;
            resolved.systemError = error.value();
            return resolved;
        }
        resolved.path = nextHop(resolved.path, linkText);
    }
    resolved.kind = TargetKind::Unresolved;
    resolved.systemError = ELOOP;
    return resolved;
}

WriteStatus writeFileAtomically(const std::filesystem::path& target,
                                std::span<const std::uint8_t> bytes,
                                const BeforeReplace& beforeReplace) {
    const WriteTarget resolved = resolveWriteTarget(target);
    if (!resolved.writable()) {
        return refusal(resolved);
    }
    return writeResolved(resolved.path, bytes, beforeReplace);
}

}  // namespace quorvane::formats
