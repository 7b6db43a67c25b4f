// SPDX-License-Identifier: GPL-3.0-or-later
// The save header of a file on arbitrary bytes: its icons and its check value.
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

    const auto icon = card::decodeSaveIcon(fileData, entry);
    if (icon) {
        QUORVANE_FUZZ_CHECK(!icon->frames.empty());
        QUORVANE_FUZZ_CHECK(icon->frames.size() <= static_cast<std::size_t>(card::MAX_ICONS));
        if (entry.fileName != card::ICONDATA_NAME) {
            // A header with its icons lies wholly inside the file, and it says how many.
            const std::size_t header = std::size_t{entry.headerOffset} * card::BLOCK_SIZE;
            QUORVANE_FUZZ_CHECK(header + card::SAVE_HEADER_SIZE +
                                    icon->frames.size() * card::ICON_BYTES <=
                                fileData.size());
            QUORVANE_FUZZ_CHECK(card::readLe16(fileData, header + card::ICON_COUNT_OFFSET) ==
                                icon->frames.size());
            QUORVANE_FUZZ_CHECK(icon->frameMilliseconds > 0);
        }
    }
    const auto check = card::checkSaveHeader(fileData, entry);
    if (check) {
        const std::size_t header = std::size_t{entry.headerOffset} * card::BLOCK_SIZE;
        QUORVANE_FUZZ_CHECK(header + card::SAVE_HEADER_SIZE <= fileData.size());
        QUORVANE_FUZZ_CHECK(check->stored == card::readLe16(fileData, header + card::CRC_OFFSET));
    }
    return 0;
}
