#include "card/listing.h"

#include <cstring>

#include "card_page.h"

namespace quorvane::card::testing {
namespace {

using Listing = CardPage;

TEST_F(Listing, RowsFollowSlotOrderWithNamesCutAtTheFirstZero) {
    WriteSlot(*page, 10, Entry("TWELVECHARSX", 12));  // all 12 bytes, no terminator
    WriteSlot(*page, 3, Entry("FIVE", 5));
    DirEntry freeSlot = Entry("FREE", 7);
    freeSlot.fileType = 0;
    WriteSlot(*page, 5, freeSlot);

    const std::vector<FileRow> rows = ListFileRows(*page);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].slot, 3);
    EXPECT_EQ(rows[0].name, "FIVE");
    EXPECT_EQ(rows[0].sizeInBlocks, 5);
    EXPECT_EQ(rows[1].slot, 10);
    EXPECT_EQ(rows[1].name, "TWELVECHARSX");
    EXPECT_EQ(CountBlocks(*page).used, 17);
    EXPECT_EQ(CountBlocks(*page).free, 183);
    EXPECT_TRUE(ListFileRows(*std::make_unique<PageBytes>()).empty());
}

TEST_F(Listing, NameLookupTakesTheLowestInUseSlot) {
    WriteSlot(*page, 40, Entry("SAME", 1));
    WriteSlot(*page, 20, Entry("SAME", 2));
    DirEntry freeSlot = Entry("SAME", 3);
    freeSlot.fileType = 0;
    WriteSlot(*page, 5, freeSlot);
    EXPECT_EQ(FindSlotByName(*page, "SAME"), 20);
    EXPECT_EQ(FindSlotByName(*page, "same"), -1);
    EXPECT_EQ(FindSlotByName(*page, "OTHER"), -1);
}

TEST_F(Listing, InformationLinesComeFromTheFirstBlockCutAtZero) {
    WriteSlot(*page, 0, Entry("GAME", 1, 42));
    std::uint8_t* block = page->data() + 42 * 512;
    std::memcpy(block, "SIXTEEN_LETTERS!", 16);  // no zero: all 16 shown
    std::memcpy(block + 16, "ABCDE\0GH", 8);     // zero at position 5
    std::memset(block + 48, 'Z', 16);
    block[64] = 'Q';  // beyond the third line

    const FileInfoLines lines = ReadFileInfo(*page, 0);
    EXPECT_EQ(lines[0], "SIXTEEN_LETTERS!");
    EXPECT_EQ(lines[1], "ABCDE");
    EXPECT_EQ(lines[2], std::string(16, 'Z'));
}

TEST_F(Listing, FilesWithoutAUserFirstBlockShowEmptyLines) {
    std::memset(page->data(), 'X', 64);  // block 0 holds another file's text
    WriteSlot(*page, 0, Entry("NODATA", 0, 0));
    WriteSlot(*page, 1, Entry("SYSTEM", 1, 254));
    WriteSlot(*page, 2, Entry("ZEROSIZE", 0, FAT_END));
    for (int slot : {0, 1, 2, -1, 208}) {
        EXPECT_EQ(ReadFileInfo(*page, slot), FileInfoLines{}) << slot;
    }
}

}  // namespace
}  // namespace quorvane::card::testing
