// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/file_system.h"

#include <algorithm>
#include <memory>

#include "card/byte_order.h"
#include "card/root_block.h"

namespace quorvane::card {

namespace {

using DataBlockSet = std::array<bool, DATA_BLOCK_COUNT>;

bool isValidSlot(int slot) {
    return slot >= 0 && slot < DIR_SLOT_COUNT;
}

std::uint8_t* slotBytes(PageBytes& pageImage, int slot) {
    return pageImage.data() + slotOffset(slot);
}

// Follows the FAT from `first` for `length` blocks. The walk stops before a block that holds no
// data (a system block, FAT_END, FAT_FREE or past the page), one it has already visited (a
// loop), or one in `forbidden`; a link is only read when another block is still due, so a
// FAT_END after the last block is never looked at.
FileChain walkChain(const PageBytes& pageImage, long first, long length,
                    const DataBlockSet* forbidden = nullptr) {
    FileChain walk;
    DataBlockSet visited{};
    long block = first;
    for (long k = 0; k < length; ++k) {
        if (!isDataBlock(block)) {
            return walk;
        }
        const auto index = static_cast<std::size_t>(block);
        if (visited[index] || (forbidden != nullptr && (*forbidden)[index])) {
            return walk;
        }
        visited[index] = true;
        walk.blocks.push_back(static_cast<int>(block));
        if (k + 1 < length) {
            block = fatEntry(pageImage, static_cast<int>(block));
        }
    }
    walk.complete = true;
    return walk;
}

FileChain walkFileChain(const PageBytes& pageImage, const DirEntry& entry,
                        const DataBlockSet* forbidden = nullptr) {
    return walkChain(pageImage, entry.firstBlock, entry.sizeInBlocks, forbidden);
}

// Every block that the chain of an in-use file other than `slot` reaches.
DataBlockSet blocksOfOtherFiles(const PageBytes& pageImage, int slot) {
    DataBlockSet reached{};
    for (int other : enumerateFiles(pageImage)) {
        if (other == slot) {
            continue;
        }
        for (int block : walkFileChain(pageImage, readSlot(pageImage, other)).blocks) {
            reached[static_cast<std::size_t>(block)] = true;
        }
    }
    return reached;
}

std::uint8_t* blockData(PageBytes& pageImage, int block) {
    return pageImage.data() + static_cast<std::size_t>(block) * BLOCK_SIZE;
}

const std::uint8_t* blockData(const PageBytes& pageImage, int block) {
    return pageImage.data() + static_cast<std::size_t>(block) * BLOCK_SIZE;
}

// Block k of a file's data, zeros where the data ends before it.
void copyFileBlock(const std::vector<std::uint8_t>& data, std::size_t k, std::uint8_t* block) {
    const std::size_t start = std::min(k * BLOCK_SIZE, data.size());
    const std::size_t length = std::min(BLOCK_SIZE, data.size() - start);
    std::copy_n(data.begin() + static_cast<long>(start), length, block);
    std::fill(block + length, block + BLOCK_SIZE, 0);
}

}  // namespace

int countFreeUserBlocks(const PageBytes& pageImage) {
    int count = 0;
    for (int block = 0; block < USER_BLOCK_COUNT; ++block) {
        if (fatEntry(pageImage, block) == FAT_FREE) {
            ++count;
        }
    }
    return count;
}

FileChain followChain(const PageBytes& pageImage, int slot) {
    if (!isValidSlot(slot)) {
        return {};
    }
    return walkFileChain(pageImage, readSlot(pageImage, slot));
}

std::vector<std::uint8_t> chainData(const PageBytes& pageImage, const std::vector<int>& blocks) {
    std::vector<std::uint8_t> data(blocks.size() * BLOCK_SIZE);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        std::copy_n(blockData(pageImage, blocks[k]), BLOCK_SIZE,
                    data.begin() + static_cast<long>(k * BLOCK_SIZE));
    }
    return data;
}

std::vector<int> filesBeyondUserBlocks(const PageBytes& pageImage) {
    std::vector<int> slots;
    for (int slot : enumerateFiles(pageImage)) {
        const std::vector<int> blocks = followChain(pageImage, slot).blocks;
        if (std::any_of(blocks.begin(), blocks.end(),
                        [](int block) { return !isUserBlock(block); })) {
            slots.push_back(slot);
        }
    }
    return slots;
}

std::vector<int> enumerateFiles(const PageBytes& pageImage) {
    std::vector<int> slots;
    for (int slot = 0; slot < DIR_SLOT_COUNT; ++slot) {
        if (pageImage[slotOffset(slot) + DIR_ENTRY_FILE_TYPE] != 0) {
            slots.push_back(slot);
        }
    }
    return slots;
}

BlockCounts countBlocks(const PageBytes& pageImage) {
    BlockCounts counts;
    for (int slot : enumerateFiles(pageImage)) {
        counts.used += readSlot(pageImage, slot).sizeInBlocks;
    }
    counts.free = USER_BLOCK_COUNT - counts.used;
    return counts;
}

ExtractResult extractFile(const PageBytes& pageImage, int slot, CardFile& file) {
    if (!isValidSlot(slot)) {
        return ExtractResult::BadSlot;
    }
    file.entry = readSlot(pageImage, slot);
    file.data.clear();
    // More blocks than the user area holds cannot be a real file.
    if (file.entry.sizeInBlocks > USER_BLOCK_COUNT) {
        return ExtractResult::DamagedChain;
    }
    // Walk first, copy after: a refused file is left without data.
    const FileChain walk = walkFileChain(pageImage, file.entry);
    if (!walk.complete) {
        return ExtractResult::DamagedChain;
    }
    file.data = chainData(pageImage, walk.blocks);
    return ExtractResult::Extracted;
}

std::vector<int> filesSharingBlocks(const PageBytes& pageImage, int slot) {
    std::vector<int> sharing;
    if (!isValidSlot(slot)) {
        return sharing;
    }
    DataBlockSet own{};
    for (int block : walkFileChain(pageImage, readSlot(pageImage, slot)).blocks) {
        own[static_cast<std::size_t>(block)] = true;
    }
    for (int other : enumerateFiles(pageImage)) {
        const std::vector<int> blocks = walkFileChain(pageImage, readSlot(pageImage, other)).blocks;
        if (other != slot && std::any_of(blocks.begin(), blocks.end(), [&own](int block) {
                return own[static_cast<std::size_t>(block)];
            })) {
            sharing.push_back(other);
        }
    }
    return sharing;
}

int findFreeDirSlot(const PageBytes& pageImage) {
    for (int slot = DIR_SLOT_COUNT - 1; slot >= 0; --slot) {
        if (pageImage[slotOffset(slot) + DIR_ENTRY_FILE_TYPE] == 0) {
            return slot;
        }
    }
    return -1;
}

int findTopFreeBlock(const PageBytes& pageImage) {
    return findFreeBlockFrom(pageImage, USER_BLOCK_COUNT - 1);
}

int findFreeBlockFrom(const PageBytes& pageImage, int block) {
    // Only the FAT entries of user blocks are ever searched.
    for (int candidate = std::min(block, USER_BLOCK_COUNT - 1); candidate >= 0; --candidate) {
        if (fatEntry(pageImage, candidate) == FAT_FREE) {
            return candidate;
        }
    }
    return -1;
}

bool fitsOnPage(int sizeInBlocks, int freeBlockCount) {
    return sizeInBlocks <= freeBlockCount;
}

namespace {

// Block k of `file` into `block`, which becomes part of its chain.
void putFileBlock(PageBytes& pageImage, DirtyMap& dirtyMap, const CardFile& file, int k,
                  int block) {
    dirtyMap[static_cast<std::size_t>(block)] = 1;
    copyFileBlock(file.data, static_cast<std::size_t>(k), blockData(pageImage, block));
}

// A data file's blocks: the highest free ones from `lowest` up, chained downward. The caller has
// counted them; returns the first block.
int placeDownward(PageBytes& pageImage, DirtyMap& dirtyMap, const CardFile& file, int lowest) {
    const auto freeFrom = [&](int from) {
        const int found = findFreeBlockFrom(pageImage, from);
        return found >= lowest ? found : -1;
    };
    const int first = freeFrom(USER_BLOCK_COUNT - 1);
    int block = first;
    int last = block;
    for (int k = 0; k < file.entry.sizeInBlocks; ++k) {
        putFileBlock(pageImage, dirtyMap, file, k, block);
        // Taken before the search, so that the search skips this block.
        setFatEntry(pageImage, block, FAT_END);
        const int next = freeFrom(block);
        setFatEntry(pageImage, block, static_cast<std::uint16_t>(next));
        last = block;
        block = next;
    }
    setFatEntry(pageImage, last, FAT_END);
    return first;
}

// A game's blocks: 0..n-1 upward, where the console runs it from; the caller has checked they
// are free.
void placeAtStart(PageBytes& pageImage, DirtyMap& dirtyMap, const CardFile& file) {
    const int blocks = file.entry.sizeInBlocks;
    for (int k = 0; k < blocks; ++k) {
        putFileBlock(pageImage, dirtyMap, file, k, k);
        setFatEntry(pageImage, k, k + 1 < blocks ? static_cast<std::uint16_t>(k + 1) : FAT_END);
    }
}

int freeBlocksFrom(const PageBytes& pageImage, int lowest) {
    int count = 0;
    for (int block = lowest; block < USER_BLOCK_COUNT; ++block) {
        count += fatEntry(pageImage, block) == FAT_FREE ? 1 : 0;
    }
    return count;
}

}  // namespace

bool isGame(const DirEntry& entry) {
    return entry.fileType == GAME_FILE_TYPE;
}

bool startBlocksFree(const PageBytes& pageImage, int blocks) {
    for (int block = 0; block < std::min(blocks, USER_BLOCK_COUNT); ++block) {
        if (fatEntry(pageImage, block) != FAT_FREE) {
            return false;
        }
    }
    return blocks <= USER_BLOCK_COUNT;
}

std::optional<int> findGame(const PageBytes& pageImage) {
    for (int slot : enumerateFiles(pageImage)) {
        if (isGame(readSlot(pageImage, slot))) {
            return slot;
        }
    }
    return std::nullopt;
}

std::optional<int> findFileNamed(const PageBytes& pageImage, const std::string& name) {
    for (int slot : enumerateFiles(pageImage)) {
        if (entryName(readSlot(pageImage, slot)) == name) {
            return slot;
        }
    }
    return std::nullopt;
}

StoreResult storeNewFile(PageBytes& pageImage, DirtyMap& dirtyMap, CardFile& file) {
    DirEntry& entry = file.entry;
    if (!entry.inUse()) {
        return StoreResult::FreeEntryType;
    }
    const int slot = findFreeDirSlot(pageImage);
    if (slot < 0) {
        return StoreResult::NoFreeSlot;
    }
    // The free count of the listing comes from the directory; the FAT decides what is possible.
    const int blocks = entry.sizeInBlocks;
    if (blocks > countFreeUserBlocks(pageImage)) {
        return StoreResult::NotEnoughBlocks;
    }
    const bool atStart = isGame(entry) && blocks > 0;
    if (atStart && !startBlocksFree(pageImage, blocks)) {
        return StoreResult::StartBlocksTaken;
    }

    if (blocks == 0) {
        // A file without data takes no block: a delete (which frees sizeInBlocks blocks)
        // could never give one back.
        entry.firstBlock = FAT_END;
    } else if (atStart) {
        placeAtStart(pageImage, dirtyMap, file);
        entry.firstBlock = 0;
    } else {
        entry.firstBlock = static_cast<std::uint16_t>(placeDownward(pageImage, dirtyMap, file, 0));
    }
    markSystemBlocks(dirtyMap);
    writeSlot(pageImage, slot, entry);
    return StoreResult::Stored;
}

namespace {

// The in-use files whose chains reach blocks 0..blocks-1; none when one of those blocks is
// allocated to no whole file of the user area, or a block of those files is shared with another
// chain: no move could account for it without taking another file's blocks.
std::optional<std::vector<int>> filesAtStart(const PageBytes& pageImage, int blocks) {
    DataBlockSet owned{};
    std::array<int, DATA_BLOCK_COUNT> chainsReaching{};
    std::vector<int> slots;
    for (int slot : enumerateFiles(pageImage)) {
        const FileChain walk = followChain(pageImage, slot);
        for (int block : walk.blocks) {
            ++chainsReaching[static_cast<std::size_t>(block)];
        }
        const bool atStart = std::any_of(walk.blocks.begin(), walk.blocks.end(),
                                         [&](int block) { return block < blocks; });
        if (!atStart) {
            continue;
        }
        // A last block marked free, or a chain running on past the file, is a damaged file:
        // moving it would take a block the FAT gives to nobody, or leave blocks lost.
        const bool whole = walk.complete && !walk.blocks.empty() &&
                           fatEntry(pageImage, walk.blocks.back()) == FAT_END &&
                           std::all_of(walk.blocks.begin(), walk.blocks.end(),
                                       [](int block) { return isUserBlock(block); });
        if (!whole) {
            return std::nullopt;
        }
        slots.push_back(slot);
        for (int block : walk.blocks) {
            owned[static_cast<std::size_t>(block)] = true;
        }
    }
    for (int block = 0; block < blocks; ++block) {
        if (fatEntry(pageImage, block) != FAT_FREE && !owned[static_cast<std::size_t>(block)]) {
            return std::nullopt;
        }
    }
    for (std::size_t block = 0; block < owned.size(); ++block) {
        if (owned[block] && chainsReaching[block] > 1) {
            return std::nullopt;
        }
    }
    return slots;
}

}  // namespace

MoveResult moveFilesFromStart(PageBytes& pageImage, DirtyMap& dirtyMap, int blocks) {
    const std::optional<std::vector<int>> slots = filesAtStart(pageImage, blocks);
    if (!slots) {
        return MoveResult::StartNotMovable;
    }
    // Worked on copies, so that a move without room leaves the page as it was.
    auto moved = std::make_unique<PageBytes>(pageImage);
    DirtyMap movedDirty = dirtyMap;
    std::vector<CardFile> files(slots->size());
    int needed = 0;
    // Every file is taken before any block is freed: cross-linked chains share blocks.
    for (std::size_t k = 0; k < slots->size(); ++k) {
        extractFile(pageImage, (*slots)[k], files[k]);
        needed += files[k].entry.sizeInBlocks;
    }
    for (int slot : *slots) {
        for (int block : followChain(pageImage, slot).blocks) {
            setFatEntry(*moved, block, FAT_FREE);
        }
    }
    if (needed > freeBlocksFrom(*moved, blocks)) {
        return MoveResult::NoRoom;
    }
    for (std::size_t k = 0; k < slots->size(); ++k) {
        files[k].entry.firstBlock =
            static_cast<std::uint16_t>(placeDownward(*moved, movedDirty, files[k], blocks));
        writeSlot(*moved, (*slots)[k], files[k].entry);
    }
    markSystemBlocks(movedDirty);
    pageImage = *moved;
    dirtyMap = movedDirty;
    return MoveResult::Moved;
}

DeleteResult deleteFile(PageBytes& pageImage, DirtyMap& dirtyMap, int slot) {
    if (!isValidSlot(slot)) {
        return DeleteResult::BadSlot;
    }
    const DirEntry entry = readSlot(pageImage, slot);
    if (!entry.inUse()) {
        return DeleteResult::SlotAlreadyFree;
    }
    // A cross-linked chain must not take another file's blocks with it.
    const DataBlockSet otherFiles = blocksOfOtherFiles(pageImage, slot);
    const FileChain walk = walkFileChain(pageImage, entry, &otherFiles);

    slotBytes(pageImage, slot)[DIR_ENTRY_FILE_TYPE] = 0;
    // Blocks the card does not count as its own keep their FAT entries as the card holds them;
    // on a card that counts blocks 200..240 a kept entry would lose the block for good.
    const int userBlocks = userBlockCountOf(pageImage);
    bool keptBeyondUserBlocks = false;
    for (int block : walk.blocks) {
        if (block < userBlocks) {
            setFatEntry(pageImage, block, FAT_FREE);
        } else {
            keptBeyondUserBlocks = true;
        }
    }
    markSystemBlocks(dirtyMap);
    if (!walk.complete) {
        return DeleteResult::DeletedDamagedChain;
    }
    return keptBeyondUserBlocks ? DeleteResult::DeletedKeepingBlocksBeyondUserArea
                                : DeleteResult::Deleted;
}

void deleteAllFiles(PageBytes& pageImage, DirtyMap& dirtyMap) {
    const int userBlocks = userBlockCountOf(pageImage);
    for (int block = 0; block < userBlocks; ++block) {
        setFatEntry(pageImage, block, FAT_FREE);
    }
    for (int slot = 0; slot < DIR_SLOT_COUNT; ++slot) {
        slotBytes(pageImage, slot)[DIR_ENTRY_FILE_TYPE] = 0;
    }
    markSystemBlocks(dirtyMap);
}

void markSystemBlocks(DirtyMap& dirtyMap) {
    std::fill(dirtyMap.begin() + DIR_FIRST_BLOCK, dirtyMap.end(), 1);
}

namespace {

// Format date of a page made without a clock: 2000-01-01 00:00:00, a Saturday.
constexpr FormatTime ROOT_FORMAT_TIME_BCD = {0x20, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x05};

void formatRootBlock(PageBytes& pageImage, const FormatTime& formatTime) {
    std::span<std::uint8_t> root(blockData(pageImage, ROOT_BLOCK), BLOCK_SIZE);
    std::fill_n(root.begin(), ROOT_FORMAT_MARK_SIZE, ROOT_FORMAT_MARK);
    std::copy(formatTime.begin(), formatTime.end(), root.begin() + ROOT_FORMAT_TIME);
    writeLe16(root, ROOT_LAST_BLOCK, BLOCK_COUNT - 1);
    writeLe16(root, ROOT_ROOT_LOCATION, ROOT_BLOCK);
    writeLe16(root, ROOT_FAT_LOCATION, FAT_BLOCK);
    writeLe16(root, ROOT_FAT_SIZE, 1);
    writeLe16(root, ROOT_DIR_LOCATION, DIR_LAST_BLOCK);
    writeLe16(root, ROOT_DIR_SIZE, DIR_LAST_BLOCK - DIR_FIRST_BLOCK + 1);
    writeLe16(root, ROOT_USER_BLOCKS, USER_BLOCK_COUNT);
}

void formatFat(PageBytes& pageImage) {
    for (int block = 0; block <= UNUSED_LAST_BLOCK; ++block) {
        setFatEntry(pageImage, block, FAT_FREE);
    }
    // The directory is a chain of its own, from its last block downward.
    for (int block = DIR_LAST_BLOCK; block > DIR_FIRST_BLOCK; --block) {
        setFatEntry(pageImage, block, static_cast<std::uint16_t>(block - 1));
    }
    setFatEntry(pageImage, DIR_FIRST_BLOCK, FAT_END);
    setFatEntry(pageImage, FAT_BLOCK, FAT_END);
    setFatEntry(pageImage, ROOT_BLOCK, FAT_END);
}

void formatSystemArea(PageBytes& pageImage, const FormatTime& formatTime) {
    std::fill(pageImage.begin() + static_cast<long>(DIR_OFFSET), pageImage.end(), 0);
    formatRootBlock(pageImage, formatTime);
    formatFat(pageImage);
}

}  // namespace

void formatPage(PageBytes& pageImage) {
    formatPage(pageImage, ROOT_FORMAT_TIME_BCD);
}

void formatPage(PageBytes& pageImage, const FormatTime& formatTime) {
    pageImage.fill(0);
    formatSystemArea(pageImage, formatTime);
}

void formatSystemBlocks(PageBytes& pageImage, DirtyMap& dirtyMap, const FormatTime& formatTime) {
    formatSystemArea(pageImage, formatTime);
    markSystemBlocks(dirtyMap);
}

}  // namespace quorvane::card
