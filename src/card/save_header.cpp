#include "card/save_header.h"

#include <algorithm>

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

// The CRC of each byte value: a saved file can be 100 KiB, so one table look-up a byte.
constexpr std::array<std::uint16_t, 256> CRC_TABLE = [] {
    std::array<std::uint16_t, 256> table{};
    for (std::size_t value = 0; value < table.size(); ++value) {
        auto crc = static_cast<std::uint16_t>(value << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? static_cast<std::uint16_t>((crc << 1) ^ CRC_POLYNOMIAL)
                                      : static_cast<std::uint16_t>(crc << 1);
        }
        table[value] = crc;
    }
    return table;
}();

std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(readLe16(bytes, offset)) |
           (static_cast<std::uint32_t>(readLe16(bytes, offset + 2)) << 16);
}

using Palette = std::array<std::array<std::uint8_t, 4>, PALETTE_COLOURS>;

// ARGB4444 colours as RGBA with 8 bits a channel; alpha 0 is transparent.
Palette readPalette(std::span<const std::uint8_t> bytes) {
    Palette palette{};
    for (std::size_t i = 0; i < PALETTE_COLOURS; ++i) {
        const std::uint16_t argb = readLe16(bytes, i * 2);
        const auto channel = [argb](int shift) {
            return static_cast<std::uint8_t>(((argb >> shift) & 0xF) * 0x11);
        };
        palette[i] = {channel(8), channel(4), channel(0), channel(12)};
    }
    return palette;
}

// 4 bits a pixel, the high nibble the left pixel.
IconFrame paintIcon(std::span<const std::uint8_t> pixels, const Palette& palette) {
    IconFrame frame{};
    for (std::size_t i = 0; i < ICON_BYTES; ++i) {
        const std::uint8_t pair = pixels[i];
        const auto& left = palette[pair >> 4];
        const auto& right = palette[pair & 0xF];
        std::copy(left.begin(), left.end(), frame.begin() + static_cast<long>(i * 8));
        std::copy(right.begin(), right.end(), frame.begin() + static_cast<long>(i * 8 + 4));
    }
    return frame;
}

// 1 bit a pixel, the most significant bit the left pixel; a set bit is dark.
IconFrame paintMonoIcon(std::span<const std::uint8_t> bits) {
    IconFrame frame{};
    for (std::size_t pixel = 0; pixel < static_cast<std::size_t>(ICON_SIDE * ICON_SIDE); ++pixel) {
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
        const Palette palette = readPalette(data.subspan(colour, PALETTE_BYTES));
        icon.frames.push_back(paintIcon(data.subspan(colour + PALETTE_BYTES, ICON_BYTES), palette));
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
    const Palette palette = readPalette(header->subspan(PALETTE_OFFSET, PALETTE_BYTES));
    SaveIcon icon;
    for (std::size_t i = 0; i < count; ++i) {
        icon.frames.push_back(
            paintIcon(header->subspan(SAVE_HEADER_SIZE + i * ICON_BYTES, ICON_BYTES), palette));
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

std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    for (const std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ CRC_TABLE[((crc >> 8) ^ byte) & 0xFF]);
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
