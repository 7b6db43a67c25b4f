// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstring>
#include <vector>

#include "card/listing.h"
#include "card_page.h"

// A card formatted by other tools with 241 user blocks keeps files in blocks 200..240 too: they
// are followed like any other block and freed in the FAT, but never allocated or written by this
// program.
namespace quorvane::card::testing {
namespace {

class ExtendedCard : public CardPage {
protected:
    // Slot 207: 8 blocks 240 -> 233. Slot 206: 16 blocks 205 -> 190, crossing into the user
    // blocks. Each block starts with its own number; the first block of each file with a
    // description.
    void SetUp() override {
        CardPage::SetUp();
        formatPage(*page);
        (*page)[ROOT_BLOCK * BLOCK_SIZE + 0x50] = 241;  // user blocks, as the other tools format
        for (int block = 200; block < 256; ++block) {
            setFatEntry(*page, block, static_cast<std::uint16_t>(0x3000 + block));
        }
        chain(240, 233);
        chain(205, 190);
        writeSlot(*page, 207, newEntry("HIGH_FILE", 8, 240));
        writeSlot(*page, 206, newEntry("CROSSING", 16, 205));
        describe(240, "HIGH SAVE");
        describe(205, "CROSSING SAVE");
    }

    void chain(int from, int to) {
        for (int block = from; block > to; --block) {
            setFatEntry(*page, block, static_cast<std::uint16_t>(block - 1));
        }
        setFatEntry(*page, to, FAT_END);
        for (int block = from; block >= to; --block) {
            (*page)[static_cast<std::size_t>(block) * BLOCK_SIZE] =
                static_cast<std::uint8_t>(block);
        }
    }
    void describe(int block, const char* line1) {
        std::memcpy(page->data() + static_cast<std::size_t>(block) * BLOCK_SIZE + 1, line1,
                    std::strlen(line1));
    }
    // The first byte of each extracted block.
    std::vector<int> extractedBlocks(int slot) {
        EXPECT_EQ(extractFile(*page, slot, file), ExtractResult::Extracted);
        const int blocks = readSlot(*page, slot).sizeInBlocks;
        std::vector<int> firstBytes;
        firstBytes.reserve(static_cast<std::size_t>(blocks));
        for (int k = 0; k < blocks; ++k) {
            firstBytes.push_back(file.data[static_cast<std::size_t>(k) * BLOCK_SIZE]);
        }
        return firstBytes;
    }
};

std::vector<int> descending(int from, int to) {
    std::vector<int> blocks;
    for (int block = from; block >= to; --block) {
        blocks.push_back(block);
    }
    return blocks;
}

TEST_F(ExtendedCard, FilesBeyondBlock199ShowTheirLinesAndExtractAlongTheirChains) {
    EXPECT_EQ(readFileInfo(*page, 207)[0], "\xF0HIGH SAVE");
    EXPECT_EQ(readFileInfo(*page, 206)[0],
              "\xCD"
              "CROSSING SAVE");
    EXPECT_EQ(extractedBlocks(207), descending(240, 233));
    EXPECT_EQ(extractedBlocks(206), descending(205, 190));
    EXPECT_EQ(followChain(*page, 206).blocks, descending(205, 190));
    EXPECT_EQ(filesBeyondUserBlocks(*page), (std::vector<int>{206, 207}));
    // The counts come from the directory, as on any card.
    EXPECT_EQ(countBlocks(*page).used, 24);
}

TEST_F(ExtendedCard, ChainIntoTheSystemBlocksStaysDamaged) {
    setFatEntry(*page, 236, 245);
    EXPECT_EQ(extractFile(*page, 207, file), ExtractResult::DamagedChain);
    EXPECT_FALSE(followChain(*page, 207).complete);
}

// The FAT block goes with every commit; the data blocks 200..240 never do.
TEST_F(ExtendedCard, DeleteFreesTheFatEntriesOfTheUserBlocksTheRootBlockCounts) {
    for (const int userBlocks : {241, 200}) {
        SetUp();
        (*page)[ROOT_BLOCK * BLOCK_SIZE + 0x50] = static_cast<std::uint8_t>(userBlocks);
        const auto before = std::make_unique<PageBytes>(*page);
        const DeleteResult done = userBlocks == 241
                                      ? DeleteResult::Deleted
                                      : DeleteResult::DeletedKeepingBlocksBeyondUserArea;
        EXPECT_EQ(deleteFile(*page, dirty, 206), done);
        EXPECT_EQ(deleteFile(*page, dirty, 207), done);
        for (int block = 0; block < BLOCK_COUNT; ++block) {
            const bool freed = (block >= 190 && block < userBlocks && block <= 205) ||
                               (block >= 233 && block < userBlocks);
            EXPECT_EQ(fatEntry(*page, block), freed ? FAT_FREE : fatEntry(*before, block))
                << userBlocks << " " << block;
        }
        EXPECT_TRUE(std::equal(page->begin(), page->begin() + 241 * 512, before->begin()));
        EXPECT_EQ(dirty, marked({}));

        deleteAllFiles(*page, dirty);
        for (int block = 0; block < BLOCK_COUNT; ++block) {
            EXPECT_EQ(fatEntry(*page, block) == FAT_FREE, block < userBlocks)
                << userBlocks << " " << block;
        }
    }
}

}  // namespace
}  // namespace quorvane::card::testing
