#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "card/page_layout.h"

// The .ddc image of one card file: a tag, the file's directory entry, then its blocks in
// file-system order. extractFile builds it in FileBuffer and a .ddc file on the PC holds it byte
// for byte, so the card layer owns the layout and the PC reader and writer take it from here.
namespace quorvane::card {

inline constexpr std::array<std::uint8_t, 4> DDC_TAG = {'C', 'F', 'U', 0};
inline constexpr std::size_t DDC_TAG_SIZE = DDC_TAG.size();
// A reader compares the letters only: the last tag byte is written as 0 but never examined.
inline constexpr std::size_t DDC_TAG_LETTER_COUNT = 3;
inline constexpr std::size_t DDC_ENTRY_OFFSET = DDC_TAG_SIZE;
inline constexpr std::size_t DDC_DATA_OFFSET = DDC_ENTRY_OFFSET + DIR_ENTRY_SIZE;
static_assert(DDC_TAG_LETTER_COUNT < DDC_TAG_SIZE);
static_assert(DDC_DATA_OFFSET == 36);

inline constexpr std::size_t FILE_BUFFER_SIZE = DDC_DATA_OFFSET + FILE_DATA_CAPACITY;
static_assert(FILE_BUFFER_SIZE == 102436);

// One card file: its .ddc image after an extraction, its raw data from byte 0 before a store.
using FileBuffer = std::array<std::uint8_t, FILE_BUFFER_SIZE>;

}  // namespace quorvane::card
