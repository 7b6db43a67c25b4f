// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/card_copy.h"

#include <algorithm>
#include <deque>
#include <functional>

#include "app_fixture.h"

namespace quorvane::app::testing {
namespace {

// Two organisers on one adapter, as the window's two card lists: the left on page 1, the right
// on page 2, sharing the link.
class CardCopy : public AppFixture {
protected:
    std::unique_ptr<Organizer> right;

    void SetUp() override {
        addFileToCardPage(pages[0], "GAME", 10, 0x60, 0xCC);
        addFileToCardPage(pages[0], "RACE", 3);
        addFileToCardPage(pages[0], "PUZZLE", 2, 0x30);
    }

    void readBothPages() {
        startAndRead(0);
        right = std::make_unique<Organizer>(screen, *link, fixedTime);
        right->start();
        ASSERT_TRUE(right->readPage(2));
        screen.events.clear();
    }

    std::vector<int> slotsOf(std::initializer_list<std::string_view> names) const {
        std::vector<int> found;
        for (const std::string_view name : names) {
            found.push_back(card::findSlotByName(loaded().page, std::string(name)));
        }
        return found;
    }

    // The names on the adapter's page with each file's first byte, in name order.
    std::vector<std::string> filesOnCard(int pageIndex) const {
        auto page = std::make_unique<card::PageBytes>();
        card::cardToPage(adapter->page(pageIndex), *page);
        std::vector<std::string> files;
        for (const int slot : card::enumerateFiles(*page)) {
            card::CardFile file;
            EXPECT_EQ(card::extractFile(*page, slot, file), card::ExtractResult::Extracted);
            files.push_back(card::entryName(file.entry) + ":" +
                            std::to_string(file.data.empty() ? 0 : file.data.front()));
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(CardCopy, CopiesAndMovesBetweenPagesOrLeavesBothAsTheyWere) {
    using Files = std::vector<std::string>;
    const Files left{"GAME:96", "PUZZLE:48", "RACE:16"};
    struct Row {
        const char* what;
        std::function<void(card::CardOrderPage&)> rightPage;
        std::initializer_list<std::string_view> names;
        Transfer how;
        std::deque<BoxAnswer> answers;
        bool unplugBeforeCopy;
        bool done;
        Files leftAfter;
        Files rightAfter;
    };
    const auto empty = [](card::CardOrderPage&) {};
    const Row rows[] = {
        {"a copy",
         empty,
         {"RACE", "PUZZLE"},
         Transfer::Copy,
         {},
         false,
         true,
         left,
         {"PUZZLE:48", "RACE:16"}},
        {"a move",
         empty,
         {"RACE", "GAME"},
         Transfer::Move,
         {},
         false,
         true,
         {"PUZZLE:48"},
         {"GAME:96", "RACE:16"}},
        {"the question answered No",
         empty,
         {"RACE"},
         Transfer::Move,
         {BoxAnswer::No},
         false,
         false,
         left,
         {}},
        {"no room",
         [](auto& page) { addFileToCardPage(page, "FULL", 198); },
         {"RACE"},
         Transfer::Move,
         {},
         false,
         false,
         left,
         {"FULL:16"}},
        {"a name taken, not replaced",
         [](auto& page) { addFileToCardPage(page, "RACE", 1, 0x70); },
         {"PUZZLE", "RACE"},
         Transfer::Move,
         {BoxAnswer::Yes, BoxAnswer::No},
         false,
         false,
         left,
         {"RACE:112"}},
        {"a second game, not replaced",
         [](auto& page) { addFileToCardPage(page, "OTHER", 4, 0x70, 0xCC); },
         {"GAME"},
         Transfer::Copy,
         {BoxAnswer::Yes, BoxAnswer::No},
         false,
         false,
         left,
         {"OTHER:112"}},
        {"a move whose copy cannot be written",
         empty,
         {"RACE"},
         Transfer::Move,
         {},
         true,
         false,
         left,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        pages[1] = formattedCardPage();
        row.rightPage(pages[1]);
        readBothPages();
        const card::CardOrderPage rightBefore = adapter->page(1);
        screen.boxAnswers = row.answers;
        if (row.unplugBeforeCopy) {
            adapter->faults().unplugAfterAccesses = adapter->accessCount();
        }
        EXPECT_EQ(transferSelected(*organizer, slotsOf(row.names), *right, row.how, screen),
                  row.done);
        adapter->faults().unplugAfterAccesses.reset();
        EXPECT_EQ(filesOnCard(0), row.leftAfter);
        EXPECT_EQ(filesOnCard(1), row.rightAfter);
        if (!row.done) {
            EXPECT_TRUE(adapter->page(1) == rightBefore);
        }
    }
    EXPECT_EQ(screen.events.front().substr(0, 42), "box: Move RACE to page 2? | Move to the Ot");
}

// The left side wrote page 1 after the right side read it: the right side's page is stale,
// and writing it would bring back what the left side deleted.
TEST_F(CardCopy, APageTheOtherSideWroteSinceItWasReadIsNotWritten) {
    startAndRead(0);
    right = std::make_unique<Organizer>(screen, *link, fixedTime);
    right->start();
    ASSERT_TRUE(right->readPage(1));
    ASSERT_TRUE(organizer->deleteFiles(organizer->filesInSlots(slotsOf({"RACE"}))));
    const card::CardOrderPage written = adapter->page(0);
    screen.events.clear();
    EXPECT_FALSE(right->deleteFiles(right->filesInSlots(slotsOf({"PUZZLE"}))));
    EXPECT_EQ(screen.events.back(),
              "box: Page 1 was changed from the other side of the window since it was read "
              "here. Read it again (Select/Refresh) before changing it. | Delete file | Ok | "
              "Warning");
    EXPECT_TRUE(adapter->page(0) == written);
    ASSERT_TRUE(right->readPage(1));
    EXPECT_TRUE(right->deleteFiles(right->filesInSlots(slotsOf({"PUZZLE"}))));
    EXPECT_EQ(filesOnCard(0), (std::vector<std::string>{"GAME:96"}));
}

}  // namespace
}  // namespace quorvane::app::testing
