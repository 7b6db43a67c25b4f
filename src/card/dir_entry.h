// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "card/page_layout.h"

namespace quorvane::card {

// One 32-byte directory entry, the same in PageImage and .ddc/.dci files.
struct DirEntry {
    std::uint8_t fileType = 0;                   // 1 byte at 0: 0 = slot free
    std::uint8_t copyFlag = 0;                   // 1 byte at 1
    std::uint16_t firstBlock = 0;                // 2 bytes at 2, little-endian
    std::array<std::uint8_t, 12> fileName{};     // 12 bytes at 4, no terminator required
    std::array<std::uint8_t, 8> timeStamp{};     // 8 bytes at 16: century, year .. second, weekday
    std::uint16_t sizeInBlocks = 0;              // 2 bytes at 24, little-endian
    std::uint16_t headerOffset = 0;              // 2 bytes at 26, little-endian
    std::array<std::uint8_t, 4> reservedTail{};  // 4 bytes at 28

    bool inUse() const { return fileType != 0; }
    bool operator==(const DirEntry&) const = default;
};

// What fileType and copyFlag hold on a card written by the console.
inline constexpr std::uint8_t DATA_FILE_TYPE = 0x33;
inline constexpr std::uint8_t GAME_FILE_TYPE = 0xCC;
inline constexpr std::uint8_t COPY_PROTECTED = 0xFF;

inline constexpr std::size_t DIR_ENTRY_FILE_TYPE = 0;
inline constexpr std::size_t DIR_ENTRY_COPY_FLAG = 1;
inline constexpr std::size_t DIR_ENTRY_FIRST_BLOCK = 2;
inline constexpr std::size_t DIR_ENTRY_FILE_NAME = 4;
inline constexpr std::size_t DIR_ENTRY_TIME_STAMP = 16;
inline constexpr std::size_t DIR_ENTRY_SIZE_IN_BLOCKS = 24;
inline constexpr std::size_t DIR_ENTRY_HEADER_OFFSET = 26;
inline constexpr std::size_t DIR_ENTRY_RESERVED_TAIL = 28;

DirEntry decodeDirEntry(std::span<const std::uint8_t, DIR_ENTRY_SIZE> bytes);
void encodeDirEntry(const DirEntry& entry, std::span<std::uint8_t, DIR_ENTRY_SIZE> bytes);

// Slot access on a PageImage; slot must lie in 0..207.
DirEntry readSlot(const PageBytes& pageImage, int slot);
void writeSlot(PageBytes& pageImage, int slot, const DirEntry& entry);
std::size_t slotOffset(int slot);

// The name bytes up to the first zero byte, at most 12 (bytes, not decoded text).
std::string entryName(const DirEntry& entry);

// FAT entry of a block 0..255 in a PageImage.
std::uint16_t fatEntry(const PageBytes& pageImage, int block);
void setFatEntry(PageBytes& pageImage, int block, std::uint16_t value);

}  // namespace quorvane::card
