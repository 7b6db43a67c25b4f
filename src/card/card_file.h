// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "card/dir_entry.h"
#include "card/page_layout.h"

namespace quorvane::card {

// One card file as it moves between the card and the PC: its directory entry and the bytes of
// its chain in file-system order, block after block. Every producer (extractFile, the PC
// readers) makes sizeInBlocks x 512 bytes, never more than FILE_DATA_CAPACITY; a consumer takes
// a missing byte as zero and never reads past the data.
//
// The data is a vector sized to the file's blocks rather than a fixed array of the largest file:
// its size is the file's length, so no count can drift from it, a small file costs only its
// own bytes and a CardFile can live on the stack and be moved.
struct CardFile {
    DirEntry entry;
    std::vector<std::uint8_t> data;

    bool operator==(const CardFile&) const = default;
};

}  // namespace quorvane::card
