// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "card/page_layout.h"

namespace quorvane::card {

inline std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline void writeLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(readLe16(bytes, offset)) |
           (static_cast<std::uint32_t>(readLe16(bytes, offset + 2)) << 16);
}

inline void writeLe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    writeLe16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    writeLe16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

// Card byte order reverses every aligned 4-byte group; the conversion is its own inverse.
// `from` and `to` have the same length, a multiple of 4, and do not overlap.
void reverseGroups(std::span<const std::uint8_t> from, std::span<std::uint8_t> to);
// The same, in place.
void reverseGroupsInPlace(std::span<std::uint8_t> bytes);

void cardToPage(const CardOrderPage& cardImage, PageBytes& pageImage);
void pageToCard(const PageBytes& pageImage, CardOrderPage& cardImage);

}  // namespace quorvane::card
