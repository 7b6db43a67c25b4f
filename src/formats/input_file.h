// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "formats/read_result.h"

// The start of a PC file, read in byte mode, with a file that cannot be opened, a read error and
// a short file told apart. The readers use it to hand the bytes to their parse functions.
namespace quorvane::formats {

struct FileStart {
    ReadResult result = ReadResult::Ok;  // Ok, CannotOpen or ReadFailed
    std::vector<std::uint8_t> bytes;     // the file's first bytes, never more than asked for
    std::uint64_t length = 0;            // the whole file's length, when it was asked for
    int systemError = 0;                 // errno of the failing call on CannotOpen or ReadFailed
};

// Reads until `limit` bytes are in or the file ends.
FileStart readFileStart(const std::filesystem::path& path, std::size_t limit);

// The same, and the length of the whole file, for a format that counts bytes it never reads.
// A file whose length cannot be told (not a seekable file) gives ReadFailed.
FileStart readFileStartAndLength(const std::filesystem::path& path, std::size_t limit);

// The whole file, read to its end; `length` is the number of bytes read.
FileStart readWholeFile(const std::filesystem::path& path);

}  // namespace quorvane::formats
