// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

namespace quorvane::formats {

enum class WriteResult {
    Written,
    CannotCreate,      // no temporary file could be made in the target's folder
    CannotWrite,       // writing or flushing the data failed (a full disk, say)
    CannotReplace,     // the finished file could not be renamed over the target
    NotAFile,          // the target, or the end of its links, is a folder (EISDIR), FIFO, ...
    CannotFollowLink,  // the target's links could not be followed (a loop, say)
};

struct WriteStatus {
    WriteResult result = WriteResult::Written;
    int systemError = 0;  // errno of the failing call, 0 on success
    bool ok() const { return result == WriteResult::Written; }
};

// What a path names once its symbolic links are followed.
enum class TargetKind { Missing, File, Folder, Fifo, Device, Socket, Unresolved };

struct WriteTarget {
    std::filesystem::path path;  // the file written: the end of the links, or the path itself
    TargetKind kind = TargetKind::Missing;
    bool isLink = false;  // the path given is a symbolic link
    int systemError = 0;  // errno where the links could not be followed (kind Unresolved)
    bool writable() const { return kind == TargetKind::Missing || kind == TargetKind::File; }
};

// Follows `target`'s chain of symbolic links (a relative link read against its own folder) to
// the file a write through it changes. A link whose end is missing names a new file.
WriteTarget resolveWriteTarget(const std::filesystem::path& target);

// Writes `bytes` to a new file beside the target and renames it over the target, so a failed
// write leaves an existing target byte for byte as it was. A symbolic link stays: the file at
// the end of its links is the one replaced. The replaced file's mode and group are kept. A
// folder, FIFO, device or socket is refused before anything is written.
// `beforeReplace` is given the new file, written and flushed, just before it takes the target's
// name (a card's lock goes with it); false gives up the write and leaves the target as it was.
using BeforeReplace = std::function<bool(int fd)>;
WriteStatus writeFileAtomically(const std::filesystem::path& target,
                                std::span<const std::uint8_t> bytes,
                                const BeforeReplace& beforeReplace = {});

}  // namespace quorvane::formats
