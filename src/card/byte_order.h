#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "card/page_layout.h"

namespace quorvane::card {

inline std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline void WriteLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// Card byte order reverses every aligned 4-byte group; the conversion is its own inverse.
// `from` and `to` have the same length, a multiple of 4, and do not overlap.
void ReverseGroups(std::span<const std::uint8_t> from, std::span<std::uint8_t> to);
// The same, in place.
void ReverseGroupsInPlace(std::span<std::uint8_t> bytes);

void CardToPage(const PageBytes& cardImage, PageBytes& pageImage);
void PageToCard(const PageBytes& pageImage, PageBytes& cardImage);

}  // namespace quorvane::card
