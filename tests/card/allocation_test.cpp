#include "card_page.h"

namespace quorvane::card::testing {
namespace {

using Allocation = CardPage;

TEST_F(Allocation, FirstFileTakesTopSlotAndTopBlocksChainedDownward) {
    const DirEntry entry = Store("RACE", 3, 0x10);

    EXPECT_EQ(FindFreeDirSlot(*page), 206);
    const DirEntry stored = ReadSlot(*page, 207);
    EXPECT_EQ(stored.firstBlock, 199);
    EXPECT_EQ(entry.firstBlock, 199);
    EXPECT_EQ(FatEntry(*page, 199), 198);
    EXPECT_EQ(FatEntry(*page, 198), 197);
    EXPECT_EQ(FatEntry(*page, 197), FAT_END);
    EXPECT_EQ(FatEntry(*page, 196), FAT_FREE);
    // Data blocks follow the chain in buffer order.
    EXPECT_EQ(BlockByte(199), 0x10);
    EXPECT_EQ(BlockByte(198, 511), 0x11);
    EXPECT_EQ(BlockByte(197), 0x12);
    EXPECT_EQ(CountBlocks(*page).used, 3);
    EXPECT_EQ(CountBlocks(*page).free, 197);
    EXPECT_EQ(dirty, Marked({197, 198, 199}));
}

TEST_F(Allocation, SecondFileTakesNextSlotAndNextBlocks) {
    Store("FIRST", 3);
    Store("SECOND", 2);
    EXPECT_EQ(ReadSlot(*page, 206).firstBlock, 196);
    EXPECT_EQ(FatEntry(*page, 196), 195);
    EXPECT_EQ(FatEntry(*page, 195), FAT_END);
    EXPECT_EQ(FatEntry(*page, 197), FAT_END);  // the first file's chain is untouched
}

TEST_F(Allocation, FreeBlocksBetweenUsedOnesAreFilledFromTheTop) {
    SetFatEntry(*page, 199, FAT_END);
    SetFatEntry(*page, 197, FAT_END);
    const DirEntry entry = Store("HOLES", 2);
    EXPECT_EQ(entry.firstBlock, 198);
    EXPECT_EQ(FatEntry(*page, 198), 196);
    EXPECT_EQ(FatEntry(*page, 196), FAT_END);
    EXPECT_EQ(FatEntry(*page, 199), FAT_END);
    EXPECT_EQ(FatEntry(*page, 197), FAT_END);
}

TEST_F(Allocation, AWholePageFileUsesEveryUserBlockAndNothingElseFits) {
    Store("BIG", 200);
    EXPECT_EQ(FatEntry(*page, 199), 198);
    EXPECT_EQ(FatEntry(*page, 1), 0);
    EXPECT_EQ(FatEntry(*page, 0), FAT_END);
    EXPECT_EQ(FindTopFreeBlock(*page), -1);

    DirEntry more = Entry("MORE", 1);
    EXPECT_EQ(StoreNewFile(*page, dirty, more, *buffer), StoreResult::NotEnoughBlocks);
}

TEST_F(Allocation, AZeroBlockFileTakesNoBlock) {
    const auto fatBefore = std::make_unique<PageBytes>(*page);
    DirEntry entry = Entry("EMPTY", 0);
    ASSERT_EQ(StoreNewFile(*page, dirty, entry, *buffer), StoreResult::Stored);

    EXPECT_EQ(ReadSlot(*page, 207).firstBlock, FAT_END);
    EXPECT_EQ(FindTopFreeBlock(*page), 199);
    for (int block = 0; block < 256; ++block) {
        EXPECT_EQ(FatEntry(*page, block), FatEntry(*fatBefore, block)) << block;
    }
    EXPECT_EQ(dirty, Marked({}));
    EXPECT_EQ(DeleteFile(*page, dirty, 207), DeleteResult::Deleted);
}

TEST_F(Allocation, RefusedStoresChangeNeitherPageNorDirtyMap) {
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
        Store("TWO", 2);
        if (c.fillDirectory) {
            for (int slot = 0; slot < DIR_SLOT_COUNT; ++slot) {
                (*page)[SlotOffset(slot)] = 0xFF;
            }
        }
        dirty[5] = 1;
        const auto pageBefore = std::make_unique<PageBytes>(*page);
        const DirtyMap dirtyBefore = dirty;
        DirEntry entry = Entry("NEW", c.blocks);
        entry.fileType = c.fileType;
        const DirEntry entryBefore = entry;

        EXPECT_EQ(StoreNewFile(*page, dirty, entry, *buffer), c.expected) << c.what;
        EXPECT_EQ(*page, *pageBefore) << c.what;
        EXPECT_EQ(dirty, dirtyBefore) << c.what;
        EXPECT_EQ(entry, entryBefore) << c.what;
    }
}

TEST_F(Allocation, FreeSearchesLookOnlyAtUserBlocksFromTheTop) {
    SetFatEntry(*page, 199, FAT_END);
    SetFatEntry(*page, 230, FAT_FREE);
    EXPECT_EQ(FindTopFreeBlock(*page), 198);
    EXPECT_EQ(FindFreeBlockFrom(*page, 250), 198);
    EXPECT_EQ(FindFreeBlockFrom(*page, 50), 50);
    EXPECT_EQ(FindFreeBlockFrom(*page, 0), 0);
    EXPECT_EQ(FindFreeBlockFrom(*page, -1), -1);
    SetFatEntry(*page, 0, 5);
    EXPECT_EQ(FindFreeBlockFrom(*page, 0), -1);
}

TEST_F(Allocation, CountComesFromTheDirectoryAndMayGoNegative) {
    WriteSlot(*page, 3, Entry("A", 150));
    WriteSlot(*page, 10, Entry("B", 100));
    DirEntry freeSlot = Entry("GONE", 40);
    freeSlot.fileType = 0;
    WriteSlot(*page, 12, freeSlot);

    const BlockCounts counts = CountBlocks(*page);
    EXPECT_EQ(counts.used, 250);
    EXPECT_EQ(counts.free, -50);
    EXPECT_FALSE(FitsOnPage(0, counts.free));
    EXPECT_TRUE(FitsOnPage(197, 197));
    EXPECT_FALSE(FitsOnPage(198, 197));
    EXPECT_FALSE(FitsOnPage(0, -1));
}

TEST_F(Allocation, ExtractedFileIsTheDdcImageWithBlocksInChainOrder) {
    SetFatEntry(*page, 199, FAT_END);  // a hole, so the chain is 198 -> 196 -> 195
    SetFatEntry(*page, 197, FAT_END);
    Store("SAVE", 3, 0x40);
    std::fill(buffer->begin(), buffer->end(), 0xEE);

    ASSERT_EQ(ExtractFile(*page, 207, *buffer), ExtractResult::Extracted);
    EXPECT_EQ((*buffer)[0], 0x43);
    EXPECT_EQ((*buffer)[1], 0x46);
    EXPECT_EQ((*buffer)[2], 0x55);
    EXPECT_EQ((*buffer)[3], 0x00);
    EXPECT_TRUE(std::equal(buffer->begin() + 4, buffer->begin() + 36,
                           page->begin() + static_cast<long>(SlotOffset(207))));
    EXPECT_EQ((*buffer)[36], 0x40);
    EXPECT_EQ((*buffer)[36 + 512], 0x41);
    EXPECT_EQ((*buffer)[36 + 1024 + 511], 0x42);
    EXPECT_TRUE(std::all_of(buffer->begin() + 36 + 1536, buffer->end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(ExtractFile(*page, 208, *buffer), ExtractResult::BadSlot);
}

}  // namespace
}  // namespace quorvane::card::testing
