#include "edit_fixture.h"

namespace quorvane::app::testing {
namespace {

class DeleteCommands : public EditFixture {
protected:
    void SetUp() override {
        EditFixture::SetUp();
        addFileToCardPage(pages[0], "FIVE", 5);
        addFileToCardPage(pages[0], "TWELVE", 12);
    }
};

const std::string ARE_YOU_SURE = "box: Are you sure? | Delete file | YesNo | Question";

TEST_F(DeleteCommands, RefusedBeforeAnyPageWithoutTouchingTheCard) {
    start();
    organizer->deleteFileCommand();
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{"status: No file selected...",
                                        "box: No File Selected | Delete file | Ok | Warning"}));
    screen.events.clear();
    organizer->deleteAllCommand();
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{"status: No page read...",
                                        "box: Read a page from the Memory card first "
                                        "(Select/Refresh). | Delete file | Ok | Warning"}));
    EXPECT_TRUE(adapter->page(0) == pages[0]);
}

TEST_F(DeleteCommands, AnsweringNoChangesNothing) {
    startAndRead();
    select("FIVE");
    const auto page = organizer->pageImage();
    screen.boxAnswers = {BoxAnswer::No, BoxAnswer::No};
    organizer->deleteFileCommand();
    organizer->deleteAllCommand();
    EXPECT_EQ(screen.events, (std::vector<std::string>{ARE_YOU_SURE, "status: Action cancelled...",
                                                       ARE_YOU_SURE}));
    EXPECT_TRUE(organizer->pageImage() == page);
    EXPECT_TRUE(organizer->dirtyMap() == card::DirtyMap{});
    EXPECT_FALSE(committed());
}

TEST_F(DeleteCommands, DeletingAFiveBlockFileOfSeventeenUsedLeavesTwelveAndBlankLines) {
    startOnFolderAndRead();
    select("FIVE");
    ASSERT_EQ(screen.texts.blocksUsed, "17");
    organizer->deleteFileCommand();
    const auto& e = screen.events;
    const auto repaint = std::find(e.begin(), e.end(), "repaint");
    const auto commit = std::find(e.begin(), e.end(), "progress create");
    EXPECT_EQ(e.front(), ARE_YOU_SURE);
    EXPECT_TRUE(repaint < commit && commit != e.end());
    EXPECT_EQ(screen.texts, (BoundTexts{"File Deleted.", " ", " ", " ", "12", "188"}));
    EXPECT_EQ(organizer->selectedEntry(), -1);
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"TWELVE", 12}}));
    expectCardHoldsMemoryPage();
}

TEST_F(DeleteCommands, DeleteAllRefusedByAnotherSelectedPageLeavesTheListThenSucceedsOnItsOwnPage) {
    startOnFolderAndRead();
    organizer->stepPage(+1);
    organizer->deleteAllCommand();
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_EQ(screen.cardRows.size(), 2u);
    EXPECT_EQ(screen.texts.blocksUsed, "17");
    EXPECT_EQ(organizer->dirtyMap()[card::FAT_BLOCK], 1);
    EXPECT_TRUE(readBytes(cardDir / pageFileName(0)) ==
                Bytes(pages[0].bytes.begin(), pages[0].bytes.end()));

    organizer->stepPage(-1);
    screen.events.clear();
    organizer->deleteAllCommand();
    EXPECT_TRUE(screen.eventsStartingWith("repaint").empty());
    EXPECT_EQ(screen.texts, (BoundTexts{"Files Deleted.", " ", " ", " ", "0", "200"}));
    EXPECT_TRUE(screen.cardRows.empty());
    expectCardHoldsMemoryPage();
}

TEST_F(DeleteCommands, SecondDeleteAfterARefusedCommitOnlyRetriesTheCommit) {
    startOnFolderAndRead();
    select("FIVE");
    organizer->stepPage(+1);
    organizer->deleteFileCommand();
    ASSERT_EQ(screen.texts.status, "Action cancelled...");
    organizer->saveFile();  // the row still shows the file, but it is gone from the page
    EXPECT_EQ(screen.texts.status, "No file selected...");
    // An add whose commit also failed has since taken the freed slot and blocks.
    writeBytes(pcDir / "new.ddc", ddcBytes("NEWFILE", 5));
    screen.openAnswers = {pcDir / "new.ddc"};
    organizer->addFile();
    ASSERT_EQ(card::enumerateFiles(organizer->pageImage()).size(), 2u);
    const auto page = organizer->pageImage();

    organizer->stepPage(-1);
    organizer->deleteFileCommand();
    EXPECT_EQ(screen.texts.status, "File Deleted.");
    EXPECT_TRUE(organizer->pageImage() == page);  // NEWFILE kept: nothing was walked again
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"TWELVE", 12}, {"NEWFILE", 5}}));
    expectCardHoldsMemoryPage();
}

}  // namespace
}  // namespace quorvane::app::testing
