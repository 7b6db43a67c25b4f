#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace quorvane::formats {

enum class WriteResult {
    Written,
    CannotCreate,   // no temporary file could be made in the target's folder
    CannotWrite,    // writing or flushing the data failed (a full disk, say)
    CannotReplace,  // the finished file could not be renamed over the target
};

struct WriteStatus {
    WriteResult result = WriteResult::Written;
    int systemError = 0;  // errno of the failing call, 0 on success
    bool ok() const { return result == WriteResult::Written; }
};

// Writes `bytes` to a new file in the target's folder and renames it over the target, so a
// failed write leaves an existing target byte for byte as it was.
WriteStatus writeFileAtomically(const std::filesystem::path& target,
                                std::span<const std::uint8_t> bytes);

}  // namespace quorvane::formats
