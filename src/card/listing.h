// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "card/page_layout.h"

namespace quorvane::card {

// One row of the card file list. `name` holds the entry's name bytes (up to the first zero,
// at most 12); the window maps them to text.
struct FileRow {
    int slot = -1;
    std::string name;
    std::uint16_t sizeInBlocks = 0;
};
std::vector<FileRow> listFileRows(const PageBytes& pageImage);

// First in-use slot whose name equals `name` byte for byte, or -1.
int findSlotByName(const PageBytes& pageImage, const std::string& name);

// The three information lines of a file: the text fields of the save header (card/save_header.h)
// in the block its header offset names along its chain (the first for data, the second for a
// game), each cut at the first zero byte. A file of no blocks, or whose first
// block holds no data (a system block or past the page), gives three empty lines rather than
// other bytes.
using FileInfoLines = std::array<std::string, 3>;
FileInfoLines readFileInfo(const PageBytes& pageImage, int slot);

}  // namespace quorvane::card
