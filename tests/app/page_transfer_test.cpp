// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app_fixture.h"
#include "link/system_port.h"

namespace quorvane::app::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Indicator levels 0..8 as the adapter's indicator takes them.
const std::uint8_t PATTERN[9][2] = {{0x00, 0x00}, {0x00, 0x03}, {0x80, 0x03},
                                    {0xC0, 0x03}, {0xE0, 0x03}, {0xF0, 0x03},
                                    {0xF8, 0x03}, {0xFC, 0x03}, {0xFE, 0x03}};

void append(Bytes& to, std::initializer_list<std::uint8_t> bytes) {
    to.insert(to.end(), bytes);
}

void appendIndicator(Bytes& to, int level) {
    append(to, {0x10, PATTERN[level][0], PATTERN[level][1]});
}

// How often the PC sent `bytes` in a row.
long occurrences(const Bytes& sent, const Bytes& bytes) {
    long count = 0;
    for (auto it = sent.begin();
         (it = std::search(it, sent.end(), bytes.begin(), bytes.end())) != sent.end(); ++it) {
        ++count;
    }
    return count;
}

std::vector<std::string> statuses(const RecordingScreen& screen) {
    return screen.eventsStartingWith("status: ");
}

bool shown(const RecordingScreen& screen, const std::string& event) {
    return std::find(screen.events.begin(), screen.events.end(), event) != screen.events.end();
}

class PageReadTest : public AppFixture {
protected:
    void SetUp() override { addFileToCardPage(pages[0], "FIRST", 3); }
};

TEST_F(PageReadTest, ReadWithoutErrorsFollowsTheCommandSequence) {
    addFileToCardPage(pages[1], "SECOND", 2, 0x40);
    start();
    stepPage(1);
    traffic->clear();
    organizer->readChosenPage();

    EXPECT_EQ(statuses(screen),
              (std::vector<std::string>{
                  "status: Connecting to Memory card.......", "status: Connected....",
                  "status: Reading Memory card.......", "status: Changing pages...Please wait.....",
                  "status: Page changed.......", "status: Block read OK...",
                  "status: Memory card read successful."}));
    Bytes expected;
    append(expected, {0x08, 0x01, 0x08, 0x01, 0x04, 0x01, 0x01});
    appendIndicator(expected, 0);
    for (int b = 0; b < 256; ++b) {
        append(expected, {0x80, static_cast<std::uint8_t>(b)});
        appendIndicator(expected, b / 32 + 1);
    }
    appendIndicator(expected, 0);
    append(expected, {0x01});
    EXPECT_EQ(traffic->sent(), expected);
    EXPECT_EQ(traffic->received().size(), 3u + 3u + 256u * 513u);

    EXPECT_EQ(cardImage(), pages[1]);
    EXPECT_EQ(screen.cardRows, (std::vector<std::pair<std::string, unsigned>>{{"SECOND", 2}}));
    EXPECT_EQ(screen.pageCaption, "Current Page : 2");
    EXPECT_TRUE(screen.editCommandsEnabled);
    EXPECT_EQ(screen.mainProgressPosition, 0);
    EXPECT_EQ(selectedEntry(), -1);
    // The information lines become one space but reach the screen only with the next refresh.
    EXPECT_EQ(screen.texts.info1, "");
    organizer->setStatus("next");
    EXPECT_EQ(screen.texts.info1, " ");
}

TEST_F(PageReadTest, PageBeyondTheAdapterCountIsRefusedWithoutReset) {
    start();
    stepPage(15);
    traffic->clear();
    organizer->readChosenPage();

    EXPECT_EQ(screen.events.back(),
              "box: There are only 4 pages on this Memory card | Page out of range | Ok | Warning");
    EXPECT_EQ(screen.texts.status, "Connecting to Memory card.......");
    EXPECT_EQ(traffic->sent(), (Bytes{0x08, 0x01}));  // the status query alone
    EXPECT_EQ(screen.pageCaption, "Current Page : NONE");
    EXPECT_FALSE(organizer->loadedPage().has_value());
}

TEST_F(PageReadTest, NoAdapterShowsConnectionFailedAndResets) {
    start();
    adapter->faults().unplugAfterAccesses = adapter->accessCount();
    EXPECT_FALSE(organizer->readChosenPage());

    EXPECT_EQ(statuses(screen).back(), "status: Connection FAILED!!!");
    EXPECT_EQ(screen.events.back(), "box: Connection FAILED. | Connection Error | Ok | Error");
    EXPECT_FALSE(link->linkLost());  // reset: an open port reads as ready
    EXPECT_FALSE(organizer->loadedPage().has_value());
    EXPECT_FALSE(screen.editCommandsEnabled);
}

TEST_F(PageReadTest, PortWithoutAdapterFailsToConnect) {
    start();
    organizer->selectPort(0x278);
    organizer->readChosenPage();
    EXPECT_EQ(screen.events.back(), "box: Connection FAILED. | Connection Error | Ok | Error");

    organizer->selectPort(0x378);
    organizer->readChosenPage();
    EXPECT_TRUE(organizer->loadedPage().has_value());
}

TEST_F(PageReadTest, BlockFailingItsCheckOnceIsReadAgain) {
    start();
    adapter->faults().corruptReadCheckOfBlock = 37;
    traffic->clear();
    ASSERT_TRUE(organizer->readChosenPage());

    int reads = 0;
    for (int b = 0; b < 256; ++b) {
        reads += adapter->blockReads(b);
    }
    EXPECT_EQ(reads, 257);
    EXPECT_EQ(adapter->blockReads(37), 2);
    // After the failed read: end of transaction, then block 37 again and level 2 once it reads.
    EXPECT_EQ(occurrences(traffic->sent(), {0x80, 37, 0x01, 0x80, 37, 0x10, 0x80, 0x03, 0x80, 38}),
              1);
    EXPECT_TRUE(shown(screen, "status: Block read error..."));
    EXPECT_EQ(cardImage(), pages[0]);
}

TEST_F(PageReadTest, BlockThatNeverReadsGivesUpAtTheBound) {
    startAndRead();
    const card::CardOrderPage loadedCard = cardImage();
    adapter->faults().corruptReadCheckOfBlock = 200;
    adapter->faults().corruptReadCheckTimes = 1000;
    stepPage(1);
    EXPECT_FALSE(organizer->readChosenPage());

    EXPECT_EQ(occurrences(traffic->sent(), {0x80, 200}), MAX_BLOCK_READ_ATTEMPTS);
    EXPECT_EQ(occurrences(traffic->sent(), {0x80, 201}), 0);
    EXPECT_EQ(screen.texts.status, "Timeout error.......");
    EXPECT_EQ(cardImage(), loadedCard);
    EXPECT_TRUE(screen.cardRows.empty());
}

TEST_F(PageReadTest, UnpluggedMidReadKeepsTheLoadedPage) {
    start();
    const std::uint64_t before = adapter->accessCount();
    organizer->readChosenPage();
    const std::uint64_t fullRead = adapter->accessCount() - before;

    for (std::uint64_t point : {fullRead / 100, fullRead / 3, fullRead - 5000}) {
        SCOPED_TRACE(point);
        startAndRead(0);
        const card::CardOrderPage cardBefore = cardImage();
        const card::PageBytes pageBefore = loaded().page;
        stepPage(1);
        adapter->faults().unplugAfterAccesses = adapter->accessCount() + point;

        EXPECT_FALSE(organizer->readChosenPage());
        EXPECT_EQ(screen.texts.status, "Timeout error.......");
        EXPECT_EQ(cardImage(), cardBefore);
        EXPECT_EQ(loaded().page, pageBefore);
    }
}

TEST_F(PageReadTest, OpeningTheWindowStartsWithNoPageOnTheDefaultPort) {
    start();
    EXPECT_EQ(screen.pageNumber, 1);
    EXPECT_EQ(screen.pageCaption, "Current Page : NONE");
    EXPECT_EQ(screen.texts, ShownTexts{});
    link->portBase = 0x278;
    organizer->start();
    EXPECT_EQ(link->portBase, 0x378);
}

TEST(PageStepTest, PageNumberClampsToTheSpinnerRange) {
    RecordingScreen screen;
    link::NoPort port;
    link::CardLink cardLink(port);
    auto organizer = std::make_unique<Organizer>(screen, cardLink, fixedTime);

    organizer->choosePage(organizer->chosenPage() + (-1));
    EXPECT_EQ(screen.pageNumber, 1);
    organizer->choosePage(organizer->chosenPage() + (15));
    organizer->choosePage(organizer->chosenPage() + (1));
    EXPECT_EQ(screen.pageNumber, 16);
    organizer->choosePage(organizer->chosenPage() + (-2));
    organizer->choosePage(organizer->chosenPage() + (5));
    EXPECT_EQ(screen.pageNumber, 16);
    EXPECT_EQ((organizer->chosenPage() - 1), 15);
}

class CommitTest : public AppFixture {
protected:
    void SetUp() override {
        addFileToCardPage(pages[0], "FIRST", 3);
        startAndRead();
    }
    // Changes a byte of `block` in the page and flags the block, as an edit does.
    void editBlock(int block, std::uint8_t value) {
        editLoaded([block, value](LoadedPage& page) {
            page.page[block * card::BLOCK_SIZE + 7] = value;
            page.dirty[block] = 1;
        });
    }
};

TEST_F(CommitTest, CleanPageWaitsAndStepsForEveryBlockButWritesNothing) {
    EXPECT_TRUE(organizer->commitPage(false));

    EXPECT_EQ(screen.progressSteps, 256);
    EXPECT_EQ(traffic->sent(), (Bytes{0x20, 0x10, 0x00, 0x00, 0x10, 0x00, 0x00, 0x01}));
    EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
    EXPECT_EQ(
        screen.eventsStartingWith("progress"),
        (std::vector<std::string>{"progress create", "progress range 0 280", "progress destroy"}));
    EXPECT_EQ(screen.progressPosition, 280);
}

TEST_F(CommitTest, AllFlagsWriteEveryBlockButTheUnusedRange) {
    editBlock(5, 0xA1);
    editBlock(220, 0xA2);
    editBlock(250, 0xA3);
    editLoaded([](LoadedPage& page) { page.dirty.fill(1); });
    ASSERT_TRUE(organizer->commitPage(false));

    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(adapter->quarterWrites(b), b < 200 || b > 240 ? 4 : 0) << b;
    }
    EXPECT_EQ(screen.progressSteps, 256);
    EXPECT_EQ(loaded().dirty, card::DirtyMap{});
    EXPECT_EQ(std::count(screen.events.begin(), screen.events.end(), "status: Writing block 5... "),
              1);
    // The card holds what was written; block 220 stays as the card had it.
    card::CardOrderPage expectedCard = cardImage();
    std::copy_n(pages[0].bytes.begin() + 220 * card::BLOCK_SIZE, card::BLOCK_SIZE,
                expectedCard.bytes.begin() + 220 * card::BLOCK_SIZE);
    EXPECT_EQ(adapter->page(0), expectedCard);
}

TEST_F(CommitTest, EditedBlocksReachTheCard) {
    editBlock(5, 0xA1);
    editBlock(254, 0xA3);
    ASSERT_TRUE(organizer->commitPage(false));
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(adapter->quarterWrites(b), b == 5 || b == 254 ? 4 : 0) << b;
    }
    EXPECT_EQ(adapter->page(0), cardImage());
}

TEST_F(CommitTest, UnacknowledgedWriteIsReportedAndWrittenAgain) {
    editBlock(64, 0xB0);
    adapter->faults().corruptAckOfBlock = 64;
    adapter->faults().corruptAckQuarter = 2;
    ASSERT_TRUE(organizer->commitPage(false));

    EXPECT_EQ(
        screen.eventsStartingWith("box: "),
        (std::vector<std::string>{"box: Block write ERROR | Write Memory Card | Ok | Warning"}));
    EXPECT_TRUE(shown(screen, "status: Block write error..."));
    EXPECT_EQ(screen.progressSteps, 257);
    EXPECT_EQ(adapter->quarterWrites(64), 8);
    // The failed pass shows the level of block 63, the good one that of block 64.
    EXPECT_EQ(occurrences(traffic->sent(), {0x10, 0x80, 0x03, 0x02, 64, 0}), 1);
    EXPECT_EQ(occurrences(traffic->sent(), {0x80, 64, 0x10, 0xC0, 0x03}), 1);
    EXPECT_EQ(adapter->page(0), cardImage());
}

TEST_F(CommitTest, BlockStoredWrongIsFoundByItsReadBackAndWrittenAgainWithoutABox) {
    editBlock(64, 0xB0);
    adapter->faults().storeWrongOfBlock = 64;
    adapter->faults().storeWrongQuarter = 1;
    ASSERT_TRUE(organizer->commitPage(false));

    EXPECT_TRUE(screen.eventsStartingWith("box: ").empty());
    EXPECT_EQ(adapter->quarterWrites(64), 8);
    EXPECT_EQ(adapter->blockReads(64), 3);  // the page read, then one read-back per write
    EXPECT_EQ(screen.progressSteps, 257);
    EXPECT_EQ(adapter->page(0), cardImage());
}

TEST_F(CommitTest, WriteThatNeverSucceedsGivesUpAtTheBoundKeepingTheEdits) {
    editBlock(9, 0xC0);
    editBlock(250, 0xC1);
    adapter->faults().corruptAckOfBlock = 9;
    adapter->faults().corruptAckTimes = 1000;
    const card::DirtyMap edits = loaded().dirty;
    EXPECT_FALSE(organizer->commitPage(false));

    EXPECT_EQ(screen.eventsStartingWith("box: ").size(),
              static_cast<std::size_t>(MAX_BLOCK_WRITE_ATTEMPTS));
    EXPECT_EQ(screen.texts.status, "Timeout error.......");
    EXPECT_FALSE(screen.progressShown);
    EXPECT_EQ(screen.mainProgressPosition, 0);
    EXPECT_EQ(loaded().dirty, edits);
    EXPECT_FALSE(shown(screen, "status: Memory card written successfully...."));
}

TEST_F(CommitTest, MovedSpinnerRefusesTheCommitAndKeepsTheEdits) {
    editBlock(5, 0xA1);
    const card::DirtyMap edits = loaded().dirty;
    stepPage(1);
    EXPECT_FALSE(organizer->commitPage(true));

    EXPECT_EQ(screen.eventsStartingWith("box: "),
              (std::vector<std::string>{"box: Page on Memory pack is not the same as the page "
                                        "read. | Writing to Memory Page | Ok | Warning"}));
    EXPECT_EQ(screen.events.back(), "status: Action cancelled...");
    EXPECT_EQ(loaded().dirty, edits);
    EXPECT_EQ(occurrences(traffic->sent(), {0x02}), 0);
}

TEST_F(CommitTest, EveryConfirmedCommitAsksAndNoCancels) {
    editBlock(5, 0xA1);
    const card::DirtyMap edits = loaded().dirty;
    screen.boxAnswers = {BoxAnswer::No, BoxAnswer::No};
    EXPECT_FALSE(organizer->commitPage(true));
    EXPECT_FALSE(organizer->commitPage(true));

    const std::string question =
        "box: Committing to Memory pack will overwrite data\n\n"
        "                           Are you sure? | Last Chance Warning! | YesNo | Warning";
    EXPECT_EQ(screen.eventsStartingWith("box: "), (std::vector<std::string>{question, question}));
    EXPECT_EQ(screen.events.back(), "status: Action cancelled...");
    EXPECT_EQ(loaded().dirty, edits);
    EXPECT_EQ(occurrences(traffic->sent(), {0x02}), 0);

    screen.events.clear();
    EXPECT_TRUE(organizer->commitPage(false));
    EXPECT_TRUE(screen.eventsStartingWith("box: ").empty());
}

TEST_F(CommitTest, AdapterNeverReadyFailsTheConnection) {
    editBlock(5, 0xA1);
    adapter->faults().stayBusy = true;
    EXPECT_FALSE(organizer->commitPage(true));
    EXPECT_EQ(statuses(screen).back(), "status: Connection FAILED!!!");
    EXPECT_EQ(screen.events.back(), "box: Connection FAILED. | Connection Error | Ok | Error");
    EXPECT_EQ(loaded().dirty[5], 1);
}

TEST_F(CommitTest, UnpluggedMidCommitTimesOutKeepingTheEdits) {
    editBlock(5, 0xA1);
    editBlock(120, 0xA2);
    editBlock(250, 0xA3);
    const card::DirtyMap edits = loaded().dirty;
    const std::uint64_t accessesBefore = adapter->accessCount();
    ASSERT_TRUE(organizer->commitPage(false));
    const std::uint64_t fullCommit = adapter->accessCount() - accessesBefore;

    for (std::uint64_t point : {fullCommit / 20, fullCommit / 2, fullCommit - 30}) {
        SCOPED_TRACE(point);
        startAndRead();
        editBlock(5, 0xA1);
        editBlock(120, 0xA2);
        editBlock(250, 0xA3);
        adapter->faults().unplugAfterAccesses = adapter->accessCount() + point;

        EXPECT_FALSE(organizer->commitPage(false));
        EXPECT_EQ(screen.texts.status, "Timeout error.......");
        EXPECT_FALSE(screen.progressShown);
        EXPECT_EQ(screen.mainProgressPosition, 0);
        EXPECT_EQ(loaded().dirty, edits);
    }
}

}  // namespace
}  // namespace quorvane::app::testing
