// SPDX-License-Identifier: GPL-3.0-or-later
// The page check from the Tools menu: it reads the page only, reports each kind of damage, and
// its repair of lost blocks is an edit committed at once like any other. Formatting: a page read
// without its format mark says so, and Format Page makes an empty page.
#include "card/page_check.h"
#include "card/root_block.h"
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

// A page as a real card left it: a chain that no file reaches from block 235 down to 175, on a
// card whose root block counts 241 user blocks, or 200; and a file of each damage that a check
// must name for what it is.
TEST_F(CheckPageCommand, ReportNamesEachDamageAndTheRepairFreesTheBlocksTheCardCounts) {
    for (const int userBlocks : {241, 200}) {
        auto image = std::make_unique<card::PageBytes>();
        card::formatPage(*image);
        (*image)[card::ROOT_BLOCK * card::BLOCK_SIZE + 0x50] =
            static_cast<std::uint8_t>(userBlocks);
        for (int block = 235; block > 175; --block) {
            card::setFatEntry(*image, block, static_cast<std::uint16_t>(block - 1));
        }
        const auto put = [&image](int slot, std::string_view name, std::uint16_t size, int first,
                                  std::uint16_t next, std::uint16_t headerOffset = 0) {
            card::DirEntry entry = makeEntry(name, size, static_cast<std::uint16_t>(first));
            entry.headerOffset = headerOffset;
            card::writeSlot(*image, slot, entry);
            card::setFatEntry(*image, first, next);
        };
        put(207, "LAST_FREE", 1, 20, card::FAT_FREE);
        put(206, "RUNS_ON", 1, 21, 238);
        put(205, "HEADER", 1, 30, card::FAT_END, 1);
        put(204, "CSI\x9B[2J", 1, 40, card::FAT_END);
        card::setFatEntry(*image, 175, card::FAT_END);
        card::pageToCard(*image, pages[0]);
        startAndRead();
        screen.pageCheckReports.clear();
        screen.pageCheckAnswer = PageCheckAnswer::FreeLostBlocks;
        screen.boxAnswers = {BoxAnswer::Yes};
        commands->checkPage();

        const std::string lost = userBlocks == 241 ? "61 user blocks are taken in the FAT by no "
                                                     "file (lost blocks): 175-235"
                                                   : "25 user blocks are taken in the FAT by no "
                                                     "file (lost blocks): 175-199";
        ASSERT_EQ(screen.pageCheckReports.size(), 1u);
        EXPECT_EQ(screen.pageCheckReports[0],
                  "Check of page 1\n\nFiles:\n- HEADER (slot 205): its header offset is 1, but "
                  "it has only 1 block: its save header lies past its end, where the card's own "
                  "menu cannot find it.\n- RUNS_ON (slot 206): its chain runs on past its 1 "
                  "block: block 21, its last, links on to block 238 instead of ending there.\n- "
                  "LAST_FREE (slot 207): its last block, 20, is marked free in the FAT instead of "
                  "ending its chain: the next add will overwrite it.\n\nThe page:\n- " +
                      lost +
                      ".\n- Blocks Free says 196, but the FAT leaves an add only 172 (24 "
                      "fewer).\n\nWarnings:\n- CSI\xEF\xBF\xBD[2J (slot 204): its name cannot be "
                      "used as a PC file name, as its character 4 is 0x9B, a control or format "
                      "character that does not print (a warning: the file is sound, but no .ddc "
                      "can be saved under its name).\n");
        EXPECT_EQ(screen.texts.status, "Lost blocks freed.");
        for (int block = 0; block < card::BLOCK_COUNT; ++block) {
            const bool freed = block >= 175 && block <= 235 && block < userBlocks;
            EXPECT_EQ(card::fatEntry(loaded().page, block),
                      freed ? card::FAT_FREE : card::fatEntry(*image, block))
                << userBlocks << " " << block;
        }
        EXPECT_TRUE(adapter->page(0) == cardImage());
    }
}

class FormatCommands : public EditFixture {};

TEST_F(FormatCommands, UnformattedPageSaysSoTakesNoFileAndIsFormattedOnlyAfterAYes) {
    pages[1] = card::CardOrderPage{};  // blank, as the console leaves a card it never formatted
    addFileToCardPage(pages[0], "RACE", 3);
    startOnFolderAndRead(1);
    organizer->readChosenPage();
    EXPECT_EQ(screen.texts.status, "This page is not formatted.");
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: This page is not formatted. | Read Memory Card | Ok | Warning"}));
    EXPECT_TRUE(screen.cardRows.empty());
    EXPECT_EQ(screen.texts.blocksFree, "");

    writeBytes(pcDir / "add.ddc", ddcBytes("NEWFILE", 2));
    const Bytes before = readBytes(cardDir / pageFileName(1));
    screen.events.clear();
    screen.openAnswers = {pcDir / "add.ddc"};
    EXPECT_FALSE(commands->addFile());
    EXPECT_EQ(boxes(), (std::vector<std::string>{"box: This page is not formatted. | Copy file to "
                                                 "DC Memory pack. | Ok | Warning"}));
    screen.boxAnswers = {BoxAnswer::No};
    EXPECT_FALSE(commands->formatPage());
    EXPECT_EQ(boxes().back(),
              "box: Format page 2? Every file on it will be lost. | Format Page | YesNo | Warning");
    EXPECT_TRUE(readBytes(cardDir / pageFileName(1)) == before);

    EXPECT_TRUE(commands->formatPage());
    EXPECT_EQ(screen.texts.status, "Page formatted.");
    EXPECT_EQ(screen.texts.blocksFree, "200");
    EXPECT_TRUE(card::checkPage(loaded().page).clean());
    expectCardHoldsMemoryPage(1);
    // Dated by the clock: 2026-12-06 13:45:30, a Sunday (6 from Monday), in BCD.
    const card::RootBlock rootBlock = card::rootBlockOf(loaded().page);
    EXPECT_EQ(Bytes(rootBlock.begin() + 0x30, rootBlock.begin() + 0x38),
              (Bytes{0x20, 0x26, 0x12, 0x06, 0x13, 0x45, 0x30, 0x06}));
    screen.openAnswers = {pcDir / "add.ddc"};
    EXPECT_TRUE(commands->addFile());

    // A page with files loses them; the blocks that held their data are not written.
    stepPage(-1);
    organizer->readChosenPage();
    const Bytes withFiles = readBytes(cardDir / pageFileName(0));
    EXPECT_TRUE(commands->formatPage());
    const Bytes formatted = readBytes(cardDir / pageFileName(0));
    EXPECT_TRUE(
        std::equal(formatted.begin(), formatted.begin() + card::DIR_OFFSET, withFiles.begin()));
}

}  // namespace
}  // namespace quorvane::app::testing
