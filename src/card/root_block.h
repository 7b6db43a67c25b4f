// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "card/byte_order.h"
#include "card/page_layout.h"

// The root block (ROOT_BLOCK) of a formatted card: where the card records its own layout.
// Offsets are within the block, in file-system order; 16-bit values little-endian.
namespace quorvane::card {

inline constexpr std::size_t ROOT_OFFSET = ROOT_BLOCK * BLOCK_SIZE;

inline constexpr std::size_t ROOT_FORMAT_MARK_SIZE = 16;  // from offset 0
inline constexpr std::uint8_t ROOT_FORMAT_MARK = 0x55;
inline constexpr std::size_t ROOT_FORMAT_TIME = 0x30;  // a FormatTime
inline constexpr std::size_t ROOT_FORMAT_TIME_SIZE = 8;
inline constexpr std::size_t ROOT_LAST_BLOCK = 0x40;
inline constexpr std::size_t ROOT_ROOT_LOCATION = 0x44;
inline constexpr std::size_t ROOT_FAT_LOCATION = 0x46;
inline constexpr std::size_t ROOT_FAT_SIZE = 0x48;
inline constexpr std::size_t ROOT_DIR_LOCATION = 0x4A;  // the directory's last block
inline constexpr std::size_t ROOT_DIR_SIZE = 0x4C;
inline constexpr std::size_t ROOT_USER_BLOCKS = 0x50;

using RootBlock = std::span<const std::uint8_t, BLOCK_SIZE>;

inline RootBlock rootBlockOf(const PageBytes& pageImage) {
    return RootBlock(pageImage.data() + ROOT_OFFSET, BLOCK_SIZE);
}

// The format time stamp: century, year, month, day, hour, minute, second in BCD, then the
// weekday from 0 = Monday; the directory's time-stamp layout.
using FormatTime = std::array<std::uint8_t, ROOT_FORMAT_TIME_SIZE>;

// Whether the root block begins with the format mark: a page without it is not formatted, and
// the program lists no files on it.
inline bool hasFormatMark(const PageBytes& pageImage) {
    const RootBlock root = rootBlockOf(pageImage);
    return std::all_of(root.begin(), root.begin() + ROOT_FORMAT_MARK_SIZE,
                       [](std::uint8_t byte) { return byte == ROOT_FORMAT_MARK; });
}

// Every formatted card keeps its FAT in FAT_BLOCK. The format mark reads the same in both byte
// orders; this field does not, so it is what tells a page from one in the other order.
inline bool rootReadsAsFormatted(RootBlock rootBlock) {
    return readLe16(rootBlock, ROOT_FAT_LOCATION) == FAT_BLOCK;
}

// The user blocks the card counts for itself: USER_BLOCK_COUNT as this program and the console
// format it, or up to DATA_BLOCK_COUNT where another tool formatted blocks 200..240 as user
// blocks too. Any other count, or a root block that does not read as formatted, is taken as
// USER_BLOCK_COUNT, so that nothing beyond block 199 is changed on the strength of it.
inline int userBlockCountOf(const PageBytes& pageImage) {
    const RootBlock rootBlock = rootBlockOf(pageImage);
    const int counted = readLe16(rootBlock, ROOT_USER_BLOCKS);
    if (!rootReadsAsFormatted(rootBlock) || counted < USER_BLOCK_COUNT ||
        counted > DATA_BLOCK_COUNT) {
        return USER_BLOCK_COUNT;
    }
    return counted;
}

}  // namespace quorvane::card
