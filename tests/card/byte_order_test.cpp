#include "card/byte_order.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "card/dir_entry.h"

namespace quorvane::card {
namespace {

TEST(ByteOrder, CardToPageReversesEveryFourByteGroup) {
    auto card = std::make_unique<PageBytes>();
    auto page = std::make_unique<PageBytes>();
    const std::array<std::uint8_t, 8> cardBytes = {0x01, 0x02, 0x03, 0x04, 'A', 'B', 'C', 'D'};
    std::copy(cardBytes.begin(), cardBytes.end(), card->begin());
    std::copy(cardBytes.begin(), cardBytes.end(), card->end() - 8);

    CardToPage(*card, *page);

    const std::array<std::uint8_t, 8> pageBytes = {0x04, 0x03, 0x02, 0x01, 'D', 'C', 'B', 'A'};
    EXPECT_TRUE(std::equal(pageBytes.begin(), pageBytes.end(), page->begin()));
    EXPECT_TRUE(std::equal(pageBytes.begin(), pageBytes.end(), page->end() - 8));
}

TEST(ByteOrder, FatEntriesStandLittleEndianInPageAndSwappedInCard) {
    auto page = std::make_unique<PageBytes>();
    auto card = std::make_unique<PageBytes>();
    SetFatEntry(*page, 0, FAT_END);
    SetFatEntry(*page, 1, FAT_FREE);

    const std::array<std::uint8_t, 4> inPage = {0xFA, 0xFF, 0xFC, 0xFF};
    EXPECT_TRUE(std::equal(inPage.begin(), inPage.end(), page->begin() + 130048));

    PageToCard(*page, *card);
    const std::array<std::uint8_t, 4> inCard = {0xFF, 0xFC, 0xFF, 0xFA};
    EXPECT_TRUE(std::equal(inCard.begin(), inCard.end(), card->begin() + 130048));
}

TEST(ByteOrder, CardToPageThenPageToCardGivesTheSameCardImage) {
    auto card = std::make_unique<PageBytes>();
    auto page = std::make_unique<PageBytes>();
    auto back = std::make_unique<PageBytes>();
    for (std::size_t i = 0; i < card->size(); ++i) {
        (*card)[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    CardToPage(*card, *page);
    PageToCard(*page, *back);
    EXPECT_EQ(*card, *back);
}

TEST(DirEntryLayout, FieldsDecodeFromTheirOffsetsLittleEndian) {
    const std::array<std::uint8_t, 32> bytes = {
        0x33, 0x01, 0xC7, 0x00,  // type, copy, firstBlock 199
        'S',  'O',  'N',  'I',  'C',  'A',  'D',  'V',  '_', 'I', 'N', 'T',  // name, no terminator
        0x20, 0x26, 0x12, 0x06, 0x13, 0x45, 0x30, 0x06,                      // time stamp
        0x03, 0x01,                                                          // sizeInBlocks 259
        0x02, 0x00,                                                          // headerOffset 2
        0xA1, 0xA2, 0xA3, 0xA4};                                             // reserved tail
    const DirEntry entry = DecodeDirEntry(bytes);
    EXPECT_EQ(entry.fileType, 0x33);
    EXPECT_EQ(entry.copyFlag, 0x01);
    EXPECT_EQ(entry.firstBlock, 199);
    EXPECT_EQ(EntryName(entry), "SONICADV_INT");
    EXPECT_EQ(entry.timeStamp[0], 0x20);
    EXPECT_EQ(entry.timeStamp[7], 0x06);
    EXPECT_EQ(entry.sizeInBlocks, 259);
    EXPECT_EQ(entry.headerOffset, 2);
    EXPECT_EQ(entry.reservedTail[3], 0xA4);

    std::array<std::uint8_t, 32> encoded{};
    EncodeDirEntry(entry, encoded);
    EXPECT_EQ(encoded, bytes);
}

TEST(DirEntryLayout, SlotsRunUpwardFromBlock241) {
    EXPECT_EQ(SlotOffset(0), 123392u);
    EXPECT_EQ(SlotOffset(16), 123904u);   // first entry of block 242
    EXPECT_EQ(SlotOffset(207), 130016u);  // last entry of block 253
}

}  // namespace
}  // namespace quorvane::card
