// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>

// Whether this user may replace a file the way the safe writer does (a new file beside the file
// that a link names, renamed over it), asked before a card is edited rather than learned from a
// failed save.
namespace quorvane::formats {

struct WriteBlocker {
    std::filesystem::path path;  // the file, or the folder it is in, that may not be written
    int systemError = 0;         // the reason: EACCES, EROFS and the like
};

// None when `target` (or the file that a link `target` names) may be replaced, or made where
// it is missing.
std::optional<WriteBlocker> replacementBlocker(const std::filesystem::path& target);

}  // namespace quorvane::formats
