#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "link/card_link.h"
#include "recording_screen.h"

namespace quorvane::app::testing {

// A formatted page in card byte order, as the adapter holds it.
inline card::PageBytes FormattedCardPage() {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::FormatPage(*pageImage);
    card::PageBytes cardImage{};
    card::PageToCard(*pageImage, cardImage);
    return cardImage;
}

// An entry named `name` of `blocks` blocks, type 0x33.
inline card::DirEntry MakeEntry(std::string_view name, std::uint16_t blocks) {
    card::DirEntry entry;
    entry.fileType = 0x33;
    for (std::size_t i = 0; i < name.size() && i < entry.fileName.size(); ++i) {
        entry.fileName[i] = static_cast<std::uint8_t>(name[i]);
    }
    entry.sizeInBlocks = blocks;
    return entry;
}

// Adds a file to a card-order page; its block k is filled with the byte `fill + k`.
inline void AddFileToCardPage(card::PageBytes& cardImage, std::string_view name,
                              std::uint16_t blocks, std::uint8_t fill = 0x10) {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::CardToPage(cardImage, *pageImage);
    auto data = std::make_unique<card::FileBuffer>();
    for (std::size_t k = 0; k < blocks; ++k) {
        std::fill_n(data->begin() + static_cast<long>(k * card::BLOCK_SIZE), card::BLOCK_SIZE,
                    static_cast<std::uint8_t>(fill + k));
    }
    card::DirtyMap dirty{};
    card::DirEntry entry = MakeEntry(name, blocks);
    ASSERT_EQ(card::StoreNewFile(*pageImage, dirty, entry, *data), card::StoreResult::Stored);
    card::PageToCard(*pageImage, cardImage);
}

inline formats::LocalTime FixedTime() {
    // Sunday 6 December 2026, 13:45:30
    return formats::LocalTime{2026, 12, 6, 13, 45, 30, 6};
}

// An organiser wired to a recording screen and a virtual adapter with in-memory pages.
// Tests adjust `pages` (card byte order) before calling start().
class AppFixture : public ::testing::Test {
protected:
    std::vector<card::PageBytes> pages = std::vector<card::PageBytes>(4, FormattedCardPage());
    std::unique_ptr<adapter::VirtualAdapter> adapter;
    std::unique_ptr<link::CardLink> link;
    RecordingScreen screen;
    std::unique_ptr<Organizer> organizer;

    void start() {
        adapter = std::make_unique<adapter::VirtualAdapter>(pages);
        link = std::make_unique<link::CardLink>(*adapter);
        organizer = std::make_unique<Organizer>(screen, *link, FixedTime);
        organizer->openWindow();
    }

    // start() and a successful read of page `pageIndex`.
    void startAndRead(int pageIndex = 0) {
        start();
        organizer->stepPage(pageIndex);
        organizer->selectAndRefresh();
        ASSERT_TRUE(organizer->pageLoaded);
        screen.events.clear();
    }
};

}  // namespace quorvane::app::testing
