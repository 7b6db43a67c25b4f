// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "card/dir_entry.h"
#include "card/page_layout.h"

// The save header a file keeps in its block `headerOffset` along the chain: three text fields
// (the file's information lines), then what the card's own menu shows of the save: its icons,
// their animation, an eyecatch picture and a check value over it all.
namespace quorvane::card {

// --- Text fields ---
inline constexpr std::size_t SHORT_DESCRIPTION_OFFSET = 0;
inline constexpr std::size_t SHORT_DESCRIPTION_SIZE = 16;
inline constexpr std::size_t LONG_DESCRIPTION_OFFSET = 16;
inline constexpr std::size_t LONG_DESCRIPTION_SIZE = 32;
inline constexpr std::size_t APPLICATION_NAME_OFFSET = 48;
inline constexpr std::size_t APPLICATION_NAME_SIZE = 16;
inline constexpr std::size_t SAVE_HEADER_TEXT_SIZE = 64;

static_assert(SHORT_DESCRIPTION_OFFSET + SHORT_DESCRIPTION_SIZE == LONG_DESCRIPTION_OFFSET);
static_assert(LONG_DESCRIPTION_OFFSET + LONG_DESCRIPTION_SIZE == APPLICATION_NAME_OFFSET);
static_assert(APPLICATION_NAME_OFFSET + APPLICATION_NAME_SIZE == SAVE_HEADER_TEXT_SIZE);

// --- Icons and check value (16- and 32-bit values little-endian) ---
inline constexpr std::size_t ICON_COUNT_OFFSET = 0x40;       // u16: 0..3 icons
inline constexpr std::size_t ANIMATION_SPEED_OFFSET = 0x42;  // u16: frames of 1/30 s
inline constexpr std::size_t EYECATCH_TYPE_OFFSET = 0x44;    // u16: 0 none, 1..3
inline constexpr std::size_t CRC_OFFSET = 0x46;              // u16
inline constexpr std::size_t DATA_SIZE_OFFSET = 0x48;        // u32: bytes of the save's own data
inline constexpr std::size_t PALETTE_OFFSET = 0x60;          // 16 colours, ARGB4444
inline constexpr std::size_t PALETTE_COLOURS = 16;
inline constexpr std::size_t SAVE_HEADER_SIZE = 0x80;  // where the icons begin
inline constexpr int MAX_ICONS = 3;

// --- Eyecatch: a larger picture right after the icons ---
inline constexpr int EYECATCH_WIDTH = 72;
inline constexpr int EYECATCH_HEIGHT = 56;
inline constexpr std::size_t EYECATCH_PIXELS = std::size_t{EYECATCH_WIDTH} * EYECATCH_HEIGHT;
// By type: none; a 16-bit colour a pixel; a 256-colour palette, then a byte a pixel; a
// 16-colour palette, then 4 bits a pixel. Colours are ARGB4444, as the icons'.
inline constexpr std::uint16_t EYECATCH_TRUE_COLOUR = 1;
inline constexpr std::uint16_t EYECATCH_256_COLOURS = 2;
inline constexpr std::uint16_t EYECATCH_16_COLOURS = 3;
inline constexpr std::array<std::size_t, 4> EYECATCH_SIZES{
    0, EYECATCH_PIXELS * 2, 256 * 2 + EYECATCH_PIXELS, 16 * 2 + EYECATCH_PIXELS / 2};
static_assert(EYECATCH_SIZES[EYECATCH_TRUE_COLOUR] == 8064);
static_assert(EYECATCH_SIZES[EYECATCH_256_COLOURS] == 4544);
static_assert(EYECATCH_SIZES[EYECATCH_16_COLOURS] == 2048);

// --- The card's own icon, kept in ICONDATA_VMS without a save header ---
inline constexpr std::array<std::uint8_t, 12> ICONDATA_NAME{'I', 'C', 'O', 'N', 'D', 'A',
                                                            'T', 'A', '_', 'V', 'M', 'S'};
inline constexpr std::size_t ICONDATA_MONO_OFFSET = 0x10;    // u32: the 1-bit icon
inline constexpr std::size_t ICONDATA_COLOUR_OFFSET = 0x14;  // u32: palette, then 4-bit icon

// --- Pictures ---
inline constexpr int ICON_SIDE = 32;
inline constexpr std::size_t ICON_BYTES = ICON_SIDE * ICON_SIDE / 2;  // 4 bits a pixel
inline constexpr std::size_t MONO_ICON_BYTES = ICON_SIDE * ICON_SIDE / 8;

// One 32 x 32 picture, RGBA with 8 bits a channel, row after row from the top left.
using IconFrame = std::array<std::uint8_t, ICON_SIDE * ICON_SIDE * 4>;

// The eyecatch, its pixels laid out as an IconFrame's.
using Eyecatch = std::array<std::uint8_t, EYECATCH_PIXELS * 4>;

struct SaveIcon {
    std::vector<IconFrame> frames;  // 1..3; more than one animate
    int frameMilliseconds = 0;      // how long each frame shows
};

// A speed of 0 frames still animates, at a third of a second a frame.
inline constexpr int DEFAULT_ANIMATION_SPEED = 10;
inline constexpr int ANIMATION_FRAMES_PER_SECOND = 30;

// The icon of a file from its data along the chain (`fileData`, sizeInBlocks x 512 bytes, as
// extractFile leaves them after the .ddc header). None when the file has no icon or its header
// is damaged: out of the file, more than 3 icons, icons running past the file.
std::optional<SaveIcon> decodeSaveIcon(std::span<const std::uint8_t> fileData,
                                       const DirEntry& entry);

// The icon of the file in `slot`, from its chain; none for a damaged chain.
std::optional<SaveIcon> fileIcon(const PageBytes& pageImage, int slot);

// The eyecatch of a file from its data along the chain, as decodeSaveIcon takes them. None when
// the header names none, or its type is unknown, or it does not lie wholly inside the file.
std::optional<Eyecatch> decodeEyecatch(std::span<const std::uint8_t> fileData,
                                       const DirEntry& entry);

// The eyecatch of the file in `slot`, from its chain; none for a damaged chain.
std::optional<Eyecatch> fileEyecatch(const PageBytes& pageImage, int slot);
// Whether fileEyecatch finds one, without painting it.
bool fileHasEyecatch(const PageBytes& pageImage, int slot);

// CRC-16 with polynomial 0x1021 and start value 0, as the save header's check value uses.
std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0);

// The header's check value and the one its bytes give: the header with the check value zeroed,
// the icons, the eyecatch and the save's data. None when the header or those bytes do not lie
// inside the file.
struct HeaderCheck {
    std::uint16_t stored = 0;
    std::uint16_t computed = 0;
};
std::optional<HeaderCheck> checkSaveHeader(std::span<const std::uint8_t> fileData,
                                           const DirEntry& entry);

}  // namespace quorvane::card
