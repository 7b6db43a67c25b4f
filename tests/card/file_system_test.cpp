// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstring>
#include <tuple>

#include "card/listing.h"
#include "card_page.h"

namespace quorvane::card::testing {
namespace {

using FileSystem = CardPage;

TEST_F(FileSystem, FilesTakeTopSlotsAndTopBlocksChainedDownward) {
    EXPECT_EQ(store("RACE", 3, 0x10).firstBlock, 199);
    EXPECT_EQ(readSlot(*page, 207).firstBlock, 199);
    EXPECT_EQ(fatOf({199, 198, 197}), (Links{198, 197, FAT_END}));
    EXPECT_EQ(blockByte(199), 0x10);  // data blocks follow the chain in buffer order
    EXPECT_EQ(blockByte(198, 511), 0x11);
    EXPECT_EQ(blockByte(197), 0x12);
    EXPECT_EQ(dirty, marked({197, 198, 199}));

    store("SECOND", 2);
    EXPECT_EQ(readSlot(*page, 206).firstBlock, 196);
    EXPECT_EQ(fatOf({196, 195, 194, 197}), (Links{195, FAT_END, FAT_FREE, FAT_END}));
    EXPECT_EQ(findFreeDirSlot(*page), 205);
    EXPECT_EQ(countBlocks(*page).used, 5);
    EXPECT_EQ(countBlocks(*page).free, 195);
}

TEST_F(FileSystem, HolesAreFilledFromTheTopAndExtractionFollowsTheChain) {
    setFatEntry(*page, 199, FAT_END);
    setFatEntry(*page, 197, FAT_END);
    EXPECT_EQ(store("SAVE", 3, 0x40).firstBlock, 198);
    EXPECT_EQ(fatOf({198, 196, 195, 199, 197}), (Links{196, 195, FAT_END, FAT_END, FAT_END}));

    file.data.assign(FILE_DATA_CAPACITY, 0xEE);
    ASSERT_EQ(extractFile(*page, 207, file), ExtractResult::Extracted);
    EXPECT_EQ(file.entry, readSlot(*page, 207));
    ASSERT_EQ(file.data.size(), 1536u);  // its three blocks and nothing after them
    EXPECT_EQ(file.data[0], 0x40);
    EXPECT_EQ(file.data[512], 0x41);
    EXPECT_EQ(file.data[1024 + 511], 0x42);
    const CardFile extracted = file;
    EXPECT_EQ(extractFile(*page, 208, file), ExtractResult::BadSlot);
    EXPECT_EQ(file, extracted);
}

TEST_F(FileSystem, WholePageFileUsesEveryUserBlockAndNothingElseFits) {
    store("BIG", 200);
    EXPECT_EQ(fatOf({199, 1, 0}), (Links{198, 0, FAT_END}));
    EXPECT_EQ(findTopFreeBlock(*page), -1);
    DirEntry more = newEntry("MORE", 1);
    EXPECT_EQ(storeEntry(more), StoreResult::NotEnoughBlocks);
}

// A zero-block file gets FAT_END as first block: it holds no block, so none can leak.
TEST_F(FileSystem, ZeroBlockFileTakesNoBlockAndDeletesCleanly) {
    const auto before = std::make_unique<PageBytes>(*page);
    DirEntry entry = newEntry("EMPTY", 0);
    ASSERT_EQ(storeEntry(entry), StoreResult::Stored);
    EXPECT_EQ(readSlot(*page, 207).firstBlock, FAT_END);
    EXPECT_TRUE(std::equal(page->begin() + 254 * 512, page->end(), before->begin() + 254 * 512));
    EXPECT_EQ(dirty, marked({}));
    EXPECT_EQ(deleteFile(*page, dirty, 207), DeleteResult::Deleted);
}

TEST_F(FileSystem, RefusedStoresChangeNeitherPageNorDirtyMapNorEntry) {
    struct Case {
        const char* what;
        std::uint8_t fileType;
        std::uint16_t blocks;
        bool fillDirectory;
        StoreResult expected;
    };
    const Case cases[] = {
        {"free entry type", 0, 1, false, StoreResult::FreeEntryType},
        {"no free slot", 0x33, 1, true, StoreResult::NoFreeSlot},
        {"more blocks than the FAT has free", 0x33, 199, false, StoreResult::NotEnoughBlocks},
        {"more than a page", 0x33, 201, false, StoreResult::NotEnoughBlocks},
    };
    for (const Case& c : cases) {
        SetUp();
        store("TWO", 2);
        for (int slot = 0; c.fillDirectory && slot < DIR_SLOT_COUNT; ++slot) {
            (*page)[slotOffset(slot)] = 0xFF;
        }
        dirty[5] = 1;
        const auto pageBefore = std::make_unique<PageBytes>(*page);
        const DirtyMap dirtyBefore = dirty;
        DirEntry entry = newEntry("NEW", c.blocks, 0, c.fileType);
        const DirEntry entryBefore = entry;

        EXPECT_EQ(storeEntry(entry), c.expected) << c.what;
        EXPECT_EQ(*page, *pageBefore) << c.what;
        EXPECT_EQ(dirty, dirtyBefore) << c.what;
        EXPECT_EQ(entry, entryBefore) << c.what;
    }
}

TEST_F(FileSystem, FreeSearchesSeeOnlyUserBlocksAndCountsOnlyTheDirectory) {
    setFatEntry(*page, 199, FAT_END);
    setFatEntry(*page, 230, FAT_FREE);
    EXPECT_EQ(findTopFreeBlock(*page), 198);
    EXPECT_EQ(findFreeBlockFrom(*page, 250), 198);
    EXPECT_EQ(findFreeBlockFrom(*page, 50), 50);
    EXPECT_EQ(findFreeBlockFrom(*page, -1), -1);
    setFatEntry(*page, 0, 5);
    EXPECT_EQ(findFreeBlockFrom(*page, 0), -1);

    writeSlot(*page, 3, newEntry("A", 150));
    writeSlot(*page, 10, newEntry("B", 100));
    writeSlot(*page, 12, newEntry("GONE", 40, 0, 0));
    EXPECT_EQ(countBlocks(*page).used, 250);
    EXPECT_EQ(countBlocks(*page).free, -50);
    EXPECT_TRUE(fitsOnPage(197, 197));
    EXPECT_FALSE(fitsOnPage(198, 197));
    EXPECT_FALSE(fitsOnPage(0, -1));
}

TEST_F(FileSystem, DeleteFreesExactlyTheChainAndChangesOnlyTheTypeByte) {
    store("FIRST", 3, 0x10);
    store("SECOND", 2, 0x20);
    const auto before = std::make_unique<PageBytes>(*page);
    dirty.fill(0);

    EXPECT_EQ(deleteFile(*page, dirty, 207), DeleteResult::Deleted);
    EXPECT_EQ(fatOf({199, 198, 197, 196, 195}),
              (Links{FAT_FREE, FAT_FREE, FAT_FREE, 195, FAT_END}));
    EXPECT_EQ(entryName(readSlot(*page, 207)), "FIRST");
    // Freed data blocks and the rest of the slot keep their bytes.
    (*before)[slotOffset(207)] = 0;
    EXPECT_TRUE(std::equal(page->begin(), page->begin() + 254 * 512, before->begin()));
    EXPECT_EQ(dirty, marked({}));
    EXPECT_EQ(findFreeDirSlot(*page), 207);

    const auto kept = std::make_unique<PageBytes>(*page);
    dirty.fill(0);
    EXPECT_EQ(deleteFile(*page, dirty, 100), DeleteResult::SlotAlreadyFree);
    EXPECT_EQ(deleteFile(*page, dirty, -1), DeleteResult::BadSlot);
    EXPECT_EQ(deleteFile(*page, dirty, 208), DeleteResult::BadSlot);
    EXPECT_EQ(*page, *kept);
    EXPECT_EQ(dirty, DirtyMap{});
}

TEST_F(FileSystem, DeleteAllFreesUserBlocksAndSlotsAndKeepsFat200To255) {
    for (int block = 200; block < 256; ++block) {
        setFatEntry(*page, block, static_cast<std::uint16_t>(0x1000 + block));
    }
    store("ONE", 3);
    store("TWO", 4);
    setFatEntry(*page, 10, 0x1234);  // a block in use that no entry names
    dirty.fill(0);

    deleteAllFiles(*page, dirty);
    for (int block = 0; block < 256; ++block) {
        EXPECT_EQ(fatEntry(*page, block), block < 200 ? FAT_FREE : 0x1000 + block) << block;
    }
    EXPECT_TRUE(enumerateFiles(*page).empty());
    EXPECT_EQ(entryName(readSlot(*page, 206)), "TWO");
    EXPECT_EQ(dirty, marked({}));
}

TEST_F(FileSystem, ListingShowsInUseSlotsInOrderAndInformationLinesCutAtZero) {
    writeSlot(*page, 40, newEntry("TWELVECHARSX", 12));  // all 12 bytes, no terminator
    writeSlot(*page, 20, newEntry("FIVE", 5, 42));
    writeSlot(*page, 30, newEntry("FIVE", 1));
    writeSlot(*page, 5, newEntry("FIVE", 7, 0, 0));
    const std::vector<FileRow> rows = listFileRows(*page);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(std::tie(rows[0].slot, rows[0].name, rows[0].sizeInBlocks),
              std::tuple(20, "FIVE", 5));
    EXPECT_EQ(std::tie(rows[2].slot, rows[2].name), std::tuple(40, "TWELVECHARSX"));
    EXPECT_EQ(findSlotByName(*page, "FIVE"), 20);  // the lowest in-use slot
    EXPECT_EQ(findSlotByName(*page, "five"), -1);

    std::uint8_t* block = page->data() + 42 * 512;
    std::copy_n("SIXTEEN_LETTERS!", 16, block);  // no zero: all 16 shown
    std::copy_n("ABCDE\0GH", 8, block + 16);
    std::memset(block + 48, 'Z', 16);
    block[64] = 'Q';  // beyond the third line
    EXPECT_EQ(readFileInfo(*page, 20),
              (FileInfoLines{"SIXTEEN_LETTERS!", "ABCDE", "ZZZZZZZZZZZZZZZZ"}));

    // A game: code in its first block, the header in the block its offset names.
    DirEntry game = newEntry("GAME", 2, 0, 0xCC);
    game.headerOffset = 1;
    setFatEntry(*page, 0, 1);
    setFatEntry(*page, 1, FAT_END);
    std::copy_n("CODE", 4, page->data());
    std::copy_n("MINI GAME\0", 10, page->data() + 512);
    writeSlot(*page, 50, game);
    EXPECT_EQ(readFileInfo(*page, 50)[0], "MINI GAME");
}

// Files without a user first block show empty lines, never another file's text.
TEST_F(FileSystem, InformationLinesOfFilesWithoutDataAreEmpty) {
    std::memset(page->data(), 'X', 64);
    writeSlot(*page, 1, newEntry("NODATA", 0, 0));
    writeSlot(*page, 2, newEntry("SYSTEM", 1, 254));
    writeSlot(*page, 3, newEntry("ZEROSIZE", 0, FAT_END));
    DirEntry headerPastChain = newEntry("SHORT", 1, 0, 0xCC);
    headerPastChain.headerOffset = 1;
    setFatEntry(*page, 0, FAT_END);
    writeSlot(*page, 4, headerPastChain);
    for (int slot : {1, 2, 3, 4, 0, -1, 208}) {
        EXPECT_EQ(readFileInfo(*page, slot), FileInfoLines{}) << slot;
    }
}

}  // namespace
}  // namespace quorvane::card::testing
