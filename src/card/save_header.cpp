// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/save_header.h"

#include <algorithm>
#include <cstring>

#include "card/byte_order.h"
#include "card/file_system.h"

namespace quorvane::card {

namespace {

constexpr std::uint16_t CRC_POLYNOMIAL = 0x1021;
constexpr int MILLISECONDS_PER_SECOND = 1000;
constexpr std::size_t ICONDATA_MINIMUM_SIZE = ICONDATA_COLOUR_OFFSET + 4;
constexpr std::size_t PALETTE_BYTES = PALETTE_COLOURS * 2;
constexpr std::size_t ICON_BLOCKS_AFTER_HEADER =
    (SAVE_HEADER_SIZE + MAX_ICONS * ICON_BYTES + BLOCK_SIZE - 1) / BLOCK_SIZE;
constexpr std::size_t LARGEST_EYECATCH = std::ranges::max(EYECATCH_SIZES);
constexpr std::size_t EYECATCH_BLOCKS_AFTER_HEADER =
    (SAVE_HEADER_SIZE + MAX_ICONS * ICON_BYTES + LARGEST_EYECATCH + BLOCK_SIZE - 1) / BLOCK_SIZE;

// CRC tables for eight bytes at a time: table k gives the CRC of a byte followed by k zero
// bytes. A saved file can be 100 KiB; a byte at a time waits on each table look-up in turn.
constexpr std::size_t CRC_SLICE = 8;
using CrcTables = std::array<std::array<std::uint16_t, 256>, CRC_SLICE>;
constexpr CrcTables CRC_TABLES = [] {
    CrcTables tables{};
    for (std::size_t value = 0; value < 256; ++value) {
        auto crc = static_cast<std::uint16_t>(value << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? static_cast<std::uint16_t>((crc << 1) ^ CRC_POLYNOMIAL)
                                      : static_cast<std::uint16_t>(crc << 1);
        }
        tables[0][value] = crc;
    }
    for (std::size_t k = 1; k < CRC_SLICE; ++k) {
        for (std::size_t value = 0; value < 256; ++value) {
            const std::uint16_t previous = tables[k - 1][value];
            tables[k][value] =
                static_cast<std::uint16_t>((previous << 8) ^ tables[0][previous >> 8]);
        }
    }
    return tables;
}();

using Rgba = std::array<std::uint8_t, 4>;
using Palette = std::array<Rgba, PALETTE_COLOURS>;

// An ARGB4444 colour as RGBA with 8 bits a channel; alpha 0 is transparent.
Rgba rgbaOf(std::uint16_t argb) {
    const auto channel = [argb](int shift) {
        return static_cast<std::uint8_t>(((argb >> shift) & 0xF) * 0x11);
    };
    return {channel(8), channel(4), channel(0), channel(12)};
}

// As many colours as `colours` holds, from 16-bit values.
void readColours(std::span<const std::uint8_t> bytes, std::span<Rgba> colours) {
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = rgbaOf(readLe16(bytes, i * 2));
    }
}

Palette readPalette(std::span<const std::uint8_t> bytes) {
    Palette palette{};
    readColours(bytes, palette);
    return palette;
}

// The two pixels of every byte value, made once per palette: a page of icons is painted eight
// bytes at a time.
using PixelPairs = std::array<std::array<std::uint8_t, 8>, 256>;

PixelPairs pixelPairs(const Palette& palette) {
    PixelPairs pairs{};
    for (std::size_t value = 0; value < pairs.size(); ++value) {
        const auto& left = palette[value >> 4];
        const auto& right = palette[value & 0xF];
        std::copy(left.begin(), left.end(), pairs[value].begin());
        std::copy(right.begin(), right.end(), pairs[value].begin() + 4);
    }
    return pairs;
}

// 4 bits a pixel, the high nibble the left pixel: as many pixels as `picture` holds.
void paintNibbles(std::span<const std::uint8_t> pixels, const PixelPairs& pairs,
                  std::span<std::uint8_t> picture) {
    for (std::size_t i = 0; i < picture.size() / 8; ++i) {
        std::memcpy(picture.data() + i * 8, pairs[pixels[i]].data(), 8);
    }
}

IconFrame paintIcon(std::span<const std::uint8_t> pixels, const PixelPairs& pairs) {
    IconFrame frame;
    paintNibbles(pixels, pairs, frame);
    return frame;
}

// 1 bit a pixel, the most significant bit the left pixel; a set bit is dark.
IconFrame paintMonoIcon(std::span<const std::uint8_t> bits) {
    IconFrame frame{};
    for (std::size_t pixel = 0; pixel < std::size_t{ICON_SIDE} * ICON_SIDE; ++pixel) {
        const bool dark = ((bits[pixel / 8] >> (7 - pixel % 8)) & 1) != 0;
        const std::uint8_t level = dark ? 0x00 : 0xFF;
        std::fill_n(frame.begin() + static_cast<long>(pixel * 4), 3, level);
        frame[pixel * 4 + 3] = 0xFF;
    }
    return frame;
}

bool fits(std::span<const std::uint8_t> data, std::uint64_t offset, std::uint64_t size) {
    return offset <= data.size() && size <= data.size() - offset;
}

// ICONDATA_VMS: the card's own icon, in colour where it has one.
std::optional<SaveIcon> decodeIconData(std::span<const std::uint8_t> data) {
    if (data.size() < ICONDATA_MINIMUM_SIZE) {
        return std::nullopt;
    }
    SaveIcon icon;
    const std::uint32_t colour = readLe32(data, ICONDATA_COLOUR_OFFSET);
    const std::uint32_t mono = readLe32(data, ICONDATA_MONO_OFFSET);
    if (colour != 0 && fits(data, colour, PALETTE_BYTES + ICON_BYTES)) {
        const PixelPairs pairs = pixelPairs(readPalette(data.subspan(colour, PALETTE_BYTES)));
        icon.frames.push_back(paintIcon(data.subspan(colour + PALETTE_BYTES, ICON_BYTES), pairs));
    } else if (mono != 0 && fits(data, mono, MONO_ICON_BYTES)) {
        icon.frames.push_back(paintMonoIcon(data.subspan(mono, MONO_ICON_BYTES)));
    } else {
        return std::nullopt;
    }
    return icon;
}

// The header's bytes, when the whole header lies inside the file.
std::optional<std::span<const std::uint8_t>> headerOf(std::span<const std::uint8_t> fileData,
                                                      const DirEntry& entry) {
    const std::uint64_t start = std::uint64_t{entry.headerOffset} * BLOCK_SIZE;
    if (!fits(fileData, start, SAVE_HEADER_SIZE)) {
        return std::nullopt;
    }
    return fileData.subspan(start);
}

// The eyecatch's type and bytes, when the header names a known type that lies wholly inside
// the file after the icons it counts.
struct EyecatchBytes {
    std::uint16_t type = 0;
    std::span<const std::uint8_t> bytes;
};

std::optional<EyecatchBytes> eyecatchBytes(std::span<const std::uint8_t> fileData,
                                           const DirEntry& entry) {
    if (entry.fileName == ICONDATA_NAME) {
        return std::nullopt;  // the card's own icon file has no save header
    }
    const auto header = headerOf(fileData, entry);
    if (!header) {
        return std::nullopt;
    }
    const std::uint16_t icons = readLe16(*header, ICON_COUNT_OFFSET);
    const std::uint16_t type = readLe16(*header, EYECATCH_TYPE_OFFSET);
    if (icons > MAX_ICONS || type == 0 || type >= EYECATCH_SIZES.size()) {
        return std::nullopt;
    }
    const std::size_t start = SAVE_HEADER_SIZE + std::size_t{icons} * ICON_BYTES;
    if (!fits(*header, start, EYECATCH_SIZES[type])) {
        return std::nullopt;
    }
    return EyecatchBytes{type, header->subspan(start, EYECATCH_SIZES[type])};
}

struct FileStart {
    DirEntry entry;
    std::vector<std::uint8_t> data;
};

// The file's data along its chain as far as a header, three icons and the largest eyecatch
// reach: no more is copied. None for a damaged chain.
std::optional<FileStart> eyecatchReach(const PageBytes& pageImage, int slot) {
    FileChain chain = followChain(pageImage, slot);
    if (!chain.complete) {
        return std::nullopt;
    }
    const DirEntry entry = readSlot(pageImage, slot);
    const std::size_t needed = std::size_t{entry.headerOffset} + EYECATCH_BLOCKS_AFTER_HEADER;
    if (chain.blocks.size() > needed) {
        chain.blocks.resize(needed);
    }
    return FileStart{entry, chainData(pageImage, chain.blocks)};
}

void paintTrueColour(std::span<const std::uint8_t> bytes, Eyecatch& picture) {
    for (std::size_t i = 0; i < EYECATCH_PIXELS; ++i) {
        const Rgba colour = rgbaOf(readLe16(bytes, i * 2));
        std::copy(colour.begin(), colour.end(), picture.begin() + static_cast<long>(i * 4));
    }
}

void paint256Colours(std::span<const std::uint8_t> bytes, Eyecatch& picture) {
    std::array<Rgba, 256> palette{};
    readColours(bytes, palette);
    const std::span<const std::uint8_t> pixels = bytes.subspan(palette.size() * 2);
    for (std::size_t i = 0; i < EYECATCH_PIXELS; ++i) {
        const Rgba& colour = palette[pixels[i]];
        std::copy(colour.begin(), colour.end(), picture.begin() + static_cast<long>(i * 4));
    }
}

void paint16Colours(std::span<const std::uint8_t> bytes, Eyecatch& picture) {
    paintNibbles(bytes.subspan(PALETTE_BYTES), pixelPairs(readPalette(bytes)), picture);
}

}  // namespace

std::optional<SaveIcon> decodeSaveIcon(std::span<const std::uint8_t> fileData,
                                       const DirEntry& entry) {
    if (entry.fileName == ICONDATA_NAME) {
        return decodeIconData(fileData);
    }
    const auto header = headerOf(fileData, entry);
    if (!header) {
        return std::nullopt;
    }
    const std::uint16_t count = readLe16(*header, ICON_COUNT_OFFSET);
    if (count == 0 || count > MAX_ICONS ||
        !fits(*header, SAVE_HEADER_SIZE, std::size_t{count} * ICON_BYTES)) {
        return std::nullopt;
    }
    const PixelPairs pairs =
        pixelPairs(readPalette(header->subspan(PALETTE_OFFSET, PALETTE_BYTES)));
    SaveIcon icon;
    icon.frames.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        icon.frames.push_back(
            paintIcon(header->subspan(SAVE_HEADER_SIZE + i * ICON_BYTES, ICON_BYTES), pairs));
    }
    const std::uint16_t speed = readLe16(*header, ANIMATION_SPEED_OFFSET);
    icon.frameMilliseconds = (speed != 0 ? speed : DEFAULT_ANIMATION_SPEED) *
                             MILLISECONDS_PER_SECOND / ANIMATION_FRAMES_PER_SECOND;
    return icon;
}

std::optional<SaveIcon> fileIcon(const PageBytes& pageImage, int slot) {
    FileChain chain = followChain(pageImage, slot);
    if (!chain.complete) {
        return std::nullopt;
    }
    const DirEntry entry = readSlot(pageImage, slot);
    // A header and three icons fit in four blocks from the header's own: no more is copied. The
    // card's own icon file points anywhere in itself.
    const std::size_t needed = std::size_t{entry.headerOffset} + ICON_BLOCKS_AFTER_HEADER;
    if (entry.fileName != ICONDATA_NAME && chain.blocks.size() > needed) {
        chain.blocks.resize(needed);
    }
    return decodeSaveIcon(chainData(pageImage, chain.blocks), entry);
}

std::optional<Eyecatch> decodeEyecatch(std::span<const std::uint8_t> fileData,
                                       const DirEntry& entry) {
    const std::optional<EyecatchBytes> found = eyecatchBytes(fileData, entry);
    if (!found) {
        return std::nullopt;
    }
    Eyecatch picture;
    switch (found->type) {
        case EYECATCH_TRUE_COLOUR:
            paintTrueColour(found->bytes, picture);
            break;
        case EYECATCH_256_COLOURS:
            paint256Colours(found->bytes, picture);
            break;
        default:
            paint16Colours(found->bytes, picture);
            break;
    }
    return picture;
}

std::optional<Eyecatch> fileEyecatch(const PageBytes& pageImage, int slot) {
    const std::optional<FileStart> start = eyecatchReach(pageImage, slot);
    return start ? decodeEyecatch(start->data, start->entry) : std::nullopt;
}

bool fileHasEyecatch(const PageBytes& pageImage, int slot) {
    const std::optional<FileStart> start = eyecatchReach(pageImage, slot);
    return start && eyecatchBytes(start->data, start->entry).has_value();
}

std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    const auto& t = CRC_TABLES;
    std::size_t i = 0;
    for (; bytes.size() - i >= CRC_SLICE; i += CRC_SLICE) {
        const std::uint8_t* b = bytes.data() + i;
        crc = static_cast<std::uint16_t>(t[7][((crc >> 8) ^ b[0]) & 0xFF] ^
                                         t[6][(crc ^ b[1]) & 0xFF] ^ t[5][b[2]] ^ t[4][b[3]] ^
                                         t[3][b[4]] ^ t[2][b[5]] ^ t[1][b[6]] ^ t[0][b[7]]);
    }
    for (; i < bytes.size(); ++i) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ bytes[i]) & 0xFF]);
    }
    return crc;
}

std::optional<HeaderCheck> checkSaveHeader(std::span<const std::uint8_t> fileData,
                                           const DirEntry& entry) {
    const auto header = headerOf(fileData, entry);
    if (!header) {
        return std::nullopt;
    }
    const std::uint16_t icons = readLe16(*header, ICON_COUNT_OFFSET);
    const std::uint16_t eyecatch = readLe16(*header, EYECATCH_TYPE_OFFSET);
    if (icons > MAX_ICONS || eyecatch >= EYECATCH_SIZES.size()) {
        return std::nullopt;
    }
    const std::uint64_t covered = SAVE_HEADER_SIZE + std::uint64_t{icons} * ICON_BYTES +
                                  EYECATCH_SIZES[eyecatch] + readLe32(*header, DATA_SIZE_OFFSET);
    if (!fits(*header, 0, covered)) {
        return std::nullopt;
    }
    HeaderCheck check;
    check.stored = readLe16(*header, CRC_OFFSET);
    const std::array<std::uint8_t, 2> zeroed{};
    std::uint16_t crc = crc16(header->first(CRC_OFFSET));
    crc = crc16(zeroed, crc);
    check.computed = crc16(header->subspan(CRC_OFFSET + 2, covered - CRC_OFFSET - 2), crc);
    return check;
}

}  // namespace quorvane::card
