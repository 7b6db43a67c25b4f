// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/page_check.h"

#include <map>
#include <vector>

#include "card/byte_order.h"
#include "card/save_header.h"
#include "card_page.h"

// The page check finds every kind of damage on pages made for it, reports a clean page clean,
// and its repair frees exactly the blocks that nothing reaches.
namespace quorvane::card::testing {
namespace {

class PageCheckTest : public CardPage {
protected:
    void SetUp() override {
        CardPage::SetUp();
        formatPage(*page);
    }
    // A file in `slot` whose chain is set by hand: `links` are FAT entries block -> link.
    void putFile(int slot, std::string_view name, std::uint16_t size, std::uint16_t first,
                 const std::map<int, std::uint16_t>& links, std::uint8_t type = 0x33) {
        writeSlot(*page, slot, newEntry(name, size, first, type));
        for (const auto& [block, link] : links) {
            setFatEntry(*page, block, link);
        }
    }
    std::vector<FileFinding> findingsOf(int slot) {
        std::vector<FileFinding> of;
        for (const FileFinding& finding : checkPage(*page).files) {
            if (finding.slot == slot) {
                of.push_back(finding);
            }
        }
        return of;
    }
};

FileFinding finding(int slot, FileProblem problem, int block = -1, int other = -1,
                    std::uint32_t expected = 0, std::uint32_t found = 0) {
    return FileFinding{slot, problem, block, other, expected, found};
}

TEST_F(PageCheckTest, PageOfSoundFilesIsClean) {
    store("RACEDATA_001", 3);
    store("PUZZLE___SYS", 5);
    const PageCheck check = checkPage(*page);
    EXPECT_TRUE(check.clean());
    EXPECT_EQ(check.freeShown, 192);
    EXPECT_EQ(check.freeInFat, 192);
    EXPECT_EQ(check.freeOverstatedBy(), 0);
}

TEST_F(PageCheckTest, EachDamagedChainIsReportedWhereItGoesWrong) {
    putFile(207, "ENDS_EARLY", 3, 199, {{199, 198}, {198, FAT_END}});
    putFile(206, "LOOPS", 4, 190, {{190, 189}, {189, 190}});
    putFile(205, "SYSTEM", 2, 180, {{180, 250}});
    putFile(204, "PAST_PAGE", 2, 170, {{170, 300}});
    putFile(203, "TOO_LONG", 1, 160, {{160, 159}, {159, FAT_END}});
    putFile(202, "FREE_LINK", 2, 150, {{150, 149}, {149, FAT_FREE}});
    putFile(201, "RUNS_ON", 1, 140, {{140, 205}});  // 205 is free: no end mark follows
    putFile(200, "HEADER", 2, 100, {{100, 101}, {101, FAT_END}});
    DirEntry header = readSlot(*page, 200);
    header.headerOffset = 2;  // blocks 0 and 1 are the file's
    writeSlot(*page, 200, header);

    EXPECT_EQ(findingsOf(207),
              (std::vector{finding(207, FileProblem::ChainEndsEarly, 198, -1, 3, 2)}));
    EXPECT_EQ(findingsOf(206), (std::vector{finding(206, FileProblem::ChainLoops, 190, -1, 4, 2)}));
    EXPECT_EQ(findingsOf(205),
              (std::vector{finding(205, FileProblem::ChainIntoSystemBlocks, 250, -1, 2, 1)}));
    EXPECT_EQ(findingsOf(204),
              (std::vector{finding(204, FileProblem::ChainPastPage, 170, -1, 2, 1)}));
    EXPECT_EQ(findingsOf(203),
              (std::vector{finding(203, FileProblem::SizeDisagrees, 159, -1, 1, 2)}));
    // Both blocks are reached: the damage is the last one marked free, which an add would take.
    EXPECT_EQ(findingsOf(202),
              (std::vector{finding(202, FileProblem::LastBlockFree, 149, -1, 2, FAT_FREE)}));
    // Its data is block 140 alone: nothing of it lies beyond 199.
    EXPECT_EQ(findingsOf(201),
              (std::vector{finding(201, FileProblem::ChainRunsOn, 140, -1, 1, 205)}));
    EXPECT_EQ(findingsOf(200),
              (std::vector{finding(200, FileProblem::HeaderPastFile, -1, -1, 2, 2)}));
}

TEST_F(PageCheckTest, CrossedChainsNamesDuplicatesTypesAndBlocksBeyond199) {
    putFile(207, "FIRST", 3, 199, {{199, 198}, {198, 197}, {197, FAT_END}});
    putFile(206, "SECOND", 2, 196, {{196, 198}});  // 196 -> 198 -> 197: two shared blocks
    putFile(205, "FIRST", 1, 120, {{120, FAT_END}}, 0x01);
    putFile(204, "HIGH", 2, 230, {{230, 120 + 1}, {121, FAT_END}});
    putFile(203,
            "CSI\x9B"
            "2J",
            1, 110, {{110, FAT_END}});

    // Files are checked in slot order: the later slot is the one that crosses or repeats.
    EXPECT_EQ(findingsOf(206),
              (std::vector{finding(206, FileProblem::SizeDisagrees, 197, -1, 2, 3)}));
    EXPECT_EQ(findingsOf(207),
              (std::vector{finding(207, FileProblem::DuplicateName, -1, 205),
                           finding(207, FileProblem::ChainCrossesFile, 198, 206)}));
    EXPECT_EQ(findingsOf(205), (std::vector{finding(205, FileProblem::OddFileType, -1, -1, 0, 1)}));
    EXPECT_EQ(findingsOf(204), (std::vector{finding(204, FileProblem::DataBeyondUserBlocks, 230)}));
    // A name Save File refuses: the file is sound, so only a warning.
    ASSERT_EQ(findingsOf(203), (std::vector{finding(203, FileProblem::NameUnusableOnPc)}));
    EXPECT_TRUE(findingsOf(203).front().warningOnly());
}

TEST_F(PageCheckTest, GamesMustStartAtBlockZeroAndRunUpward) {
    putFile(207, "GOOD_GAME", 3, 0, {{0, 1}, {1, 2}, {2, FAT_END}}, 0xCC);
    EXPECT_TRUE(findingsOf(207).empty());

    putFile(207, "MOVED_GAME", 2, 10, {{10, 11}, {11, FAT_END}}, 0xCC);
    EXPECT_EQ(findingsOf(207), (std::vector{finding(207, FileProblem::GameNotAtBlockZero, 10)}));
    putFile(207, "SPLIT_GAME", 3, 0, {{0, 1}, {1, 5}, {5, FAT_END}}, 0xCC);
    EXPECT_EQ(findingsOf(207), (std::vector{finding(207, FileProblem::GameNotContiguous, 5)}));
}

TEST_F(PageCheckTest, SaveHeaderWhoseCheckValueDiffersIsAWarningForDataFilesOnly) {
    // Two blocks: a header with no icons and 300 bytes of data, its check value as it must be.
    std::fill(data.begin(), data.end(), 0);
    writeLe16(data, 0x48, 300);
    data[0x80 + 299] = 0x42;
    const std::uint16_t right = crc16(std::span(data.data(), 0x80 + 300));
    writeLe16(data, 0x46, right);
    DirEntry good = newEntry("GOOD_SAVE", 2);
    ASSERT_EQ(storeEntry(good), StoreResult::Stored);
    EXPECT_TRUE(checkPage(*page).clean());

    writeLe16(data, 0x46, static_cast<std::uint16_t>(right ^ 0x0101));
    DirEntry bad = newEntry("BAD_SAVE", 2);
    ASSERT_EQ(storeEntry(bad), StoreResult::Stored);
    DirEntry game = newEntry("GAME", 2, 0, 0xCC);
    ASSERT_EQ(storeEntry(game), StoreResult::Stored);
    std::vector<FileFinding> crcFindings;
    for (const FileFinding& found : checkPage(*page).files) {
        if (found.problem == FileProblem::HeaderCrcMismatch) {
            crcFindings.push_back(found);
        }
    }
    // The game (slot 205) has the same header, but games keep no check value the card reads.
    EXPECT_EQ(crcFindings, (std::vector{finding(206, FileProblem::HeaderCrcMismatch, -1, -1, right,
                                                static_cast<std::uint16_t>(right ^ 0x0101))}));
    EXPECT_TRUE(crcFindings.front().warningOnly());
}

TEST_F(PageCheckTest, UnformattedRootBlockIsReported) {
    (*page)[255 * 512 + 7] = 0x00;
    EXPECT_TRUE(checkPage(*page).formatMarkMissing);
}

TEST_F(PageCheckTest, LostBlocksOverstateTheRoomAndFreeingThemMakesAnAddFit) {
    store("KEEP", 2);  // 199, 198
    // 36 blocks taken in the FAT by no file, and a damaged chain whose reach stays taken.
    for (int block = 100; block < 136; ++block) {
        setFatEntry(*page, block, FAT_END);
    }
    putFile(200 - 6, "BROKEN", 3, 50, {{50, 51}, {51, 250}});  // slot 194: 50 -> 51 -> system
    PageCheck check = checkPage(*page);
    std::vector<int> lost;
    for (int block = 100; block < 136; ++block) {
        lost.push_back(block);
    }
    EXPECT_EQ(check.lostBlocks, lost);
    EXPECT_EQ(check.freeShown, 195);
    EXPECT_EQ(check.freeInFat, 160);
    EXPECT_EQ(check.freeOverstatedBy(), 35);

    DirEntry big = newEntry("BIG", 170);
    EXPECT_EQ(storeEntry(big), StoreResult::NotEnoughBlocks);
    const auto before = std::make_unique<PageBytes>(*page);
    dirty.fill(0);
    EXPECT_EQ(freeLostBlocks(*page, dirty), 36);
    for (int block = 0; block < BLOCK_COUNT; ++block) {
        const bool freed = block >= 100 && block < 136;
        EXPECT_EQ(fatEntry(*page, block), freed ? FAT_FREE : fatEntry(*before, block)) << block;
    }
    EXPECT_EQ(dirty, marked({}));
    EXPECT_TRUE(checkPage(*page).lostBlocks.empty());
    EXPECT_EQ(freeLostBlocks(*page, dirty), 0);
    EXPECT_EQ(storeEntry(big), StoreResult::Stored);
}

}  // namespace
}  // namespace quorvane::card::testing
