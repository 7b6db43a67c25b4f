// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/byte_order.h"

#include <array>
#include <tuple>

#include "card_page.h"

namespace quorvane::card::testing {
namespace {

template <std::size_t N>
bool bytesAt(const PageBytes& page, std::size_t offset, const std::array<std::uint8_t, N>& bytes) {
    return std::equal(bytes.begin(), bytes.end(), page.begin() + static_cast<long>(offset));
}

TEST(ByteOrder, CardToPageReversesEveryFourByteGroup) {
    auto card = std::make_unique<CardOrderPage>();
    auto page = std::make_unique<PageBytes>();
    const std::array<std::uint8_t, 8> cardBytes = {0x01, 0x02, 0x03, 0x04, 'A', 'B', 'C', 'D'};
    std::copy(cardBytes.begin(), cardBytes.end(), card->bytes.begin());
    std::copy(cardBytes.begin(), cardBytes.end(), card->bytes.end() - 8);

    cardToPage(*card, *page);

    const std::array<std::uint8_t, 8> pageBytes = {0x04, 0x03, 0x02, 0x01, 'D', 'C', 'B', 'A'};
    EXPECT_TRUE(bytesAt(*page, 0, pageBytes));
    EXPECT_TRUE(bytesAt(*page, PAGE_SIZE - 8, pageBytes));
}

TEST(ByteOrder, FatEntriesStandLittleEndianInPageAndSwappedInCard) {
    auto page = std::make_unique<PageBytes>();
    auto card = std::make_unique<CardOrderPage>();
    setFatEntry(*page, 0, FAT_END);
    setFatEntry(*page, 1, FAT_FREE);
    EXPECT_TRUE(bytesAt(*page, 130048, std::array<std::uint8_t, 4>{0xFA, 0xFF, 0xFC, 0xFF}));

    pageToCard(*page, *card);
    EXPECT_TRUE(bytesAt(card->bytes, 130048, std::array<std::uint8_t, 4>{0xFF, 0xFC, 0xFF, 0xFA}));
}

TEST(DirEntryLayout, FieldsDecodeFromTheirOffsetsLittleEndianAndEncodeBack) {
    const std::array<std::uint8_t, 32> bytes = {
        0x33, 0x01, 0xC7, 0x00,                                              // firstBlock 199
        'S',  'O',  'N',  'I',  'C',  'A',  'D',  'V',  '_', 'I', 'N', 'T',  // no terminator
        0x20, 0x26, 0x12, 0x06, 0x13, 0x45, 0x30, 0x06,                      // time stamp
        0x03, 0x01,                                                          // sizeInBlocks 259
        0x02, 0x00,                                                          // headerOffset 2
        0xA1, 0xA2, 0xA3, 0xA4};                                             // reserved tail
    const DirEntry entry = decodeDirEntry(bytes);
    EXPECT_EQ(std::tie(entry.fileType, entry.copyFlag, entry.firstBlock, entry.sizeInBlocks,
                       entry.headerOffset, entry.timeStamp[0], entry.timeStamp[7],
                       entry.reservedTail[0], entry.reservedTail[3]),
              std::tuple(0x33, 0x01, 199, 259, 2, 0x20, 0x06, 0xA1, 0xA4));
    EXPECT_EQ(entryName(entry), "SONICADV_INT");
    std::array<std::uint8_t, 32> encoded{};
    encodeDirEntry(entry, encoded);
    EXPECT_EQ(encoded, bytes);
    // Slots run upward from block 241: 16 to a block, the last in block 253.
    EXPECT_EQ(slotOffset(0), 123392u);
    EXPECT_EQ(slotOffset(16), 123904u);
    EXPECT_EQ(slotOffset(207), 130016u);
}

TEST(FormatPage, RootBlockFatAndEmptyDirectoryOfTheStandardLayout) {
    auto page = std::make_unique<PageBytes>();
    page->fill(0x77);
    formatPage(*page);
    const std::uint8_t* root = page->data() + 255 * 512;
    EXPECT_TRUE(std::all_of(root, root + 16, [](std::uint8_t b) { return b == 0x55; }));
    EXPECT_EQ(root[0x46], 0xFE);  // FAT at block 254
    EXPECT_EQ(root[0x47], 0x00);
    EXPECT_EQ(root[0x48], 0x01);  // one FAT block
    EXPECT_EQ(root[0x4A], 0xFD);  // directory from block 253
    EXPECT_EQ(root[0x4C], 0x0D);  // 13 directory blocks
    EXPECT_EQ(root[0x50], 0xC8);  // 200 user blocks
    EXPECT_EQ(root[0x51], 0x00);
    EXPECT_TRUE(std::all_of(page->begin(), page->begin() + 254 * 512,
                            [](std::uint8_t b) { return b == 0; }));

    // User blocks and 200..240 free, the directory chained 253 down to 241, FAT and root alone.
    for (int block = 0; block < 256; ++block) {
        const int expected = block <= 240                   ? FAT_FREE
                             : block == 241 || block >= 254 ? FAT_END
                                                            : block - 1;
        EXPECT_EQ(fatEntry(*page, block), expected) << block;
    }
    // FAT entry 253 in PageImage order: FC 00, little-endian 252.
    EXPECT_TRUE(bytesAt(*page, 130048 + 2 * 253, std::array<std::uint8_t, 2>{0xFC, 0x00}));
}

}  // namespace
}  // namespace quorvane::card::testing
