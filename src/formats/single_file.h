#pragma once

#include <filesystem>
#include <span>

#include "card/ddc_image.h"
#include "card/dir_entry.h"
#include "card/page_layout.h"
#include "formats/read_result.h"
#include "formats/safe_write.h"

// .ddc (the card's .ddc image: tag, entry, blocks in file-system order) and .dci (entry, blocks in card order).
namespace quorvane::formats {

inline constexpr std::size_t DCI_DATA_OFFSET = card::DIR_ENTRY_SIZE;

// On Ok: `entry` holds the file's entry and fileBuffer its data from byte 0 in file-system
// order. On any refusal `entry` is unchanged (fileBuffer may have been written).
ReadResult readDdcFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer);
ReadResult readDciFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer);

// The .ddc image that extractFile left in fileBuffer: the header and sizeInBlocks blocks.
std::span<const std::uint8_t> ddcImage(const card::FileBuffer& fileBuffer);
WriteStatus writeDdcFile(const std::filesystem::path& path, const card::FileBuffer& fileBuffer);

}  // namespace quorvane::formats
