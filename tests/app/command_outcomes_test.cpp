// SPDX-License-Identifier: GPL-3.0-or-later
#include "edit_fixture.h"

// The outcome each command returns and the adapter's page count.
namespace quorvane::app::testing {
namespace {

class CommandOutcomes : public EditFixture {};

TEST_F(CommandOutcomes, EachCommandSaysWhetherItDidWhatWasAsked) {
    addFileToCardPage(pages[0], "RACE", 3);
    startOnFolderAndRead(0);
    writeBytes(pcDir / "new.ddc", ddcBytes("NEWFILE", 2));

    screen.saveAnswers = {std::nullopt, pcDir / "race.ddc"};
    select("RACE");
    EXPECT_FALSE(commands->saveFile());  // dialog cancelled
    select("RACE");
    EXPECT_TRUE(commands->saveFile());

    screen.openAnswers = {pcDir / "none.ddc", pcDir / "new.ddc"};
    EXPECT_FALSE(commands->addFile());  // "File Not Found." leaves the status as it was
    EXPECT_TRUE(commands->addFile());

    screen.boxAnswers = {BoxAnswer::No, BoxAnswer::Yes};
    select("RACE");
    EXPECT_FALSE(commands->deleteFile());
    EXPECT_TRUE(commands->deleteFile());
    EXPECT_FALSE(commands->deleteFile());  // nothing selected any more

    screen.saveAnswers = {pcDir / "page.dcm"};
    EXPECT_TRUE(commands->exportPageFile());
    EXPECT_FALSE(commands->exportPageFile());  // dialog cancelled

    screen.boxAnswers = {BoxAnswer::No};
    EXPECT_FALSE(commands->importPageFile());
    screen.openAnswers = {pcDir / "page.dcm"};
    EXPECT_TRUE(commands->importPageFile());

    screen.boxAnswers = {BoxAnswer::No, BoxAnswer::Yes};
    EXPECT_FALSE(organizer->deleteAll());
    EXPECT_TRUE(organizer->deleteAll());
}

TEST_F(CommandOutcomes, ReadsAndCommitsThatFailSayNo) {
    startAndRead(0);
    stepPage(+5);  // page 6 of 4
    EXPECT_FALSE(organizer->readChosenPage());
    stepPage(-5);
    EXPECT_TRUE(organizer->readChosenPage());

    // The page is read; the adapter goes away before the delete's commit.
    addFileToCardPage(pages[0], "RACE", 3);
    startAndRead(0);
    select("RACE");
    adapter->faults().unplugAfterAccesses = adapter->accessCount();
    EXPECT_FALSE(commands->deleteFile());
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
}

TEST_F(CommandOutcomes, PageCountComesFromTheAdapterOrNotAtAll) {
    pages.resize(3);
    start();
    screen.events.clear();
    EXPECT_EQ(organizer->countPages(), 3);
    EXPECT_EQ(screen.texts.status, "3 pages on this Memory card.");
    EXPECT_TRUE(boxes().empty());

    organizer->selectPort(0x278);  // the virtual adapter answers at 0x378 only
    EXPECT_EQ(organizer->countPages(), std::nullopt);
    EXPECT_EQ(screen.texts.status, "Connection FAILED!!!");
    EXPECT_EQ(
        boxes(),
        (std::vector<std::string>{"box: Connection FAILED. | Connection Error | Ok | Error"}));
}

}  // namespace
}  // namespace quorvane::app::testing
