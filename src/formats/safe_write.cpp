#include "formats/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace quorvane::formats {

namespace {

constexpr mode_t NEW_FILE_MODE = 0666;

WriteStatus failure(WriteResult result, int error) {
    return WriteStatus{result, error};
}

// The permissions a file created by open() would get. mkstemp always uses 0600, which would
// hide a save from the user's other programs.
mode_t modeForNewFile() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return NEW_FILE_MODE & ~mask;
}

mode_t modeFor(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 07777;
    }
    return modeForNewFile();
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

// The new file's name stays hidden beside the target until the rename.
std::string temporaryTemplate(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    return (folder / ("." + target.filename().string() + ".XXXXXX")).string();
}

// Makes the rename itself survive a crash. Best effort: the data is already safe in place.
void syncFolderOf(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

WriteStatus writeFileAtomically(const std::filesystem::path& target,
                                std::span<const std::uint8_t> bytes) {
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

    if (!writeAll(fd, bytes) || ::fsync(fd) != 0 || ::fchmod(fd, modeFor(target)) != 0) {
        return discard(WriteResult::CannotWrite, errno, true);
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

}  // namespace quorvane::formats
