// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The folders the PC pane starts from: where Windows listed its drives, we list the user's home,
// the root and the places removable media are mounted.
namespace quorvane::pc {

// The mount points of a table laid out as /proc/self/mounts (one mount a line: device, mount
// point, then fields not read here), in the table's order. The table writes a space, tab,
// newline or backslash in a path as \ooo; those are decoded.
std::vector<std::string> mountPoints(std::string_view mountTable);

// Whether `path` is a directory, links followed; false when that cannot be told.
bool isFolder(const std::filesystem::path& path);

using FolderCheck = std::function<bool(const std::filesystem::path&)>;

// In this order: `home` (a trailing '/' dropped), "/", then each mount point of `mountTable`
// directly under /media, /media/<userName>, /run/media/<userName> or /mnt that `isMountFolder`
// accepts (a mount point may be a file, or be gone since the table was read). None twice.
std::vector<std::filesystem::path> topFolders(const std::filesystem::path& home,
                                              std::string_view userName,
                                              std::string_view mountTable,
                                              const FolderCheck& isMountFolder = isFolder);

// This system's mount table (/proc/self/mounts); empty when it cannot be read.
std::string readMountTable();

// The effective user's name from the user database, else $USER, else empty.
std::string currentUserName();

}  // namespace quorvane::pc
