// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "adapter/virtual_adapter.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/save_header.h"

// The pages of a new virtual card: formatted, the first holding a few saves that the program
// makes itself, with headers, icons and check values as a game would write them.
namespace quorvane::adapter {

namespace {

// Colours of the sample icons, ARGB4444, by palette index.
enum Colour : std::uint8_t { Clear, Black, White, Red, Green, Blue, Yellow, Grey };
constexpr std::array<std::uint16_t, card::PALETTE_COLOURS> PALETTE{0x0000, 0xF000, 0xFFFF, 0xFE22,
                                                                   0xF2C3, 0xF25E, 0xFFD2, 0xF888};

using Pixels = std::array<std::uint8_t, card::ICON_SIDE * card::ICON_SIDE>;

// A chequered flag on a pole.
Pixels flagIcon() {
    Pixels pixels{};
    for (int y = 2; y < 30; ++y) {
        pixels[static_cast<std::size_t>(y) * card::ICON_SIDE + 5] = Grey;
        pixels[static_cast<std::size_t>(y) * card::ICON_SIDE + 6] = Grey;
    }
    for (int y = 3; y < 19; ++y) {
        for (int x = 7; x < 29; ++x) {
            const bool dark = ((x - 7) / 4 + (y - 3) / 4) % 2 == 0;
            pixels[static_cast<std::size_t>(y) * card::ICON_SIDE + x] = dark ? Black : White;
        }
    }
    return pixels;
}

// Four tiles whose colours turn one place each frame.
Pixels tilesIcon(int frame) {
    constexpr std::array<Colour, 4> TILES{Red, Green, Blue, Yellow};
    Pixels pixels{};
    for (int y = 2; y < 30; ++y) {
        for (int x = 2; x < 30; ++x) {
            if (x == 15 || x == 16 || y == 15 || y == 16) {
                continue;  // the gap between the tiles
            }
            const int tile = (y < 16 ? 0 : 2) + (x < 16 ? 0 : 1);
            // Clockwise order of the tiles: top left, top right, bottom right, bottom left.
            constexpr std::array<int, 4> CLOCKWISE{0, 1, 3, 2};
            const int turned = (CLOCKWISE[static_cast<std::size_t>(tile)] + frame) % 4;
            pixels[static_cast<std::size_t>(y) * card::ICON_SIDE + x] =
                TILES[static_cast<std::size_t>(turned)];
        }
    }
    return pixels;
}

struct SampleFile {
    std::string_view name;
    std::uint16_t blocks;
    std::string_view shortDescription;
    std::string_view longDescription;
    std::array<std::uint8_t, 8> timeStamp;  // BCD: century, year, month, day, h, m, s, weekday
    std::vector<Pixels> icons;
    std::uint16_t animationSpeed;  // frames of 1/30 s
};

std::vector<SampleFile> sampleFiles() {
    return {
        {"QUORVANE_001",
         1,
         "QUORVANE SAMPLE1",
         "Sample save made by Quorvane",
         {0x20, 0x26, 0x12, 0x07, 0x09, 0x00, 0x00, 0x00},
         {},
         0},
        {"RACEDATA_001",
         3,
         "RACE DATA",
         "Lap times of the sample circuit",
         {0x20, 0x26, 0x12, 0x07, 0x09, 0x15, 0x30, 0x00},
         {flagIcon()},
         0},
        {"PUZZLE___SYS",
         5,
         "PUZZLE SYSTEM",
         "Puzzle settings and progress",
         {0x20, 0x26, 0x12, 0x07, 0x09, 0x30, 0x45, 0x00},
         {tilesIcon(0), tilesIcon(1), tilesIcon(2)},
         8},
    };
}
constexpr std::string_view SAMPLE_APPLICATION = "QUORVANE";

// Text fields of the save header are padded with spaces.
void putText(std::vector<std::uint8_t>& buffer, std::size_t offset, std::size_t size,
             std::string_view text) {
    for (std::size_t i = 0; i < size; ++i) {
        buffer[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
    }
}

// Two pixels a byte, the left one in the high nibble.
void putIcon(std::vector<std::uint8_t>& buffer, std::size_t offset, const Pixels& pixels) {
    for (std::size_t i = 0; i < card::ICON_BYTES; ++i) {
        buffer[offset + i] = static_cast<std::uint8_t>((pixels[2 * i] << 4) | pixels[2 * i + 1]);
    }
}

// The header, its icons and the save's own bytes, with the check value over them.
void putSave(std::vector<std::uint8_t>& buffer, const SampleFile& sample, std::uint8_t seed) {
    putText(buffer, card::SHORT_DESCRIPTION_OFFSET, card::SHORT_DESCRIPTION_SIZE,
            sample.shortDescription);
    putText(buffer, card::LONG_DESCRIPTION_OFFSET, card::LONG_DESCRIPTION_SIZE,
            sample.longDescription);
    putText(buffer, card::APPLICATION_NAME_OFFSET, card::APPLICATION_NAME_SIZE, SAMPLE_APPLICATION);
    const std::size_t end = std::size_t{sample.blocks} * card::BLOCK_SIZE;
    const std::size_t dataStart = card::SAVE_HEADER_SIZE + sample.icons.size() * card::ICON_BYTES;
    card::writeLe16(buffer, card::ICON_COUNT_OFFSET,
                    static_cast<std::uint16_t>(sample.icons.size()));
    card::writeLe16(buffer, card::ANIMATION_SPEED_OFFSET, sample.animationSpeed);
    const auto dataSize = static_cast<std::uint32_t>(end - dataStart);
    card::writeLe32(buffer, card::DATA_SIZE_OFFSET, dataSize);
    for (std::size_t i = 0; i < PALETTE.size(); ++i) {
        card::writeLe16(buffer, card::PALETTE_OFFSET + 2 * i, PALETTE[i]);
    }
    for (std::size_t i = 0; i < sample.icons.size(); ++i) {
        putIcon(buffer, card::SAVE_HEADER_SIZE + i * card::ICON_BYTES, sample.icons[i]);
    }
    for (std::size_t i = dataStart; i < end; ++i) {
        buffer[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    card::writeLe16(buffer, card::CRC_OFFSET, card::crc16(std::span(buffer.data(), end)));
}

void storeSample(card::PageBytes& pageImage, const SampleFile& sample, std::uint8_t seed) {
    card::CardFile file;
    file.data.resize(std::size_t{sample.blocks} * card::BLOCK_SIZE);
    putSave(file.data, sample, seed);
    card::DirEntry& entry = file.entry;
    entry.fileType = card::DATA_FILE_TYPE;
    std::copy(sample.name.begin(), sample.name.end(), entry.fileName.begin());
    entry.timeStamp = sample.timeStamp;
    entry.sizeInBlocks = sample.blocks;
    card::DirtyMap dirty{};
    card::storeNewFile(pageImage, dirty, file);
}

}  // namespace

std::vector<card::CardOrderPage> makeSamplePages(SampleFiles samples) {
    std::vector<card::CardOrderPage> pages(NEW_FOLDER_PAGES);
    auto pageImage = std::make_unique<card::PageBytes>();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        card::formatPage(*pageImage);
        if (i == 0 && samples == SampleFiles::OnFirstPage) {
            std::uint8_t seed = 0x11;
            for (const SampleFile& sample : sampleFiles()) {
                storeSample(*pageImage, sample, seed);
                seed = static_cast<std::uint8_t>(seed + 0x22);
            }
        }
        card::pageToCard(*pageImage, pages[i]);
    }
    return pages;
}

}  // namespace quorvane::adapter
