// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace quorvane::pc {

// The entry of `folder` that the single component `name` denotes, as a path in `folder` spelled
// as on the disk. The exact name wins when it exists. Otherwise, of the entries equal to `name`
// without regard to case (name_order.h says what is folded), the smallest in byte order: on a
// case-sensitive disk "Game.vms" and "GAME.VMS" may both exist, and the choice must not depend
// on the order in which the folder lists them. An entry that does not resolve (a dangling link)
// is never chosen; a folder that cannot be read to the end gives none.
std::optional<std::filesystem::path> findEntryIgnoringCase(const std::filesystem::path& folder,
                                                           std::string_view name);

}  // namespace quorvane::pc
