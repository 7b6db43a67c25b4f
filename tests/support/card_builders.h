// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

#include "card/byte_order.h"
#include "card/card_file.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/vmi_vms.h"
#include "support/files.h"

// Cards, entries and PC files as tests need them, built field by field.
namespace quorvane::testing {

// An entry named `name` of `blocks` blocks, type 0x33 unless said otherwise.
inline card::DirEntry makeEntry(std::string_view name, std::uint16_t blocks,
                                std::uint16_t firstBlock = 0, std::uint8_t fileType = 0x33) {
    card::DirEntry entry;
    entry.fileType = fileType;
    entry.firstBlock = firstBlock;
    std::copy_n(name.begin(), std::min(name.size(), entry.fileName.size()), entry.fileName.begin());
    entry.sizeInBlocks = blocks;
    return entry;
}

// A formatted page in card byte order, as the adapter holds it.
inline card::CardOrderPage formattedCardPage() {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::formatPage(*pageImage);
    card::CardOrderPage cardImage{};
    card::pageToCard(*pageImage, cardImage);
    return cardImage;
}

// Adds a file to a card-order page; its block k is filled with the byte `fill + k`.
inline void addFileToCardPage(card::CardOrderPage& cardImage, std::string_view name,
                              std::uint16_t blocks, std::uint8_t fill = 0x10,
                              std::uint8_t fileType = 0x33) {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(cardImage, *pageImage);
    card::CardFile file{makeEntry(name, blocks, 0, fileType), {}};
    for (std::size_t k = 0; k < blocks; ++k) {
        file.data.insert(file.data.end(), card::BLOCK_SIZE, static_cast<std::uint8_t>(fill + k));
    }
    card::DirtyMap dirty{};
    ASSERT_EQ(card::storeNewFile(*pageImage, dirty, file), card::StoreResult::Stored);
    card::pageToCard(*pageImage, cardImage);
}

// Adds a file holding `data` (whole blocks) to a card-order page.
inline void addDataToCardPage(card::CardOrderPage& cardImage, std::string_view name,
                              const Bytes& data) {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(cardImage, *pageImage);
    card::CardFile file{makeEntry(name, static_cast<std::uint16_t>(data.size() / card::BLOCK_SIZE)),
                        data};
    card::DirtyMap dirty{};
    ASSERT_EQ(card::storeNewFile(*pageImage, dirty, file), card::StoreResult::Stored);
    card::pageToCard(*pageImage, cardImage);
}

// Sunday 6 December 2026, 13:45:30.
inline formats::LocalTime fixedTime() {
    return formats::LocalTime{2026, 12, 6, 13, 45, 30, 6};
}

// The 32 bytes of a directory entry, laid out field by field: type 0x33, copy flag 0, first
// block 0, name, time stamp 20 26 12 06 .., size, header offset 0, tail 0.
inline Bytes entryBytes(std::string_view name, std::uint16_t blocks, std::uint8_t type = 0x33) {
    Bytes entry(32, 0);
    entry[0] = type;
    for (std::size_t i = 0; i < name.size() && i < 12; ++i) {
        entry[4 + i] = static_cast<std::uint8_t>(name[i]);
    }
    const Bytes stamp{20, 26, 12, 6, 13, 45, 30, 6};
    std::copy(stamp.begin(), stamp.end(), entry.begin() + 16);
    entry[24] = static_cast<std::uint8_t>(blocks & 0xFF);
    entry[25] = static_cast<std::uint8_t>(blocks >> 8);
    return entry;
}

// A .ddc file: "CFU", 0, the entry, then `blocks` blocks, block k filled with fill + k.
inline Bytes ddcBytes(std::string_view name, std::uint16_t blocks, std::uint8_t fill = 0x40) {
    Bytes file{'C', 'F', 'U', 0};
    const Bytes entry = entryBytes(name, blocks);
    file.insert(file.end(), entry.begin(), entry.end());
    for (std::uint16_t k = 0; k < blocks; ++k) {
        file.insert(file.end(), card::BLOCK_SIZE, static_cast<std::uint8_t>(fill + k));
    }
    return file;
}

}  // namespace quorvane::testing
