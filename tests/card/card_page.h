// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/page_layout.h"
#include "support/card_builders.h"

namespace quorvane::card::testing {

using Links = std::vector<std::uint16_t>;

// A page with every user block free and an empty directory, its buffers on the heap.
class CardPage : public ::testing::Test {
protected:
    std::unique_ptr<PageBytes> page = std::make_unique<PageBytes>();
    std::vector<std::uint8_t> data = std::vector<std::uint8_t>(FILE_DATA_CAPACITY);
    CardFile file;  // what an extraction gives
    DirtyMap dirty{};

    void SetUp() override {
        page->fill(0);
        dirty.fill(0);
        for (int block = 0; block < USER_BLOCK_COUNT; ++block) {
            setFatEntry(*page, block, FAT_FREE);
        }
    }

    static DirEntry newEntry(std::string_view name, std::uint16_t blocks,
                             std::uint16_t firstBlock = 0, std::uint8_t fileType = 0x33) {
        return quorvane::testing::makeEntry(name, blocks, firstBlock, fileType);
    }

    // Stores `entry` with its blocks from `data`; on success entry.firstBlock is the first.
    StoreResult storeEntry(DirEntry& entry) {
        const auto size = static_cast<long>(
            std::min<std::size_t>(entry.sizeInBlocks, USER_BLOCK_COUNT) * BLOCK_SIZE);
        CardFile stored{entry, std::vector<std::uint8_t>(data.begin(), data.begin() + size)};
        const StoreResult result = storeNewFile(*page, dirty, stored);
        entry = stored.entry;
        return result;
    }

    // Data block k of the file is filled with `fill + k`.
    DirEntry store(std::string_view name, std::uint16_t blocks, std::uint8_t fill = 0x10) {
        for (std::size_t k = 0; k < blocks; ++k) {
            std::fill_n(data.begin() + static_cast<long>(k * BLOCK_SIZE), BLOCK_SIZE,
                        static_cast<std::uint8_t>(fill + k));
        }
        DirEntry entry = newEntry(name, blocks);
        EXPECT_EQ(storeEntry(entry), StoreResult::Stored);
        return entry;
    }

    // The FAT entries of `blocks`, in that order.
    Links fatOf(std::initializer_list<int> blocks) const {
        Links links;
        for (int block : blocks) {
            links.push_back(fatEntry(*page, block));
        }
        return links;
    }

    std::uint8_t blockByte(int block, std::size_t offset = 0) const {
        return (*page)[static_cast<std::size_t>(block) * BLOCK_SIZE + offset];
    }

    // The flags that must be set: `blocks` and the 15 system blocks 241..255.
    static DirtyMap marked(std::initializer_list<int> blocks) {
        DirtyMap expected{};
        for (int block : blocks) {
            expected[static_cast<std::size_t>(block)] = 1;
        }
        std::fill(expected.begin() + 241, expected.end(), 1);
        return expected;
    }
};

}  // namespace quorvane::card::testing
