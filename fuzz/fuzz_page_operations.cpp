// The card file system on an arbitrary page: listing, counting, information lines,
// ExtractFile, DeleteFile, DeleteAllFiles and StoreNewFile of an arbitrary entry.
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
#include "fuzz_input_file.h"

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

Operation DecodeOperation(std::span<const std::uint8_t, OPERATION_SIZE> bytes) {
    Operation op;
    op.kind = bytes[0] % 4;
    op.slot = static_cast<int>(bytes[1] | (bytes[2] << 8)) % 212 - 2;  // a few out of range
    op.entry = card::DecodeDirEntry(bytes.subspan<3, card::DIR_ENTRY_SIZE>());
    op.fill = bytes[35];
    return op;
}

void LoadPage(std::span<const std::uint8_t> bytes, PageBytes& page) {
    if (bytes.size() >= card::PAGE_SIZE) {
        std::memcpy(page.data(), bytes.data(), card::PAGE_SIZE);
        return;
    }
    card::FormatPage(page);
    std::size_t room = card::PAGE_SIZE - card::DIR_OFFSET;
    std::memcpy(page.data() + card::DIR_OFFSET, bytes.data(), std::min(room, bytes.size()));
}

bool BlockEqual(const PageBytes& a, const PageBytes& b, int block) {
    std::size_t offset = static_cast<std::size_t>(block) * card::BLOCK_SIZE;
    return std::memcmp(a.data() + offset, b.data() + offset, card::BLOCK_SIZE) == 0;
}

// What must hold after any operation: the blocks and FAT entries it may never touch are as
// they were, and only the blocks it may change are marked.
void CheckUntouchedRegions(const PageBytes& before, const PageBytes& after,
                           const card::DirtyMap& dirty) {
    for (int block = card::UNUSED_FIRST_BLOCK; block <= card::UNUSED_LAST_BLOCK; ++block) {
        QUORVANE_FUZZ_CHECK(BlockEqual(before, after, block));
        QUORVANE_FUZZ_CHECK(dirty[static_cast<std::size_t>(block)] == 0);
    }
    QUORVANE_FUZZ_CHECK(BlockEqual(before, after, card::ROOT_BLOCK));
    for (int block = card::USER_BLOCK_COUNT; block < card::BLOCK_COUNT; ++block) {
        QUORVANE_FUZZ_CHECK(card::FatEntry(before, block) == card::FatEntry(after, block));
    }
}

// Blocks reachable along the chain of `slot`, stopping where a walk must stop.
std::set<int> ChainBlocks(const PageBytes& page, int slot) {
    std::set<int> blocks;
    card::DirEntry entry = card::ReadSlot(page, slot);
    int block = entry.firstBlock;
    for (int k = 0; k < entry.sizeInBlocks; ++k) {
        if (!card::IsUserBlock(block) || blocks.count(block) != 0) {
            break;
        }
        blocks.insert(block);
        block = card::FatEntry(page, block);
    }
    return blocks;
}

void CheckListing(const PageBytes& page) {
    std::vector<int> slots = card::EnumerateFiles(page);
    std::vector<card::FileRow> rows = card::ListFileRows(page);
    QUORVANE_FUZZ_CHECK(rows.size() == slots.size());
    int used = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QUORVANE_FUZZ_CHECK(rows[i].slot == slots[i]);
        QUORVANE_FUZZ_CHECK(rows[i].name.size() <= 12);
        used += rows[i].sizeInBlocks;
        card::FileInfoLines lines = card::ReadFileInfo(page, rows[i].slot);
        QUORVANE_FUZZ_CHECK(lines[0].size() <= 16 && lines[1].size() <= 32 &&
                            lines[2].size() <= 16);
    }
    card::BlockCounts counts = card::CountBlocks(page);
    QUORVANE_FUZZ_CHECK(counts.used == used && counts.free == card::USER_BLOCK_COUNT - used);
}

void RunExtract(const PageBytes& page, int slot) {
    auto buffer = std::make_unique<card::FileBuffer>();
    card::ExtractResult result = card::ExtractFile(page, slot, *buffer);
    if (result == card::ExtractResult::BadSlot) {
        QUORVANE_FUZZ_CHECK(slot < 0 || slot >= card::DIR_SLOT_COUNT);
        return;
    }
    card::DirEntry entry = card::ReadSlot(page, slot);
    QUORVANE_FUZZ_CHECK(std::memcmp(buffer->data(), "CFU", 4) == 0);
    if (result == card::ExtractResult::Extracted) {
        // Every block came along a valid chain.
        QUORVANE_FUZZ_CHECK(entry.sizeInBlocks <= card::USER_BLOCK_COUNT);
        QUORVANE_FUZZ_CHECK(ChainBlocks(page, slot).size() == entry.sizeInBlocks);
    }
}

void RunDelete(PageBytes& page, card::DirtyMap& dirty, int slot) {
    const PageBytes before = page;
    std::set<int> othersBlocks;
    for (int other : card::EnumerateFiles(page)) {
        if (other != slot) {
            std::set<int> chain = ChainBlocks(page, other);
            othersBlocks.insert(chain.begin(), chain.end());
        }
    }
    card::DeleteResult result = card::DeleteFile(page, dirty, slot);
    CheckUntouchedRegions(before, page, dirty);
    if (result == card::DeleteResult::BadSlot || result == card::DeleteResult::SlotAlreadyFree) {
        QUORVANE_FUZZ_CHECK(page == before);
        QUORVANE_FUZZ_CHECK(std::all_of(dirty.begin(), dirty.end(), [](auto f) { return f == 0; }));
        return;
    }
    for (int block = 0; block < card::USER_BLOCK_COUNT; ++block) {
        QUORVANE_FUZZ_CHECK(BlockEqual(before, page, block));  // data blocks are not touched
        std::uint16_t was = card::FatEntry(before, block);
        std::uint16_t now = card::FatEntry(page, block);
        if (was != now) {
            QUORVANE_FUZZ_CHECK(now == card::FAT_FREE);
            QUORVANE_FUZZ_CHECK(othersBlocks.count(block) == 0);  // never another file's block
        }
        QUORVANE_FUZZ_CHECK(dirty[static_cast<std::size_t>(block)] == 0);
    }
    QUORVANE_FUZZ_CHECK(!card::ReadSlot(page, slot).inUse());
}

void RunStore(PageBytes& page, card::DirtyMap& dirty, card::DirEntry entry, std::uint8_t fill) {
    const PageBytes before = page;
    auto data = std::make_unique<card::FileBuffer>();
    for (std::size_t i = 0; i < data->size(); ++i) {
        (*data)[i] = static_cast<std::uint8_t>(fill + i / card::BLOCK_SIZE);
    }
    int slot = card::FindFreeDirSlot(page);
    card::StoreResult result = card::StoreNewFile(page, dirty, entry, *data);
    CheckUntouchedRegions(before, page, dirty);
    if (result != card::StoreResult::Stored) {
        QUORVANE_FUZZ_CHECK(page == before);  // refused: nothing changed
        QUORVANE_FUZZ_CHECK(std::all_of(dirty.begin(), dirty.end(), [](auto f) { return f == 0; }));
        return;
    }
    QUORVANE_FUZZ_CHECK(slot >= 0);
    QUORVANE_FUZZ_CHECK(card::ReadSlot(page, slot) == entry);
    // The chain runs strictly downward through blocks that were free, carrying the data.
    int block = entry.firstBlock;
    for (int k = 0; k < entry.sizeInBlocks; ++k) {
        QUORVANE_FUZZ_CHECK(card::IsUserBlock(block));
        QUORVANE_FUZZ_CHECK(card::FatEntry(before, block) == card::FAT_FREE);
        QUORVANE_FUZZ_CHECK(dirty[static_cast<std::size_t>(block)] == 1);
        std::size_t offset = static_cast<std::size_t>(block) * card::BLOCK_SIZE;
        QUORVANE_FUZZ_CHECK(std::memcmp(page.data() + offset,
                                        data->data() + std::size_t(k) * card::BLOCK_SIZE,
                                        card::BLOCK_SIZE) == 0);
        int next = card::FatEntry(page, block);
        if (k + 1 == entry.sizeInBlocks) {
            QUORVANE_FUZZ_CHECK(next == card::FAT_END);
        } else {
            QUORVANE_FUZZ_CHECK(next < block);
        }
        block = next;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < OPERATION_SIZE) {
        return 0;
    }
    Operation op = DecodeOperation(std::span<const std::uint8_t, OPERATION_SIZE>(data, OPERATION_SIZE));
    auto page = std::make_unique<PageBytes>();
    LoadPage(std::span(data + OPERATION_SIZE, size - OPERATION_SIZE), *page);
    card::DirtyMap dirty{};

    CheckListing(*page);
    switch (op.kind) {
        case 0: RunExtract(*page, op.slot); break;
        case 1: RunDelete(*page, dirty, op.slot); break;
        case 2: {
            const auto before = std::make_unique<PageBytes>(*page);
            card::DeleteAllFiles(*page, dirty);
            CheckUntouchedRegions(*before, *page, dirty);
            QUORVANE_FUZZ_CHECK(card::EnumerateFiles(*page).empty());
            break;
        }
        default: RunStore(*page, dirty, op.entry, op.fill); break;
    }
    CheckListing(*page);
    return 0;
}
