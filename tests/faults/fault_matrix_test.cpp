// SPDX-License-Identifier: GPL-3.0-or-later
// The link under faults: an adapter unplugged at every point of a page read and of a commit,
// reply bits flipped, check bytes and acknowledgements corrupted, an adapter that never becomes
// ready. Whatever happens, the organiser returns, reports no false success, keeps the page in
// memory after a failed read and keeps every edit pending after a failed commit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "app_fixture.h"
#include "card/byte_order.h"

namespace quorvane::app::testing {
namespace {

// Unplug points per operation. The default run covers well over 1,000 in all; a slower build
// (the sanitizers) may ask for fewer with QUORVANE_FAULT_POINTS.
int unplugPoints() {
    if (const char* text = std::getenv("QUORVANE_FAULT_POINTS")) {
        return std::max(1, std::atoi(text));
    }
    return 600;
}

// The blocks a commit writes (all but 200..240) of pageImage stand in cardImage.
bool writtenBlocksMatch(const card::PageBytes& pageImage, const card::CardOrderPage& cardImage) {
    auto expected = std::make_unique<card::CardOrderPage>();
    card::pageToCard(pageImage, *expected);
    for (int b = 0; b < card::BLOCK_COUNT; ++b) {
        if (b >= card::UNUSED_FIRST_BLOCK && b <= card::UNUSED_LAST_BLOCK) {
            continue;
        }
        const auto offset = static_cast<long>(b) * static_cast<long>(card::BLOCK_SIZE);
        if (!std::equal(expected->bytes.begin() + offset,
                        expected->bytes.begin() + offset + static_cast<long>(card::BLOCK_SIZE),
                        cardImage.bytes.begin() + offset)) {
            return false;
        }
    }
    return true;
}

class FaultMatrix : public AppFixture {
protected:
    void SetUp() override {
        addFileToCardPage(pages[0], "RACEDATA_001", 5, 0x20);
        addFileToCardPage(pages[0], "PUZZLE___SYS", 17, 0x40);
    }

    // A loaded page without a read over the link, so that each point costs only the
    // operation under test.
    void loadPageDirectly(int pageIndex) {
        loadPage(pages[static_cast<std::size_t>(pageIndex)], pageIndex);
    }

    std::uint64_t accessesOf(const std::function<void()>& operation) {
        std::uint64_t before = adapter->accessCount();
        operation();
        return adapter->accessCount() - before;
    }

    // The edits in memory differ from the card: page 0 with one more file.
    void makeEdit() {
        card::CardFile file{makeEntry("EDITED__FILE", 9), std::vector<std::uint8_t>(9 * 512, 0x77)};
        editLoaded([&](LoadedPage& page) {
            ASSERT_EQ(card::storeNewFile(page.page, page.dirty, file), card::StoreResult::Stored);
        });
    }
};

TEST_F(FaultMatrix, UnpluggedAtAnyPointOfAPageReadLeavesThePageInMemory) {
    start();
    // Page 1 is in memory; reading page 0 is the operation under test.
    loadPageDirectly(1);
    stepPage(-1);
    const std::uint64_t total = accessesOf([&] { ASSERT_TRUE(organizer->readChosenPage()); });
    const int points = unplugPoints();
    int failures = 0;
    for (int i = 0; i < points; ++i) {
        const std::uint64_t unplugAt = total * static_cast<std::uint64_t>(i) / points;
        start();
        loadPageDirectly(1);
        stepPage(-1);
        const auto cardBefore = std::make_unique<card::CardOrderPage>(cardImage());
        const auto pageBefore = std::make_unique<card::PageBytes>(loaded().page);
        adapter->faults().unplugAfterAccesses = unplugAt;

        const int result = organizer->readChosenPage() ? 1 : 0;
        if (result == 1) {
            // Unplugged after the last block: the page read is complete and right.
            EXPECT_TRUE(cardImage() == pages[0]) << "unplugged after " << unplugAt;
            continue;
        }
        ++failures;
        EXPECT_TRUE(cardImage() == *cardBefore) << "unplugged after " << unplugAt;
        EXPECT_TRUE(loaded().page == *pageBefore) << "unplugged after " << unplugAt;
        const std::string& status = screen.texts.status;
        EXPECT_TRUE(status == "Timeout error......." || status == "Connection FAILED!!!")
            << status << " after " << unplugAt;
    }
    EXPECT_GT(failures, points * 9 / 10);
}

TEST_F(FaultMatrix, UnpluggedAtAnyPointOfACommitKeepsEveryEditPending) {
    start();
    loadPageDirectly(0);
    // A whole-page commit: 215 blocks written and verified.
    editLoaded([](LoadedPage& page) { page.dirty.fill(1); });
    const std::uint64_t total = accessesOf([&] { ASSERT_TRUE(organizer->commitPage(false)); });
    const int points = unplugPoints();
    int failures = 0;
    for (int i = 0; i < points; ++i) {
        const std::uint64_t unplugAt = total * static_cast<std::uint64_t>(i) / points;
        start();
        loadPageDirectly(0);
        makeEdit();
        editLoaded([](LoadedPage& page) { page.dirty.fill(1); });
        const card::DirtyMap dirtyBefore = loaded().dirty;
        adapter->faults().unplugAfterAccesses = unplugAt;

        const int result = organizer->commitPage(false) ? 1 : 0;
        EXPECT_FALSE(screen.progressShown) << "the progress window must not stay open";
        if (result == 1) {
            // Every block was written and verified before the adapter went.
            EXPECT_TRUE(writtenBlocksMatch(loaded().page, adapter->page(0)))
                << "unplugged after " << unplugAt;
            continue;
        }
        ++failures;
        EXPECT_TRUE(loaded().dirty == dirtyBefore) << "unplugged after " << unplugAt;
        EXPECT_NE(screen.texts.status, "Memory card written successfully....");
    }
    EXPECT_GT(failures, points * 9 / 10);
}

TEST_F(FaultMatrix, FlippedReplyBitsNeverGiveAWrongPage) {
    start();
    const std::uint64_t replyBitsOfARead = [&] {
        // Reply bits: 3 + 3 status bytes, 256 x 513 block bytes.
        return std::uint64_t{8} * (6 + 256 * 513);
    }();
    std::mt19937_64 random(20261207);
    for (int run = 0; run < 40; ++run) {
        start();
        adapter->faults().flipReplyBits = {random() % replyBitsOfARead};
        const int result = organizer->readChosenPage() ? 1 : 0;
        if (result == 1) {
            EXPECT_TRUE(cardImage() == pages[0]) << "run " << run;
        } else {
            EXPECT_FALSE(organizer->loadedPage().has_value()) << "run " << run;
        }
    }
}

TEST_F(FaultMatrix, CorruptedCheckBytesAreReadAgain) {
    std::mt19937 random(7);
    for (int run = 0; run < 10; ++run) {
        start();
        const int block = static_cast<int>(random() % 256);
        adapter->faults().corruptReadCheckOfBlock = block;
        adapter->faults().corruptReadCheckTimes = 1 + run % 3;
        ASSERT_TRUE(organizer->readChosenPage()) << "block " << block;
        EXPECT_TRUE(cardImage() == pages[0]);
    }
}

TEST_F(FaultMatrix, CorruptedAcknowledgementsAreWrittenAgain) {
    std::mt19937 random(11);
    for (int run = 0; run < 10; ++run) {
        start();
        loadPageDirectly(0);
        makeEdit();
        editLoaded([](LoadedPage& page) { page.dirty.fill(1); });
        int block = static_cast<int>(random() % 215);
        block = block < 200 ? block : block + 41;  // a block that is written
        adapter->faults().corruptAckOfBlock = block;
        adapter->faults().corruptAckQuarter = run % 4;
        screen.events.clear();
        ASSERT_TRUE(organizer->commitPage(false)) << "block " << block;
        EXPECT_EQ(screen.eventsStartingWith("box: Block write ERROR").size(), 1u);
        EXPECT_TRUE(writtenBlocksMatch(loaded().page, adapter->page(0)));
    }
}

TEST_F(FaultMatrix, AnAdapterThatStaysBusyEndsEveryOperation) {
    start();
    loadPageDirectly(0);
    makeEdit();
    const card::DirtyMap dirtyBefore = loaded().dirty;
    const auto pageBefore = std::make_unique<card::PageBytes>(loaded().page);
    adapter->faults().stayBusy = true;

    EXPECT_FALSE(organizer->readChosenPage());
    EXPECT_TRUE(loaded().page == *pageBefore);
    EXPECT_FALSE(organizer->commitPage(false));
    EXPECT_TRUE(loaded().dirty == dirtyBefore);
    EXPECT_FALSE(screen.progressShown);
}

}  // namespace
}  // namespace quorvane::app::testing
