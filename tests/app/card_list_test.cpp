// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app_fixture.h"

namespace quorvane::app::testing {
namespace {

using Rows = std::vector<std::pair<std::string, unsigned>>;

class CardListTest : public AppFixture {
protected:
    void SetUp() override { startAndRead(); }

    // Puts a one-block file with `blocks` claimed in the directory into `slot`; its block starts
    // with `info`.
    void putFile(int slot, std::string_view name, std::uint16_t blocks, int block,
                 std::string_view info = "") {
        editLoaded([&](LoadedPage& loaded) {
            card::PageBytes& page = loaded.page;
            card::DirEntry entry = makeEntry(name, blocks);
            entry.firstBlock = static_cast<std::uint16_t>(block);
            card::writeSlot(page, slot, entry);
            card::setFatEntry(page, block, card::FAT_END);
            std::copy(info.begin(), info.end(), page.begin() + block * card::BLOCK_SIZE);
        });
    }
};

TEST_F(CardListTest, RowsFollowSlotOrderWithTheBlockCounts) {
    putFile(10, "TENTH", 12, 20);
    putFile(3, "THIRD", 5, 21);

    EXPECT_EQ(screen.cardRows, (Rows{{"THIRD", 5}, {"TENTH", 12}}));
    EXPECT_EQ(screen.texts.blocksUsed, "17");
    EXPECT_EQ(screen.texts.blocksFree, "183");
}

TEST_F(CardListTest, EmptyPageListsNothingAndAllBlocksFree) {
    EXPECT_TRUE(screen.cardRows.empty());
    EXPECT_EQ(screen.texts.blocksUsed, "0");
    EXPECT_EQ(screen.texts.blocksFree, "200");
}

TEST_F(CardListTest, OvercommittedDirectoryShowsNegativeFreeCount) {
    putFile(0, "HUGE", 250, 30);
    EXPECT_EQ(screen.texts.blocksFree, "-50");
}

TEST_F(CardListTest, SelectingARowTakesItsOwnFileEvenOfTwoOfOneName) {
    putFile(10, "SAME", 1, 40, "upper slot");
    putFile(3, "SAME", 1, 41, "lower slot");
    EXPECT_EQ(screen.rowSlots, (std::vector<int>{3, 10}));
    for (const auto& [slot, info] : {std::pair{10, "upper slot"}, std::pair{3, "lower slot"}}) {
        organizer->selectFile(slot);
        EXPECT_EQ(selectedEntry(), slot);
        EXPECT_EQ(organizer->selection()->name, "SAME");
        EXPECT_EQ(screen.texts.info1, info);
    }
}

TEST_F(CardListTest, ASlotHoldingNoFileKeepsTheSelectionAndRefreshes) {
    putFile(3, "KEPT", 1, 41, "kept info");
    organizer->selectFile(3);
    organizer->setStatus("pending");

    for (const int slot : {7, -1, card::DIR_SLOT_COUNT}) {
        organizer->selectFile(slot);
        EXPECT_EQ(organizer->selection()->name, "KEPT");
        EXPECT_EQ(selectedEntry(), 3);
        EXPECT_EQ(screen.texts.info1, "kept info");
        EXPECT_EQ(screen.texts.status, "pending");
    }
}

TEST_F(CardListTest, InformationLinesComeFromTheFirstBlockCutAtZero) {
    std::string block = "ABCDEFGHIJKLMNOP";  // 16 bytes, no zero
    block += "second line of thirty-two bytes.";
    block += std::string("three\0tail456789", 16);
    putFile(5, "INFO", 1, 50, block);
    organizer->selectFile(5);

    EXPECT_EQ(screen.texts.info1, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(screen.texts.info2, "second line of thirty-two bytes.");
    EXPECT_EQ(screen.texts.info3, "three");
}

}  // namespace
}  // namespace quorvane::app::testing
