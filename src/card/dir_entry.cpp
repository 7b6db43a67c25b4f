#include "card/dir_entry.h"

#include <algorithm>

#include "card/byte_order.h"

namespace quorvane::card {

static_assert(DIR_ENTRY_RESERVED_TAIL + 4 == DIR_ENTRY_SIZE);

DirEntry DecodeDirEntry(std::span<const std::uint8_t, DIR_ENTRY_SIZE> bytes) {
    DirEntry entry;
    entry.fileType = bytes[DIR_ENTRY_FILE_TYPE];
    entry.copyFlag = bytes[DIR_ENTRY_COPY_FLAG];
    entry.firstBlock = ReadLe16(bytes, DIR_ENTRY_FIRST_BLOCK);
    std::copy_n(bytes.begin() + DIR_ENTRY_FILE_NAME, entry.fileName.size(), entry.fileName.begin());
    std::copy_n(bytes.begin() + DIR_ENTRY_TIME_STAMP, entry.timeStamp.size(),
                entry.timeStamp.begin());
    entry.sizeInBlocks = ReadLe16(bytes, DIR_ENTRY_SIZE_IN_BLOCKS);
    entry.headerOffset = ReadLe16(bytes, DIR_ENTRY_HEADER_OFFSET);
    std::copy_n(bytes.begin() + DIR_ENTRY_RESERVED_TAIL, entry.reservedTail.size(),
                entry.reservedTail.begin());
    return entry;
}

void EncodeDirEntry(const DirEntry& entry, std::span<std::uint8_t, DIR_ENTRY_SIZE> bytes) {
    bytes[DIR_ENTRY_FILE_TYPE] = entry.fileType;
    bytes[DIR_ENTRY_COPY_FLAG] = entry.copyFlag;
    WriteLe16(bytes, DIR_ENTRY_FIRST_BLOCK, entry.firstBlock);
    std::copy(entry.fileName.begin(), entry.fileName.end(), bytes.begin() + DIR_ENTRY_FILE_NAME);
    std::copy(entry.timeStamp.begin(), entry.timeStamp.end(), bytes.begin() + DIR_ENTRY_TIME_STAMP);
    WriteLe16(bytes, DIR_ENTRY_SIZE_IN_BLOCKS, entry.sizeInBlocks);
    WriteLe16(bytes, DIR_ENTRY_HEADER_OFFSET, entry.headerOffset);
    std::copy(entry.reservedTail.begin(), entry.reservedTail.end(),
              bytes.begin() + DIR_ENTRY_RESERVED_TAIL);
}

std::size_t SlotOffset(int slot) {
    return DIR_OFFSET + static_cast<std::size_t>(slot) * DIR_ENTRY_SIZE;
}

DirEntry ReadSlot(const PageBytes& pageImage, int slot) {
    return DecodeDirEntry(std::span<const std::uint8_t, DIR_ENTRY_SIZE>(
        pageImage.data() + SlotOffset(slot), DIR_ENTRY_SIZE));
}

void WriteSlot(PageBytes& pageImage, int slot, const DirEntry& entry) {
    EncodeDirEntry(entry, std::span<std::uint8_t, DIR_ENTRY_SIZE>(
                              pageImage.data() + SlotOffset(slot), DIR_ENTRY_SIZE));
}

std::string EntryName(const DirEntry& entry) {
    const auto end = std::find(entry.fileName.begin(), entry.fileName.end(), 0);
    return std::string(entry.fileName.begin(), end);
}

std::uint16_t FatEntry(const PageBytes& pageImage, int block) {
    return ReadLe16(pageImage, FAT_OFFSET + static_cast<std::size_t>(block) * 2);
}

void SetFatEntry(PageBytes& pageImage, int block, std::uint16_t value) {
    WriteLe16(pageImage, FAT_OFFSET + static_cast<std::size_t>(block) * 2, value);
}

}  // namespace quorvane::card
