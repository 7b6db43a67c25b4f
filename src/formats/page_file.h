// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "card/page_layout.h"
#include "formats/read_result.h"
#include "formats/safe_write.h"

// .dcm: exactly one CardImage, 131072 bytes, no header.
namespace quorvane::formats {

// Takes the first PAGE_SIZE bytes into cardImage; on any failure cardImage is unchanged.
ReadResult parsePageFile(std::span<const std::uint8_t> bytes, card::CardOrderPage& cardImage);
// The same from a file, of which no more than a page is read.
ReadResult readPageFile(const std::filesystem::path& path, card::CardOrderPage& cardImage);
WriteStatus writePageFile(const std::filesystem::path& path, const card::CardOrderPage& cardImage);

}  // namespace quorvane::formats
