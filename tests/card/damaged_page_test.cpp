// SPDX-License-Identifier: GPL-3.0-or-later
#include <map>
#include <vector>

#include "card_page.h"

// Pages from a card are untrusted: damaged chains are refused or cut short, never followed out
// of the user blocks, round a loop, or into another file.
namespace quorvane::card::testing {
namespace {

struct DamagedChain {
    const char* what;
    std::uint16_t firstBlock;
    std::uint16_t sizeInBlocks;
    std::map<int, std::uint16_t> links;  // FAT entries set by hand
    std::vector<int> freedByDelete;      // blocks a delete gives back
};

const std::vector<DamagedChain> DAMAGED_CHAINS = {
    {"FAT_END while a block is due", 199, 3, {{199, 198}, {198, FAT_END}}, {199, 198}},
    {"FAT_FREE while a block is due", 199, 2, {{199, FAT_FREE}}, {199}},
    {"link past the page", 199, 2, {{199, 300}}, {199}},
    {"link to a system block", 199, 2, {{199, 250}}, {199}},
    {"first block outside the user blocks", 250, 1, {}, {}},
    {"first block past the page", 0xFFFF, 1, {}, {}},
    {"a loop", 199, 5, {{199, 198}, {198, 199}}, {199, 198}},
    {"a size beyond the chain", 199, 0xFFFF, {{199, 198}, {198, FAT_END}}, {199, 198}},
    {"more blocks than a page", 199, 201, {{199, 198}, {198, FAT_END}}, {199, 198}},
};

class DamagedPage : public CardPage {
protected:
    void prepare(const DamagedChain& chain) {
        SetUp();
        for (int block = 200; block < 256; ++block) {
            setFatEntry(*page, block, static_cast<std::uint16_t>(0x2000 + block));
        }
        for (const auto& [block, link] : chain.links) {
            setFatEntry(*page, block, link);
        }
        writeSlot(*page, 207, newEntry("BROKEN", chain.sizeInBlocks, chain.firstBlock));
    }
};

TEST_F(DamagedPage, ExtractionIsRefusedAndDeleteFreesOnlyTheReachableUserBlocks) {
    for (const DamagedChain& chain : DAMAGED_CHAINS) {
        SCOPED_TRACE(chain.what);
        prepare(chain);
        (*page)[198 * 512] = 0xAB;  // data that must not reach the buffer
        file.data.assign(FILE_DATA_CAPACITY, 0xEE);
        const auto before = std::make_unique<PageBytes>(*page);

        EXPECT_EQ(extractFile(*page, 207, file), ExtractResult::DamagedChain);
        EXPECT_EQ(file.entry, readSlot(*page, 207));
        EXPECT_TRUE(file.data.empty());

        EXPECT_EQ(deleteFile(*page, dirty, 207), DeleteResult::DeletedDamagedChain);
        EXPECT_EQ((*page)[slotOffset(207)], 0);
        for (int block = 0; block < 256; ++block) {
            const bool freed = std::find(chain.freedByDelete.begin(), chain.freedByDelete.end(),
                                         block) != chain.freedByDelete.end();
            EXPECT_EQ(fatEntry(*page, block), freed ? FAT_FREE : fatEntry(*before, block))
                << "block " << block;
        }
        EXPECT_EQ(dirty, marked({}));
    }
}

TEST_F(DamagedPage, CrossLinkedFilesNeverLoseEachOthersBlocks) {
    // A: 199 -> 198 -> 197; B: 196 -> 198, so block 198 belongs to both chains.
    setFatEntry(*page, 199, 198);
    setFatEntry(*page, 198, 197);
    setFatEntry(*page, 197, FAT_END);
    setFatEntry(*page, 196, 198);
    writeSlot(*page, 207, newEntry("A", 3, 199));
    writeSlot(*page, 206, newEntry("B", 2, 196));

    EXPECT_EQ(deleteFile(*page, dirty, 207), DeleteResult::DeletedDamagedChain);
    EXPECT_EQ(fatOf({199, 198, 196}), (Links{FAT_FREE, 197, 198}));
    EXPECT_EQ(extractFile(*page, 206, file), ExtractResult::Extracted);

    EXPECT_EQ(deleteFile(*page, dirty, 206), DeleteResult::Deleted);
    EXPECT_EQ(fatOf({196, 198}), (Links{FAT_FREE, FAT_FREE}));
}

}  // namespace
}  // namespace quorvane::card::testing
