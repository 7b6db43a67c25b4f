// The page check from the Tools menu: it reads the page only, reports each kind of damage, and
// its repair of lost blocks is an edit committed at once like any other.
#include "edit_fixture.h"

namespace quorvane::app::testing {
namespace {

class CheckPageCommand : public EditFixture {
protected:
    // Blocks 100..135 taken in the FAT by no file: the directory says 36 blocks more are free
    // than an add can use.
    static void loseBlocks(card::CardOrderPage& cardImage) {
        auto pageImage = std::make_unique<card::PageBytes>();
        card::cardToPage(cardImage, *pageImage);
        for (int block = 100; block < 136; ++block) {
            card::setFatEntry(*pageImage, block, card::FAT_END);
        }
        card::pageToCard(*pageImage, cardImage);
    }
    void addFile(std::string_view name, std::uint16_t blocks) {
        writeBytes(pcDir / "add.ddc", ddcBytes(name, blocks));
        screen.openAnswers = {pcDir / "add.ddc"};
        commands->addFile();
    }
};

TEST_F(CheckPageCommand, CleanPageSaysSoInOneLineAndChangesNothing) {
    start();
    commands->checkPage();
    EXPECT_EQ(screen.eventsStartingWith("box: ").back(),
              "box: Read a page from the Memory card first (Select/Refresh). | Check Page | Ok | "
              "Warning");

    addFileToCardPage(pages[1], "RACEDATA_001", 3);
    startAndRead(1);
    const auto page = loaded().page;
    commands->checkPage();
    ASSERT_EQ(screen.pageCheckReports.size(), 1u);
    EXPECT_EQ(screen.pageCheckReports[0],
              "Check of page 2\n\nThe page is clean: its directory, its FAT and every file's "
              "chain agree.\n");
    EXPECT_EQ(screen.events, (std::vector<std::string>{"page check"}));
    EXPECT_TRUE(loaded().page == page);
}

TEST_F(CheckPageCommand, FreeingLostBlocksMakesAnAddFitThatDidNotFitBefore) {
    addFileToCardPage(pages[0], "RACE", 2);
    loseBlocks(pages[0]);
    startOnFolderAndRead();
    addFile("BIG_FILE", 170);  // Blocks Free says 198, the FAT holds 162
    EXPECT_EQ(screen.texts.status, "This file won't fit on this page...");

    screen.events.clear();
    screen.pageCheckAnswer = PageCheckAnswer::FreeLostBlocks;
    screen.boxAnswers = {BoxAnswer::Yes};
    commands->checkPage();
    ASSERT_EQ(screen.pageCheckReports.size(), 1u);
    EXPECT_EQ(
        screen.pageCheckReports[0],
        "Check of page 1\n\nThe page:\n- 36 user blocks are taken in the FAT by no file (lost "
        "blocks): 100-135.\n- Blocks Free says 198, but the FAT leaves an add only 162 (36 "
        "fewer).\n");
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: Free the 36 lost blocks (100-135)?\n\nNo file's chain reaches "
                           "them. The page is written to the card at once. | Check Page | YesNo | "
                           "Question"}));
    EXPECT_EQ(screen.texts.status, "Lost blocks freed.");
    EXPECT_TRUE(loaded().dirty == card::DirtyMap{});
    expectCardHoldsMemoryPage();

    addFile("BIG_FILE", 170);
    EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
}

TEST_F(CheckPageCommand, RepairDeclinedOrNotWrittenLeavesThePageOrTheEditPending) {
    loseBlocks(pages[0]);
    startAndRead();
    const auto page = loaded().page;
    screen.pageCheckAnswer = PageCheckAnswer::FreeLostBlocks;
    screen.boxAnswers = {BoxAnswer::No};
    commands->checkPage();
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_TRUE(loaded().page == page);
    EXPECT_FALSE(committed());

    stepPage(+1);  // the adapter has another page selected: the commit is refused
    commands->checkPage();
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_NE(loaded().dirty, card::DirtyMap{});
    EXPECT_EQ(card::fatEntry(loaded().page, 100), card::FAT_FREE);
    EXPECT_TRUE(adapter->page(0) == pages[0]);
}

}  // namespace
}  // namespace quorvane::app::testing
