// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The geometry of one memory-card page and the buffers that hold it.
namespace quorvane::card {

inline constexpr std::size_t BLOCK_SIZE = 512;
inline constexpr int BLOCK_COUNT = 256;
inline constexpr std::size_t PAGE_SIZE = BLOCK_SIZE * BLOCK_COUNT;  // 131072

// Blocks 0..199 hold file data and are the only ones an add ever allocates.
inline constexpr int USER_BLOCK_COUNT = 200;
// Blocks 200..240 are carried along and never written back to the card (their FAT entries are,
// in FAT_BLOCK).
inline constexpr int UNUSED_FIRST_BLOCK = 200;
inline constexpr int UNUSED_LAST_BLOCK = 240;
inline constexpr int DIR_FIRST_BLOCK = 241;
inline constexpr int DIR_LAST_BLOCK = 253;
inline constexpr int FAT_BLOCK = 254;
inline constexpr int ROOT_BLOCK = 255;

inline constexpr int DIR_SLOT_COUNT = 208;
inline constexpr std::size_t DIR_ENTRY_SIZE = 32;
inline constexpr std::size_t DIR_OFFSET = DIR_FIRST_BLOCK * BLOCK_SIZE;  // 123392
inline constexpr std::size_t FAT_OFFSET = FAT_BLOCK * BLOCK_SIZE;        // 130048

inline constexpr std::uint16_t FAT_FREE = 0xFFFC;
inline constexpr std::uint16_t FAT_END = 0xFFFA;

// The most data one card file can hold.
inline constexpr std::size_t FILE_DATA_CAPACITY = USER_BLOCK_COUNT * BLOCK_SIZE;  // 102400

static_assert(PAGE_SIZE == 131072);
static_assert(DIR_SLOT_COUNT * DIR_ENTRY_SIZE ==
              (DIR_LAST_BLOCK - DIR_FIRST_BLOCK + 1) * BLOCK_SIZE);

// A page in file-system order (PageImage): block n at byte 512 x n, where every edit happens.
using PageBytes = std::array<std::uint8_t, PAGE_SIZE>;
// A page in card byte order (CardImage), as the adapter sends it and .dcm files hold it: every
// aligned 4-byte group of the PageImage reversed. A type of its own, converted only by
// cardToPage and pageToCard, so that a page in one order cannot be taken for the other.
struct CardOrderPage {
    PageBytes bytes{};
    bool operator==(const CardOrderPage&) const = default;
};
// One flag per block: 1 = changed in memory, written by the next commit.
using DirtyMap = std::array<std::uint8_t, BLOCK_COUNT>;
using BlockBytes = std::array<std::uint8_t, BLOCK_SIZE>;

inline constexpr bool isUserBlock(long block) {
    return block >= 0 && block < USER_BLOCK_COUNT;
}
// Blocks a file's chain may run through: cards formatted by other tools with more room keep
// files in blocks 200..240 too (userBlockCountOf in root_block.h). Only blocks 0..199 are ever
// allocated or written; FAT entries are freed within the user blocks the card counts.
inline constexpr int DATA_BLOCK_COUNT = UNUSED_LAST_BLOCK + 1;
inline constexpr bool isDataBlock(long block) {
    return block >= 0 && block < DATA_BLOCK_COUNT;
}

}  // namespace quorvane::card
