#include "card_page.h"

namespace quorvane::card::testing {
namespace {

using Delete = CardPage;

TEST_F(Delete, FreesExactlyTheChainAndKeepsTheSlotsOtherBytes) {
    Store("FIRST", 3, 0x10);
    Store("SECOND", 2, 0x20);
    const auto before = std::make_unique<PageBytes>(*page);
    dirty.fill(0);

    EXPECT_EQ(DeleteFile(*page, dirty, 207), DeleteResult::Deleted);

    EXPECT_EQ(FatEntry(*page, 199), FAT_FREE);
    EXPECT_EQ(FatEntry(*page, 198), FAT_FREE);
    EXPECT_EQ(FatEntry(*page, 197), FAT_FREE);
    EXPECT_EQ(FatEntry(*page, 196), 195);
    EXPECT_EQ(FatEntry(*page, 195), FAT_END);
    // Only the type byte of the slot changes; freed data blocks keep their contents.
    EXPECT_EQ((*page)[SlotOffset(207)], 0);
    EXPECT_TRUE(std::equal(page->begin() + static_cast<long>(SlotOffset(207)) + 1,
                           page->begin() + static_cast<long>(SlotOffset(207)) + 32,
                           before->begin() + static_cast<long>(SlotOffset(207)) + 1));
    EXPECT_EQ(EntryName(ReadSlot(*page, 207)), "FIRST");
    EXPECT_TRUE(std::equal(page->begin(), page->begin() + 200 * 512, before->begin()));
    EXPECT_EQ(dirty, Marked({}));
    EXPECT_EQ(CountBlocks(*page).free, 198);
    EXPECT_EQ(FindFreeDirSlot(*page), 207);
}

TEST_F(Delete, AFreeSlotOrASlotOffThePageChangesNothing) {
    Store("ONE", 1);
    dirty.fill(0);
    const auto before = std::make_unique<PageBytes>(*page);
    EXPECT_EQ(DeleteFile(*page, dirty, 100), DeleteResult::SlotAlreadyFree);
    EXPECT_EQ(DeleteFile(*page, dirty, -1), DeleteResult::BadSlot);
    EXPECT_EQ(DeleteFile(*page, dirty, 208), DeleteResult::BadSlot);
    EXPECT_EQ(*page, *before);
    EXPECT_EQ(dirty, DirtyMap{});
}

TEST_F(Delete, DeleteAllFreesUserBlocksAndSlotsAndKeepsFat200To255) {
    for (int block = 200; block < 256; ++block) {
        SetFatEntry(*page, block, static_cast<std::uint16_t>(0x1000 + block));
    }
    Store("ONE", 3);
    Store("TWO", 4);
    SetFatEntry(*page, 10, 0x1234);  // a block in use that no entry names
    dirty.fill(0);

    DeleteAllFiles(*page, dirty);

    for (int block = 0; block < 200; ++block) {
        EXPECT_EQ(FatEntry(*page, block), FAT_FREE) << block;
    }
    for (int block = 200; block < 256; ++block) {
        EXPECT_EQ(FatEntry(*page, block), 0x1000 + block) << block;
    }
    for (int slot = 0; slot < 208; ++slot) {
        EXPECT_EQ((*page)[SlotOffset(slot)], 0) << slot;
    }
    EXPECT_EQ(EntryName(ReadSlot(*page, 206)), "TWO");
    EXPECT_EQ(dirty, Marked({}));
    EXPECT_TRUE(EnumerateFiles(*page).empty());
}

}  // namespace
}  // namespace quorvane::card::testing
