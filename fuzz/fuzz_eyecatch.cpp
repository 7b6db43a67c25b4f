// SPDX-License-Identifier: GPL-3.0-or-later
// The eyecatch of a file on arbitrary bytes.
//
// Input: the file's 32-byte directory entry, then its data along the chain.
#include <cstring>

#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/save_header.h"
#include "fuzz_check.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < card::DIR_ENTRY_SIZE) {
        return 0;
    }
    const card::DirEntry entry = card::decodeDirEntry(
        std::span<const std::uint8_t, card::DIR_ENTRY_SIZE>(data, card::DIR_ENTRY_SIZE));
    const std::span<const std::uint8_t> fileData(data + card::DIR_ENTRY_SIZE,
                                                 size - card::DIR_ENTRY_SIZE);

    const auto eyecatch = card::decodeEyecatch(fileData, entry);
    if (!eyecatch) {
        return 0;
    }
    // The header names a known type after at most three icons, and the picture lies wholly
    // inside the file: the file cut right after it gives the same picture.
    const std::size_t header = std::size_t{entry.headerOffset} * card::BLOCK_SIZE;
    const std::uint16_t icons = card::readLe16(fileData, header + card::ICON_COUNT_OFFSET);
    const std::uint16_t type = card::readLe16(fileData, header + card::EYECATCH_TYPE_OFFSET);
    QUORVANE_FUZZ_CHECK(icons <= card::MAX_ICONS);
    QUORVANE_FUZZ_CHECK(type >= card::EYECATCH_TRUE_COLOUR && type <= card::EYECATCH_16_COLOURS);
    const std::size_t end = header + card::SAVE_HEADER_SIZE +
                            std::size_t{icons} * card::ICON_BYTES + card::EYECATCH_SIZES[type];
    QUORVANE_FUZZ_CHECK(end <= fileData.size());
    const auto cut = card::decodeEyecatch(fileData.first(end), entry);
    QUORVANE_FUZZ_CHECK(cut && std::memcmp(cut->data(), eyecatch->data(), eyecatch->size()) == 0);
    QUORVANE_FUZZ_CHECK(!card::decodeEyecatch(fileData.first(end - 1), entry));
    return 0;
}
