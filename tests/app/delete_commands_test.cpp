// SPDX-License-Identifier: GPL-3.0-or-later
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
    commands->deleteFile();
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{"status: No file selected...",
                                        "box: No File Selected | Delete file | Ok | Warning"}));
    screen.events.clear();
    organizer->deleteAll();
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{"status: No page read...",
                                        "box: Read a page from the Memory card first "
                                        "(Select/Refresh). | Delete file | Ok | Warning"}));
    EXPECT_TRUE(adapter->page(0) == pages[0]);
}

TEST_F(DeleteCommands, AnsweringNoChangesNothing) {
    startAndRead();
    select("FIVE");
    const auto page = loaded().page;
    screen.boxAnswers = {BoxAnswer::No, BoxAnswer::No};
    commands->deleteFile();
    organizer->deleteAll();
    EXPECT_EQ(screen.events, (std::vector<std::string>{ARE_YOU_SURE, "status: Action cancelled...",
                                                       ARE_YOU_SURE}));
    EXPECT_TRUE(loaded().page == page);
    EXPECT_TRUE(loaded().dirty == card::DirtyMap{});
    EXPECT_FALSE(committed());
}

TEST_F(DeleteCommands, DeletingAFiveBlockFileOfSeventeenUsedLeavesTwelveAndBlankLines) {
    startOnFolderAndRead();
    select("FIVE");
    ASSERT_EQ(screen.texts.blocksUsed, "17");
    commands->deleteFile();
    EXPECT_EQ(screen.events.front(), ARE_YOU_SURE);
    EXPECT_TRUE(committed());
    EXPECT_EQ(screen.texts, (ShownTexts{"File Deleted.", " ", " ", " ", "12", "188"}));
    EXPECT_EQ(selectedEntry(), -1);
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"TWELVE", 12}}));
    expectCardHoldsMemoryPage();
}

TEST_F(DeleteCommands, SeveralSelectedRowsAreAskedAboutOnceAndDeletedInOneCommit) {
    startOnFolderAndRead();
    select("FIVE");
    screen.selectedRows = {207, 206};
    screen.boxAnswers = {BoxAnswer::No};
    const auto page = loaded().page;
    const std::string question =
        "box: Delete these 2 files?\n\nFIVE\nTWELVE | Delete file | YesNo | Question";
    commands->deleteFile();
    EXPECT_EQ(screen.events, (std::vector<std::string>{question, "status: Action cancelled..."}));
    EXPECT_TRUE(loaded().page == page);

    screen.events.clear();
    commands->deleteFile();
    EXPECT_EQ(screen.eventsStartingWith("progress create").size(), 1U);
    EXPECT_EQ(screen.texts.status, "Files Deleted.");
    EXPECT_TRUE(screen.cardRows.empty());
    expectCardHoldsMemoryPage();
}

TEST_F(DeleteCommands, DeleteAllRefusedByAnotherSelectedPageLeavesTheListThenSucceedsOnItsOwnPage) {
    startOnFolderAndRead();
    stepPage(+1);
    organizer->deleteAll();
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_EQ(screen.cardRows.size(), 2u);
    EXPECT_EQ(screen.texts.blocksUsed, "17");
    EXPECT_EQ(loaded().dirty[card::FAT_BLOCK], 1);
    EXPECT_TRUE(readBytes(cardDir / pageFileName(0)) ==
                Bytes(pages[0].bytes.begin(), pages[0].bytes.end()));

    stepPage(-1);
    screen.events.clear();
    organizer->deleteAll();
    EXPECT_EQ(screen.texts, (ShownTexts{"Files Deleted.", " ", " ", " ", "0", "200"}));
    EXPECT_TRUE(screen.cardRows.empty());
    expectCardHoldsMemoryPage();
}

TEST_F(DeleteCommands, SecondDeleteAfterARefusedCommitOnlyRetriesTheCommit) {
    startOnFolderAndRead();
    select("FIVE");
    stepPage(+1);
    commands->deleteFile();
    ASSERT_EQ(screen.texts.status, "Action cancelled...");
    commands->saveFile();  // the row still shows the file, but it is gone from the page
    EXPECT_EQ(screen.texts.status, "No file selected...");
    // An add whose commit also failed has since taken the freed slot and blocks.
    writeBytes(pcDir / "new.ddc", ddcBytes("NEWFILE", 5));
    screen.openAnswers = {pcDir / "new.ddc"};
    commands->addFile();
    ASSERT_EQ(card::enumerateFiles(loaded().page).size(), 2u);
    const auto page = loaded().page;

    stepPage(-1);
    commands->deleteFile();
    EXPECT_EQ(screen.texts.status, "File Deleted.");
    EXPECT_TRUE(loaded().page == page);  // NEWFILE kept: nothing was walked again
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"TWELVE", 12}, {"NEWFILE", 5}}));
    expectCardHoldsMemoryPage();
}

}  // namespace
}  // namespace quorvane::app::testing
