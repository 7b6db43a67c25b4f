// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/save_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

#include "card/byte_order.h"
#include "card/file_system.h"
#include "card/listing.h"
#include "support/card_builders.h"

namespace quorvane::card {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t TRANSPARENT = 0x0000;
constexpr std::uint16_t RED = 0xFF00;    // ARGB4444: opaque red
constexpr std::uint16_t GREEN = 0x80F0;  // half-transparent green

// The first pixel pair of each icon: red then green, green then red, green then transparent.
constexpr std::uint8_t FIRST_PIXELS[3] = {0x12, 0x21, 0x20};

// A file of `blocks` blocks whose header (in block `headerBlock`) has `icons` icons, each of
// the first three starting with its FIRST_PIXELS, the palette above and the given speed.
Bytes savedFile(int blocks, int icons, std::uint16_t speed = 0, int headerBlock = 0) {
    Bytes data(static_cast<std::size_t>(blocks) * BLOCK_SIZE, 0);
    const std::size_t header = static_cast<std::size_t>(headerBlock) * BLOCK_SIZE;
    writeLe16(data, header + 0x40, static_cast<std::uint16_t>(icons));
    writeLe16(data, header + 0x42, speed);
    for (auto [index, colour] : {std::pair{0, TRANSPARENT}, {1, RED}, {2, GREEN}}) {
        writeLe16(data, header + 0x60 + 2 * static_cast<std::size_t>(index), colour);
    }
    const int pictured = std::min(icons, static_cast<int>(std::size(FIRST_PIXELS)));
    for (int i = 0; i < pictured && header + 0x80 + 512 * static_cast<std::size_t>(i) < data.size();
         ++i) {
        data[header + 0x80 + 512 * static_cast<std::size_t>(i)] = FIRST_PIXELS[i];
    }
    return data;
}

DirEntry entryOf(std::uint16_t blocks, std::uint16_t headerOffset = 0,
                 std::string_view name = "SAVE") {
    DirEntry entry = testing::makeEntry(name, blocks);
    entry.headerOffset = headerOffset;
    return entry;
}

std::array<std::uint8_t, 4> pixel(const IconFrame& frame, int x, int y) {
    const auto at = (static_cast<std::size_t>(y) * ICON_SIDE + static_cast<std::size_t>(x)) * 4;
    return {frame[at], frame[at + 1], frame[at + 2], frame[at + 3]};
}

using Rgba = std::array<std::uint8_t, 4>;

// A save of one icon and an eyecatch of `type` whose first two pixels are red and green and
// whose last is red, its header in block `headerBlock`, in a file cut to `blocks` blocks.
Bytes savedWithEyecatch(std::uint16_t type, int blocks, int headerBlock = 0) {
    const std::size_t header = static_cast<std::size_t>(headerBlock) * BLOCK_SIZE;
    Bytes data(header + 17 * BLOCK_SIZE, 0);  // room for the largest
    writeLe16(data, header + 0x40, 1);
    writeLe16(data, header + 0x44, type);
    const std::size_t at = header + 0x80 + 512;  // after the icon
    if (type == 1) {                             // a colour a pixel
        writeLe16(data, at, RED);
        writeLe16(data, at + 2, GREEN);
        writeLe16(data, at + 8062, RED);
    } else if (type == 2) {  // 256 colours, then a byte a pixel
        writeLe16(data, at + 2 * 1, RED);
        writeLe16(data, at + 2 * 200, GREEN);
        data[at + 512] = 1;
        data[at + 513] = 200;
        data[at + 512 + 4031] = 1;
    } else if (type == 3) {  // 16 colours, then a nibble a pixel
        writeLe16(data, at + 2 * 1, RED);
        writeLe16(data, at + 2 * 2, GREEN);
        data[at + 32] = 0x12;
        data[at + 32 + 2015] = 0x01;
    }
    data.resize(static_cast<std::size_t>(blocks) * BLOCK_SIZE);
    return data;
}

Rgba eyecatchPixel(const Eyecatch& picture, int x, int y) {
    const auto at = (static_cast<std::size_t>(y) * 72 + static_cast<std::size_t>(x)) * 4;
    return {picture[at], picture[at + 1], picture[at + 2], picture[at + 3]};
}

// The check value a bit at a time, the way the polynomial defines it.
std::uint16_t crcBitByBit(const Bytes& bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t byte : bytes) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

TEST(SaveHeader, CrcIsTheSixteenBitCcittWithStartZero) {
    const std::string_view check = "123456789";
    EXPECT_EQ(crc16(Bytes(check.begin(), check.end())), 0x31C3);
    EXPECT_EQ(crc16(Bytes{}), 0x0000);
    // Eight bytes at a time and the rest one by one give what the polynomial gives.
    Bytes bytes;
    for (std::size_t length = 0; length < 40; ++length) {
        EXPECT_EQ(crc16(bytes), crcBitByBit(bytes)) << length;
        bytes.push_back(static_cast<std::uint8_t>(length * 37 + 11));
    }
    const Bytes half(bytes.begin(), bytes.begin() + 13);
    EXPECT_EQ(crc16(Bytes(bytes.begin() + 13, bytes.end()), crc16(half)), crcBitByBit(bytes));
}

TEST(SaveHeader, IconsDecodeThroughTheirPaletteHighNibbleLeft) {
    const auto icon = decodeSaveIcon(savedFile(2, 1), entryOf(2));
    ASSERT_TRUE(icon.has_value());
    ASSERT_EQ(icon->frames.size(), 1u);
    EXPECT_EQ(pixel(icon->frames[0], 0, 0), (Rgba{0xFF, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(pixel(icon->frames[0], 1, 0), (Rgba{0x00, 0xFF, 0x00, 0x88}));
    EXPECT_EQ(pixel(icon->frames[0], 31, 31), (Rgba{0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(icon->frameMilliseconds, 333);  // a speed of 0 takes the default

    // Three frames in the second block of a game, each a frame of 6/30 s.
    const auto animated = decodeSaveIcon(savedFile(5, 3, 6, 1), entryOf(5, 1));
    ASSERT_TRUE(animated.has_value());
    ASSERT_EQ(animated->frames.size(), 3u);
    EXPECT_EQ(pixel(animated->frames[1], 0, 0), (Rgba{0x00, 0xFF, 0x00, 0x88}));
    EXPECT_EQ(pixel(animated->frames[1], 1, 0), (Rgba{0xFF, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(pixel(animated->frames[2], 0, 0), (Rgba{0x00, 0xFF, 0x00, 0x88}));
    EXPECT_EQ(pixel(animated->frames[2], 1, 0), (Rgba{0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(animated->frameMilliseconds, 200);
}

TEST(SaveHeader, DamagedHeadersGiveNoIcon) {
    EXPECT_FALSE(decodeSaveIcon(savedFile(2, 0), entryOf(2)));     // no icon
    EXPECT_FALSE(decodeSaveIcon(savedFile(4, 4), entryOf(4)));     // more than 3
    EXPECT_FALSE(decodeSaveIcon(savedFile(1, 3), entryOf(1)));     // runs past the file
    EXPECT_FALSE(decodeSaveIcon(savedFile(2, 1), entryOf(2, 2)));  // header past the file
    EXPECT_FALSE(decodeSaveIcon(Bytes(), entryOf(0)));             // no data at all
    EXPECT_FALSE(decodeSaveIcon(savedFile(2, 1, 0, 0), entryOf(2, 0xFFFF)));
}

TEST(SaveHeader, CardIconFileShowsItsColourIconOrElseItsMonoIcon) {
    Bytes data(BLOCK_SIZE * 2, 0);
    writeLe16(data, 0x10, 0x40);  // mono icon at 0x40
    writeLe16(data, 0x14, 0xC0);  // colour icon at 0xC0: palette, then pixels
    writeLe16(data, 0xC0 + 2, RED);
    data[0xC0 + 32] = 0x01;  // second pixel red
    data[0x40] = 0x80;       // first mono pixel dark
    const auto colour = decodeSaveIcon(data, entryOf(2, 0, "ICONDATA_VMS"));
    ASSERT_TRUE(colour.has_value());
    EXPECT_EQ(pixel(colour->frames.at(0), 1, 0), (Rgba{0xFF, 0x00, 0x00, 0xFF}));

    writeLe16(data, 0x14, 0);
    const auto mono = decodeSaveIcon(data, entryOf(2, 0, "ICONDATA_VMS"));
    ASSERT_TRUE(mono.has_value());
    EXPECT_EQ(pixel(mono->frames.at(0), 0, 0), (Rgba{0x00, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(pixel(mono->frames.at(0), 1, 0), (Rgba{0xFF, 0xFF, 0xFF, 0xFF}));

    writeLe16(data, 0x10, 0xFFFF);  // past the file
    EXPECT_FALSE(decodeSaveIcon(data, entryOf(2, 0, "ICONDATA_VMS")));
}

TEST(SaveHeader, EyecatchesDecodeByTypeOnlyWhenWhollyInsideTheFile) {
    struct Row {
        std::uint16_t type;
        int blocks;
        int headerBlock;
        bool shown;
    };
    const Row rows[] = {
        {1, 17, 0, true},   // a colour a pixel
        {2, 11, 0, true},   // 256 colours, the palette across a block boundary
        {3, 6, 0, true},    // 16 colours, high nibble left
        {3, 7, 1, true},    // in a game's second block
        {1, 16, 0, false},  // cut short by the file
        {3, 5, 0, false},   // cut short by the file
        {0, 17, 0, false},  // none
        {4, 17, 0, false},  // type out of range
    };
    const std::array<Rgba, 4> expected{Rgba{0xFF, 0x00, 0x00, 0xFF}, Rgba{0x00, 0xFF, 0x00, 0x88},
                                       Rgba{0x00, 0x00, 0x00, 0x00}, Rgba{0xFF, 0x00, 0x00, 0xFF}};
    for (const Row& row : rows) {
        CardFile file{entryOf(static_cast<std::uint16_t>(row.blocks),
                              static_cast<std::uint16_t>(row.headerBlock)),
                      savedWithEyecatch(row.type, row.blocks, row.headerBlock)};
        const auto eyecatch = decodeEyecatch(file.data, file.entry);
        ASSERT_EQ(eyecatch.has_value(), row.shown) << row.type << " in " << row.blocks;
        if (eyecatch) {
            const auto at = [&](int x, int y) { return eyecatchPixel(*eyecatch, x, y); };
            EXPECT_EQ((std::array{at(0, 0), at(1, 0), at(2, 0), at(71, 55)}), expected);
        }
        // On a page new files chain downward: the file's second block lies before its first.
        auto page = std::make_unique<PageBytes>();
        formatPage(*page);
        DirtyMap dirty{};
        ASSERT_EQ(storeNewFile(*page, dirty, file), StoreResult::Stored);
        EXPECT_EQ(fileEyecatch(*page, findSlotByName(*page, "SAVE")), eyecatch);
        EXPECT_EQ(fileHasEyecatch(*page, findSlotByName(*page, "SAVE")), row.shown);
    }
}

TEST(SaveHeader, CheckValueCoversHeaderIconsEyecatchAndDataWithItselfZeroed) {
    Bytes data = savedFile(6, 1);
    writeLe16(data, 0x44, 3);   // a 16-colour eyecatch: 2048 bytes
    writeLe16(data, 0x48, 10);  // ten bytes of data after it
    const std::size_t covered = 0x80 + 512 + 2048 + 10;
    data[covered - 1] = 0x5A;
    Bytes zeroed(data.begin(), data.begin() + static_cast<long>(covered));
    const std::uint16_t expected = crc16(zeroed);
    writeLe16(data, 0x46, expected);

    auto check = checkSaveHeader(data, entryOf(6));
    ASSERT_TRUE(check.has_value());
    EXPECT_EQ(check->stored, expected);
    EXPECT_EQ(check->computed, expected);

    data[covered] = 0x77;  // past what it covers: no difference
    EXPECT_EQ(checkSaveHeader(data, entryOf(6))->computed, expected);
    data[covered - 1] = 0x00;
    EXPECT_NE(checkSaveHeader(data, entryOf(6))->computed, expected);

    writeLe16(data, 0x48, 0xFFFF);  // runs past the file: nothing to compare
    EXPECT_FALSE(checkSaveHeader(data, entryOf(6)).has_value());
}

}  // namespace
}  // namespace quorvane::card
