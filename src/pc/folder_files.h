// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvane::pc {

struct FolderFile {
    std::string name;        // the entry's name in its folder, bytes as on the disk
    std::uint64_t size = 0;  // in bytes; 0 when it cannot be read
};

// Every entry of `folder` that is not a directory (links followed), in the order the file
// system gives them: regular files, links to them, devices, dangling links. A file whose size
// cannot be read (a dangling link, a device) is still listed. A folder that cannot be read to
// the end gives no files rather than some of them.
std::vector<FolderFile> listFolderFiles(const std::filesystem::path& folder);

}  // namespace quorvane::pc
