#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "card/ddc_image.h"
#include "card/dir_entry.h"
#include "card/page_layout.h"
#include "formats/read_result.h"
#include "formats/safe_write.h"

// .ddc (the card's .ddc image: tag, entry, blocks in file-system order) and .dci (entry, blocks
// in card order).
namespace quorvane::formats {

inline constexpr std::size_t DCI_ENTRY_OFFSET = 0;
inline constexpr std::size_t DCI_DATA_OFFSET = DCI_ENTRY_OFFSET + card::DIR_ENTRY_SIZE;

// The most of a file that a reader can use: the header and one file's worth of data.
inline constexpr std::size_t DDC_READ_SIZE = card::DDC_DATA_OFFSET + card::FILE_DATA_CAPACITY;
inline constexpr std::size_t DCI_READ_SIZE = DCI_DATA_OFFSET + card::FILE_DATA_CAPACITY;

// `bytes` is the whole file or at least its first DDC_READ_SIZE (DCI_READ_SIZE) bytes. On Ok:
// `entry` holds the file's entry and fileBuffer its data from byte 0 in file-system order, zeros
// after it. On any refusal neither `entry` nor fileBuffer is touched.
ReadResult parseDdcFile(std::span<const std::uint8_t> bytes, card::DirEntry& entry,
                        card::FileBuffer& fileBuffer);
ReadResult parseDciFile(std::span<const std::uint8_t> bytes, card::DirEntry& entry,
                        card::FileBuffer& fileBuffer);

// The same from a file: CannotOpen or ReadFailed when its bytes cannot be had.
ReadResult readDdcFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer);
ReadResult readDciFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer);

// The .ddc image that extractFile left in fileBuffer: the header and sizeInBlocks blocks.
std::span<const std::uint8_t> ddcImage(const card::FileBuffer& fileBuffer);
WriteStatus writeDdcFile(const std::filesystem::path& path, const card::FileBuffer& fileBuffer);

}  // namespace quorvane::formats
