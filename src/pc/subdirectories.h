// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <vector>

// The folders below a folder, one level at a time, as the PC pane opens them.
namespace quorvane::pc {

// The subdirectories of `folder` (links to directories included, never followed further), as
// paths in `folder`, in the order the file system gives them. A folder that cannot be read to
// the end gives none rather than some of them.
std::vector<std::filesystem::path> listSubdirectories(const std::filesystem::path& folder);

// Whether `folder` has a subdirectory (a link to one counts): it decides whether a folder gets
// an expand button, so the reading stops at the first one found.
bool hasSubdirectory(const std::filesystem::path& folder);

}  // namespace quorvane::pc
