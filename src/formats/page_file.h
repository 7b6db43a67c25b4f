#pragma once

#include <filesystem>

#include "card/page_layout.h"
#include "formats/read_result.h"
#include "formats/safe_write.h"

// .dcm: exactly one CardImage, 131072 bytes, no header.
namespace quorvane::formats {

// Reads the first 131072 bytes into cardImage; on any failure cardImage is unchanged.
ReadResult readPageFile(const std::filesystem::path& path, card::PageBytes& cardImage);
WriteStatus writePageFile(const std::filesystem::path& path, const card::PageBytes& cardImage);

}  // namespace quorvane::formats
