// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/write_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "formats/safe_write.h"

namespace quorvane::formats {

namespace {

// As the effective user: a program given the rights of another user is held to those.
std::optional<WriteBlocker> blockerOf(const std::filesystem::path& path, int mode) {
    if (::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) != 0 && errno != ENOENT) {
        return WriteBlocker{path, errno};
    }
    return std::nullopt;
}

}  // namespace

std::optional<WriteBlocker> replacementBlocker(const std::filesystem::path& target) {
    // The file a write through `target`'s links replaces, as the safe writer finds it.
    const std::filesystem::path file = resolveWriteTarget(target).path;
    // A file the user made read-only is one not to be replaced, though its folder would allow it.
    if (auto blocked = blockerOf(file, W_OK)) {
        return blocked;
    }
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    return blockerOf(folder, W_OK | X_OK);
}

}  // namespace quorvane::formats
