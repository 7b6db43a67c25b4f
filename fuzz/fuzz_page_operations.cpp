// SPDX-License-Identifier: GPL-3.0-or-later
// The card file system on an arbitrary page: listing, counting, information lines,
// extractFile, deleteFile, deleteAllFiles and storeNewFile of an arbitrary entry, making room
// at the start for a game, the page check, the repair of lost blocks and every file's icon.
//
// Input: 40 bytes of operation (kind, slot, entry, data fill), then either a whole page or
// bytes laid over the directory, FAT and root block of a formatted page.
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/listing.h"
#include "card/page_check.h"
#include "card/root_block.h"
#include "card/save_header.h"
#include "fuzz_check.h"

using namespace quorvane;
using card::PageBytes;

namespace {

constexpr std::size_t OPERATION_SIZE = 40;

struct Operation {
    int kind = 0;
    int slot = 0;
    card::DirEntry entry;
    std::uint8_t fill = 0;
};

Operation decodeOperation(std::span<const std::uint8_t, OPERATION_SIZE> bytes) {
    Operation op;
    op.kind = bytes[0] % 6;
    op.slot = static_cast<int>(bytes[1] | (bytes[2] << 8)) % 212 - 2;  // a few out of range
    op.entry = card::decodeDirEntry(bytes.subspan<3, card::DIR_ENTRY_SIZE>());
    op.fill = bytes[35];
    return op;
}

void loadPage(std::span<const std::uint8_t> bytes, PageBytes& page) {
    if (bytes.size() >= card::PAGE_SIZE) {
        std::memcpy(page.data(), bytes.data(), card::PAGE_SIZE);
        return;
    }
    card::formatPage(page);
    std::size_t room = card::PAGE_SIZE - card::DIR_OFFSET;
    std::memcpy(page.data() + card::DIR_OFFSET, bytes.data(), std::min(room, bytes.size()));
}

bool blockEqual(const PageBytes& a, const PageBytes& b, int block) {
    std::size_t offset = static_cast<std::size_t>(block) * card::BLOCK_SIZE;
    return std::memcmp(a.data() + offset, b.data() + offset, card::BLOCK_SIZE) == 0;
}

// What must hold after any operation: the blocks and FAT entries it may never touch (those
// beyond the user blocks the card counts) are as they were, and only the blocks it may change
// are marked.
void checkUntouchedRegions(const PageBytes& before, const PageBytes& after,
                           const card::DirtyMap& dirty) {
    for (int block = card::UNUSED_FIRST_BLOCK; block <= card::UNUSED_LAST_BLOCK; ++block) {
        QUORVANE_FUZZ_CHECK(blockEqual(before, after, block));
        QUORVANE_FUZZ_CHECK(dirty[static_cast<std::size_t>(block)] == 0);
    }
    QUORVANE_FUZZ_CHECK(blockEqual(before, after, card::ROOT_BLOCK));
    for (int block = card::userBlockCountOf(before); block < card::BLOCK_COUNT; ++block) {
        QUORVANE_FUZZ_CHECK(card::fatEntry(before, block) == card::fatEntry(after, block));
    }
}

// Blocks reachable along the chain of `slot`, stopping where a walk must stop.
std::set<int> chainBlocks(const PageBytes& page, int slot) {
    std::set<int> blocks;
    card::DirEntry entry = card::readSlot(page, slot);
    int block = entry.firstBlock;
    for (int k = 0; k < entry.sizeInBlocks; ++k) {
        if (!card::isDataBlock(block) || blocks.count(block) != 0) {
            break;
        }
        blocks.insert(block);
        block = card::fatEntry(page, block);
    }
    return blocks;
}

void checkListing(const PageBytes& page) {
    std::vector<int> slots = card::enumerateFiles(page);
    std::vector<card::FileRow> rows = card::listFileRows(page);
    QUORVANE_FUZZ_CHECK(rows.size() == slots.size());
    int used = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QUORVANE_FUZZ_CHECK(rows[i].slot == slots[i]);
        QUORVANE_FUZZ_CHECK(rows[i].name.size() <= 12);
        used += rows[i].sizeInBlocks;
        card::FileInfoLines lines = card::readFileInfo(page, rows[i].slot);
        QUORVANE_FUZZ_CHECK(lines[0].size() <= 16 && lines[1].size() <= 32 &&
                            lines[2].size() <= 16);
    }
    card::BlockCounts counts = card::countBlocks(page);
    QUORVANE_FUZZ_CHECK(counts.used == used && counts.free == card::USER_BLOCK_COUNT - used);
}

void runExtract(const PageBytes& page, int slot) {
    card::CardFile file;
    card::ExtractResult result = card::extractFile(page, slot, file);
    if (result == card::ExtractResult::BadSlot) {
        QUORVANE_FUZZ_CHECK(slot < 0 || slot >= card::DIR_SLOT_COUNT);
        return;
    }
    card::DirEntry entry = card::readSlot(page, slot);
    QUORVANE_FUZZ_CHECK(file.entry == entry);
    if (result == card::ExtractResult::Extracted) {
        // Every block came along a valid chain.
        QUORVANE_FUZZ_CHECK(entry.sizeInBlocks <= card::USER_BLOCK_COUNT);
        QUORVANE_FUZZ_CHECK(chainBlocks(page, slot).size() == entry.sizeInBlocks);
        QUORVANE_FUZZ_CHECK(file.data.size() == std::size_t{entry.sizeInBlocks} * card::BLOCK_SIZE);
    } else {
        QUORVANE_FUZZ_CHECK(file.data.empty());
    }
}

void runDelete(PageBytes& page, card::DirtyMap& dirty, int slot) {
    const PageBytes before = page;
    std::set<int> othersBlocks;
    for (int other : card::enumerateFiles(page)) {
        if (other != slot) {
            std::set<int> chain = chainBlocks(page, other);
            othersBlocks.insert(chain.begin(), chain.end());
        }
    }
    card::DeleteResult result = card::deleteFile(page, dirty, slot);
    checkUntouchedRegions(before, page, dirty);
    if (result == card::DeleteResult::BadSlot || result == card::DeleteResult::SlotAlreadyFree) {
        QUORVANE_FUZZ_CHECK(page == before);
        QUORVANE_FUZZ_CHECK(std::all_of(dirty.begin(), dirty.end(), [](auto f) { return f == 0; }));
        return;
    }
    for (int block = 0; block < card::userBlockCountOf(before); ++block) {
        QUORVANE_FUZZ_CHECK(blockEqual(before, page, block));  // data blocks are not touched
        std::uint16_t was = card::fatEntry(before, block);
        std::uint16_t now = card::fatEntry(page, block);
        if (was != now) {
            QUORVANE_FUZZ_CHECK(now == card::FAT_FREE);
            QUORVANE_FUZZ_CHECK(othersBlocks.count(block) == 0);  // never another file's block
        }
        QUORVANE_FUZZ_CHECK(dirty[static_cast<std::size_t>(block)] == 0);
    }
    QUORVANE_FUZZ_CHECK(!card::readSlot(page, slot).inUse());
}

void runStore(PageBytes& page, card::DirtyMap& dirty, card::DirEntry entry, std::uint8_t fill) {
    const PageBytes before = page;
    card::CardFile file{
        entry,
        std::vector<std::uint8_t>(
            std::min<std::size_t>(entry.sizeInBlocks, card::USER_BLOCK_COUNT) * card::BLOCK_SIZE)};
    for (std::size_t i = 0; i < file.data.size(); ++i) {
        file.data[i] = static_cast<std::uint8_t>(fill + i / card::BLOCK_SIZE);
    }
    int slot = card::findFreeDirSlot(page);
    card::StoreResult result = card::storeNewFile(page, dirty, file);
    entry = file.entry;
    const std::vector<std::uint8_t>& data = file.data;
    checkUntouchedRegions(before, page, dirty);
    if (result != card::StoreResult::Stored) {
        QUORVANE_FUZZ_CHECK(page == before);  // refused: nothing changed
        QUORVANE_FUZZ_CHECK(std::all_of(dirty.begin(), dirty.end(), [](auto f) { return f == 0; }));
        return;
    }
    QUORVANE_FUZZ_CHECK(slot >= 0);
    QUORVANE_FUZZ_CHECK(card::readSlot(page, slot) == entry);
    // The chain runs through blocks that were free, carrying the data: a data file strictly
    // downward, a game upward from block 0.
    const bool game = card::isGame(entry);
    QUORVANE_FUZZ_CHECK(!game || entry.sizeInBlocks == 0 || entry.firstBlock == 0);
    int block = entry.firstBlock;
    for (int k = 0; k < entry.sizeInBlocks; ++k) {
        QUORVANE_FUZZ_CHECK(card::isUserBlock(block));
        QUORVANE_FUZZ_CHECK(card::fatEntry(before, block) == card::FAT_FREE);
        QUORVANE_FUZZ_CHECK(dirty[static_cast<std::size_t>(block)] == 1);
        std::size_t offset = static_cast<std::size_t>(block) * card::BLOCK_SIZE;
        QUORVANE_FUZZ_CHECK(std::memcmp(page.data() + offset,
                                        data.data() + std::size_t(k) * card::BLOCK_SIZE,
                                        card::BLOCK_SIZE) == 0);
        int next = card::fatEntry(page, block);
        if (k + 1 == entry.sizeInBlocks) {
            QUORVANE_FUZZ_CHECK(next == card::FAT_END);
        } else {
            QUORVANE_FUZZ_CHECK(game ? next == block + 1 : next < block);
        }
        block = next;
    }
}

// Making room for a game of `blocks` blocks: either nothing changed, or blocks 0..blocks-1 are
// free and every file still holds the bytes it held, wherever it went.
void runMoveFromStart(PageBytes& page, card::DirtyMap& dirty, int blocks) {
    const auto before = std::make_unique<PageBytes>(page);
    const card::MoveResult result = card::moveFilesFromStart(page, dirty, blocks);
    if (result != card::MoveResult::Moved) {
        QUORVANE_FUZZ_CHECK(page == *before);
        QUORVANE_FUZZ_CHECK(std::all_of(dirty.begin(), dirty.end(), [](auto f) { return f == 0; }));
        return;
    }
    checkUntouchedRegions(*before, page, dirty);
    QUORVANE_FUZZ_CHECK(card::startBlocksFree(page, blocks));
    QUORVANE_FUZZ_CHECK(card::countFreeUserBlocks(page) == card::countFreeUserBlocks(*before));
    for (int slot : card::enumerateFiles(*before)) {
        card::CardFile was;
        card::CardFile is;
        if (card::extractFile(*before, slot, was) == card::ExtractResult::Extracted) {
            QUORVANE_FUZZ_CHECK(card::extractFile(page, slot, is) ==
                                card::ExtractResult::Extracted);
            QUORVANE_FUZZ_CHECK(is.data == was.data);
        }
    }
}

// Blocks that some in-use file's chain reaches when followed by its links, whatever its size.
std::set<int> blocksAnyChainReaches(const PageBytes& page) {
    std::set<int> reached;
    for (int slot : card::enumerateFiles(page)) {
        const card::DirEntry entry = card::readSlot(page, slot);
        if (entry.sizeInBlocks == 0) {
            continue;
        }
        std::set<int> chain;
        int block = entry.firstBlock;
        while (card::isDataBlock(block) && chain.insert(block).second) {
            block = card::fatEntry(page, block);
        }
        reached.insert(chain.begin(), chain.end());
    }
    return reached;
}

void runCheck(PageBytes& page, card::DirtyMap& dirty) {
    const card::PageCheck check = card::checkPage(page);
    for (const card::FileFinding& finding : check.files) {
        QUORVANE_FUZZ_CHECK(finding.slot >= 0 && finding.slot < card::DIR_SLOT_COUNT);
    }
    for (int slot : card::enumerateFiles(page)) {
        if (const auto icon = card::fileIcon(page, slot)) {
            QUORVANE_FUZZ_CHECK(!icon->frames.empty() && icon->frames.size() <= 3);
        }
    }
    const PageBytes before = page;
    const std::set<int> reached = blocksAnyChainReaches(page);
    const int freed = card::freeLostBlocks(page, dirty);
    QUORVANE_FUZZ_CHECK(freed == static_cast<int>(check.lostBlocks.size()));
    checkUntouchedRegions(before, page, dirty);
    for (int block = 0; block < card::userBlockCountOf(before); ++block) {
        QUORVANE_FUZZ_CHECK(blockEqual(before, page, block));
        if (card::fatEntry(before, block) != card::fatEntry(page, block)) {
            QUORVANE_FUZZ_CHECK(card::fatEntry(page, block) == card::FAT_FREE);
            QUORVANE_FUZZ_CHECK(reached.count(block) == 0);  // never a block a chain reaches
        }
    }
    QUORVANE_FUZZ_CHECK(card::checkPage(page).lostBlocks.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < OPERATION_SIZE) {
        return 0;
    }
    Operation op =
        decodeOperation(std::span<const std::uint8_t, OPERATION_SIZE>(data, OPERATION_SIZE));
    auto page = std::make_unique<PageBytes>();
    loadPage(std::span(data + OPERATION_SIZE, size - OPERATION_SIZE), *page);
    card::DirtyMap dirty{};

    checkListing(*page);
    switch (op.kind) {
        case 0:
            runExtract(*page, op.slot);
            break;
        case 1:
            runDelete(*page, dirty, op.slot);
            break;
        case 2: {
            const auto before = std::make_unique<PageBytes>(*page);
            card::deleteAllFiles(*page, dirty);
            checkUntouchedRegions(*before, *page, dirty);
            QUORVANE_FUZZ_CHECK(card::enumerateFiles(*page).empty());
            break;
        }
        case 3:
            runStore(*page, dirty, op.entry, op.fill);
            break;
        case 4:
            runMoveFromStart(*page, dirty, op.slot % card::USER_BLOCK_COUNT + 1);
            break;
        default:
            runCheck(*page, dirty);
            break;
    }
    checkListing(*page);
    return 0;
}
