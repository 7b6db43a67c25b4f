// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/listing.h"

#include <algorithm>

#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/save_header.h"

namespace quorvane::card {

namespace {

struct InfoLineField {
    std::size_t offset;
    std::size_t length;
};
// The save header's text fields, in the order of the information lines.
constexpr InfoLineField INFO_LINES[3] = {{SHORT_DESCRIPTION_OFFSET, SHORT_DESCRIPTION_SIZE},
                                         {LONG_DESCRIPTION_OFFSET, LONG_DESCRIPTION_SIZE},
                                         {APPLICATION_NAME_OFFSET, APPLICATION_NAME_SIZE}};

std::string textUpToZero(const std::uint8_t* bytes, std::size_t length) {
    const std::uint8_t* end = std::find(bytes, bytes + length, 0);
    return std::string(bytes, end);
}

}  // namespace

std::vector<FileRow> listFileRows(const PageBytes& pageImage) {
    std::vector<FileRow> rows;
    for (int slot : enumerateFiles(pageImage)) {
        const DirEntry entry = readSlot(pageImage, slot);
        rows.push_back(FileRow{slot, entryName(entry), entry.sizeInBlocks});
    }
    return rows;
}

int findSlotByName(const PageBytes& pageImage, const std::string& name) {
    for (int slot : enumerateFiles(pageImage)) {
        if (entryName(readSlot(pageImage, slot)) == name) {
            return slot;
        }
    }
    return -1;
}

FileInfoLines readFileInfo(const PageBytes& pageImage, int slot) {
    FileInfoLines lines;
    if (slot < 0 || slot >= DIR_SLOT_COUNT) {
        return lines;
    }
    const DirEntry entry = readSlot(pageImage, slot);
    if (entry.sizeInBlocks == 0 || !isDataBlock(entry.firstBlock)) {
        return lines;
    }
    // A game keeps its code first and its save header in the block its header offset names.
    int headerBlock = entry.firstBlock;
    if (entry.headerOffset != 0) {
        const FileChain chain = followChain(pageImage, slot);
        if (entry.headerOffset >= chain.blocks.size()) {
            return lines;
        }
        headerBlock = chain.blocks[entry.headerOffset];
    }
    const std::uint8_t* block =
        pageImage.data() + static_cast<std::size_t>(headerBlock) * BLOCK_SIZE;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i] = textUpToZero(block + INFO_LINES[i].offset, INFO_LINES[i].length);
    }
    return lines;
}

}  // namespace quorvane::card
