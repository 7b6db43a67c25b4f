#include "card_page.h"

namespace quorvane::card::testing {
namespace {

TEST(FormatPage, RootBlockDescribesTheStandardLayout) {
    auto page = std::make_unique<PageBytes>();
    page->fill(0x77);
    FormatPage(*page);
    const std::uint8_t* root = page->data() + 255 * 512;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(root[i], 0x55) << i;
    }
    EXPECT_EQ(root[0x46], 0xFE);  // FAT at block 254
    EXPECT_EQ(root[0x47], 0x00);
    EXPECT_EQ(root[0x48], 0x01);  // one FAT block
    EXPECT_EQ(root[0x4A], 0xFD);  // directory from block 253
    EXPECT_EQ(root[0x4C], 0x0D);  // 13 directory blocks
    EXPECT_EQ(root[0x50], 0xC8);  // 200 user blocks
    EXPECT_EQ(root[0x51], 0x00);
    EXPECT_EQ((*page)[100 * 512], 0);  // the rest of the page is cleared
}

TEST(FormatPage, FatHoldsFreeBlocksAndTheSystemChainsAndTheDirectoryIsEmpty) {
    auto page = std::make_unique<PageBytes>();
    page->fill(0x77);
    FormatPage(*page);
    EXPECT_TRUE(std::all_of(page->begin() + 241 * 512, page->begin() + 254 * 512,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(CountBlocks(*page).free, 200);
    for (int block = 0; block <= 240; ++block) {
        EXPECT_EQ(FatEntry(*page, block), FAT_FREE) << block;
    }
    for (int block = 253; block > 241; --block) {
        EXPECT_EQ(FatEntry(*page, block), block - 1) << block;
    }
    EXPECT_EQ(FatEntry(*page, 241), FAT_END);
    EXPECT_EQ(FatEntry(*page, 254), FAT_END);
    EXPECT_EQ(FatEntry(*page, 255), FAT_END);
    // FAT entry 253 in PageImage order: FC 00 -> little-endian 252.
    EXPECT_EQ((*page)[130048 + 2 * 253], 0xFC);
    EXPECT_EQ((*page)[130048 + 2 * 253 + 1], 0x00);
}

}  // namespace
}  // namespace quorvane::card::testing
