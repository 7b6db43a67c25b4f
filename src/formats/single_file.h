// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "card/card_file.h"
#include "card/page_layout.h"
#include "formats/read_result.h"
#include "formats/safe_write.h"

// .ddc (a tag, the entry, the blocks in file-system order) and .dci (the entry, the blocks in
// card order): one card file each.
namespace quorvane::formats {

inline constexpr std::array<std::uint8_t, 4> DDC_TAG = {'C', 'F', 'U', 0};
inline constexpr std::size_t DDC_TAG_SIZE = DDC_TAG.size();
// A reader compares the letters only: the last tag byte is written as 0 but never examined.
inline constexpr std::size_t DDC_TAG_LETTER_COUNT = 3;
inline constexpr std::size_t DDC_ENTRY_OFFSET = DDC_TAG_SIZE;
inline constexpr std::size_t DDC_DATA_OFFSET = DDC_ENTRY_OFFSET + card::DIR_ENTRY_SIZE;
static_assert(DDC_TAG_LETTER_COUNT < DDC_TAG_SIZE);
static_assert(DDC_DATA_OFFSET == 36);

inline constexpr std::size_t DCI_ENTRY_OFFSET = 0;
inline constexpr std::size_t DCI_DATA_OFFSET = DCI_ENTRY_OFFSET + card::DIR_ENTRY_SIZE;

// The most of a file that a reader can use: the header and one file's worth of data.
inline constexpr std::size_t DDC_READ_SIZE = DDC_DATA_OFFSET + card::FILE_DATA_CAPACITY;
inline constexpr std::size_t DCI_READ_SIZE = DCI_DATA_OFFSET + card::FILE_DATA_CAPACITY;
static_assert(DDC_READ_SIZE == 102436);

// `bytes` is the whole file or at least its first DDC_READ_SIZE (DCI_READ_SIZE) bytes. On Ok
// `file` holds the entry and its sizeInBlocks blocks in file-system order; bytes after them are
// not the file's. On any refusal `file` is not touched.
ReadResult parseDdcFile(std::span<const std::uint8_t> bytes, card::CardFile& file);
ReadResult parseDciFile(std::span<const std::uint8_t> bytes, card::CardFile& file);

// The same from a file: CannotOpen or ReadFailed when its bytes cannot be had.
ReadResult readDdcFile(const std::filesystem::path& path, card::CardFile& file);
ReadResult readDciFile(const std::filesystem::path& path, card::CardFile& file);

// The .ddc of a card file: the tag, the entry, then its data.
std::vector<std::uint8_t> ddcBytes(const card::CardFile& file);
WriteStatus writeDdcFile(const std::filesystem::path& path, const card::CardFile& file);

}  // namespace quorvane::formats
