// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/dir_entry.h"

#include <algorithm>

#include "card/byte_order.h"

namespace quorvane::card {

static_assert(DIR_ENTRY_RESERVED_TAIL + 4 == DIR_ENTRY_SIZE);

DirEntry decodeDirEntry(std::span<const std::uint8_t, DIR_ENTRY_SIZE> bytes) {
    DirEntry entry;
    entry.fileType = bytes[DIR_ENTRY_FILE_TYPE];
    entry.copyFlag = bytes[DIR_ENTRY_COPY_FLAG];
    entry.firstBlock = readLe16(bytes, DIR_ENTRY_FIRST_BLOCK);
    std::copy_n(bytes.begin() + DIR_ENTRY_FILE_NAME, entry.fileName.size(), entry.fileName.begin());
    std::copy_n(bytes.begin() + DIR_ENTRY_TIME_STAMP, entry.timeStamp.size(),
                entry.timeStamp.begin());
    entry.sizeInBlocks = readLe16(bytes, DIR_ENTRY_SIZE_IN_BLOCKS);
    entry.headerOffset = readLe16(bytes, DIR_ENTRY_HEADER_OFFSET);
    std::copy_n(bytes.begin() + DIR_ENTRY_RESERVED_TAIL, entry.reservedTail.size(),
                entry.reservedTail.begin());
    return entry;
}

void encodeDirEntry(const DirEntry& entry, std::span<std::uint8_t, DIR_ENTRY_SIZE> bytes) {
    bytes[DIR_ENTRY_FILE_TYPE] = entry.fileType;
    bytes[DIR_ENTRY_COPY_FLAG] = entry.copyFlag;
    writeLe16(bytes, DIR_ENTRY_FIRST_BLOCK, entry.firstBlock);
    std::copy(entry.fileName.begin(), entry.fileName.end(), bytes.begin() + DIR_ENTRY_FILE_NAME);
    std::copy(entry.timeStamp.begin(), entry.timeStamp.end(), bytes.begin() + DIR_ENTRY_TIME_STAMP);
    writeLe16(bytes, DIR_ENTRY_SIZE_IN_BLOCKS, entry.sizeInBlocks);
    writeLe16(bytes, DIR_ENTRY_HEADER_OFFSET, entry.headerOffset);
    std::copy(entry.reservedTail.begin(), entry.reservedTail.end(),
              bytes.begin() + DIR_ENTRY_RESERVED_TAIL);
}

std::size_t slotOffset(int slot) {
    return DIR_OFFSET + static_cast<std::size_t>(slot) * DIR_ENTRY_SIZE;
}

DirEntry readSlot(const PageBytes& pageImage, int slot) {
    return decodeDirEntry(std::span<const std::uint8_t, DIR_ENTRY_SIZE>(
        pageImage.data() + slotOffset(slot), DIR_ENTRY_SIZE));
}

void writeSlot(PageBytes& pageImage, int slot, const DirEntry& entry) {
    encodeDirEntry(entry, std::span<std::uint8_t, DIR_ENTRY_SIZE>(
                              pageImage.data() + slotOffset(slot), DIR_ENTRY_SIZE));
}

std::string entryName(const DirEntry& entry) {
    const auto end = std::find(entry.fileName.begin(), entry.fileName.end(), 0);
    return std::string(entry.fileName.begin(), end);
}

std::uint16_t fatEntry(const PageBytes& pageImage, int block) {
    return readLe16(pageImage, FAT_OFFSET + static_cast<std::size_t>(block) * 2);
}

void setFatEntry(PageBytes& pageImage, int block, std::uint16_t value) {
    writeLe16(pageImage, FAT_OFFSET + static_cast<std::size_t>(block) * 2, value);
}

}  // namespace quorvane::card
