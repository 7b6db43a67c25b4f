#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "support/organizer_probe.h"

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
        card::PageBytes& page = OrganizerProbe(*organizer).pageImage();
        card::DirEntry entry = makeEntry(name, blocks);
        entry.firstBlock = static_cast<std::uint16_t>(block);
        card::writeSlot(page, slot, entry);
        card::setFatEntry(page, block, card::FAT_END);
        std::copy(info.begin(), info.end(), page.begin() + block * card::BLOCK_SIZE);
    }

    void relist() {
        screen.clearCardList();
        organizer->listFiles();
    }
};

TEST_F(CardListTest, RowsFollowSlotOrderWithTheBlockCounts) {
    putFile(10, "TENTH", 12, 20);
    putFile(3, "THIRD", 5, 21);
    relist();

    EXPECT_EQ(screen.cardRows, (Rows{{"THIRD", 5}, {"TENTH", 12}}));
    EXPECT_EQ(screen.texts.blocksUsed, "17");
    EXPECT_EQ(screen.texts.blocksFree, "183");
    EXPECT_EQ(organizer->freeBlockCount(), 183);
}

TEST_F(CardListTest, EmptyPageListsNothingAndAllBlocksFree) {
    EXPECT_TRUE(screen.cardRows.empty());
    EXPECT_EQ(screen.texts.blocksUsed, "0");
    EXPECT_EQ(screen.texts.blocksFree, "200");
    EXPECT_EQ(organizer->freeBlockCount(), 200);
}

TEST_F(CardListTest, OvercommittedDirectoryShowsNegativeFreeCount) {
    putFile(0, "HUGE", 250, 30);
    relist();
    EXPECT_EQ(screen.texts.blocksFree, "-50");
    EXPECT_EQ(organizer->freeBlockCount(), -50);
}

TEST_F(CardListTest, SelectingANameTakesTheLowerOfTwoEqualSlots) {
    putFile(10, "SAME", 1, 40, "upper slot");
    putFile(3, "SAME", 1, 41, "lower slot");
    relist();
    organizer->selectFile("SAME");

    EXPECT_EQ(organizer->selectedEntry(), 3);
    EXPECT_EQ(organizer->selectedName(), "SAME");
    EXPECT_EQ(screen.texts.info1, "lower slot");
    // The selection also extracts the file: its entry and its block.
    EXPECT_EQ(organizer->cardFile().entry, card::readSlot(organizer->pageImage(), 3));
    ASSERT_EQ(organizer->cardFile().data.size(), 512u);
    const std::string data(organizer->cardFile().data.begin(),
                           organizer->cardFile().data.begin() + 10);
    EXPECT_EQ(data, "lower slot");
}

TEST_F(CardListTest, NameMatchingNoSlotOnlySetsTheNameAndRefreshes) {
    putFile(3, "KEPT", 1, 41, "kept info");
    relist();
    organizer->selectFile("KEPT");
    const card::CardFile extracted = organizer->cardFile();
    organizer->setStatus("pending");

    organizer->selectFile("kept");  // names compare case-sensitively
    EXPECT_EQ(organizer->selectedName(), "kept");
    EXPECT_EQ(organizer->selectedEntry(), 3);
    EXPECT_EQ(screen.texts.info1, "kept info");
    EXPECT_EQ(screen.texts.status, "pending");
    EXPECT_EQ(organizer->cardFile(), extracted);
}

TEST_F(CardListTest, InformationLinesComeFromTheFirstBlockCutAtZero) {
    std::string block = "ABCDEFGHIJKLMNOP";  // 16 bytes, no zero
    block += "second line of thirty-two bytes.";
    block += std::string("three\0tail456789", 16);
    putFile(5, "INFO", 1, 50, block);
    organizer->showFileInfo(5);

    EXPECT_EQ(organizer->boundTexts().info1, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(organizer->boundTexts().info2, "second line of thirty-two bytes.");
    EXPECT_EQ(organizer->boundTexts().info3, "three");
    EXPECT_EQ(screen.texts.info1, "");  // assigned, not yet shown
}

}  // namespace
}  // namespace quorvane::app::testing
