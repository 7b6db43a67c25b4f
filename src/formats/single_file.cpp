// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/single_file.h"

#include <algorithm>

#include "card/byte_order.h"
#include "formats/input_file.h"

namespace quorvane::formats {

namespace {

enum class DataOrder { FileSystem, Card };

bool hasDdcTag(std::span<const std::uint8_t> bytes) {
    return std::equal(DDC_TAG.begin(), DDC_TAG.begin() + DDC_TAG_LETTER_COUNT, bytes.begin());
}

// Everything after the header is the same for both formats: the entry is checked, then the
// data must cover every block the entry claims. Nothing is written before all checks pass.
ReadResult parseEntryAndData(std::span<const std::uint8_t, card::DIR_ENTRY_SIZE> entryBytes,
                             std::span<const std::uint8_t> data, DataOrder order,
                             card::CardFile& file) {
    const card::DirEntry found = card::decodeDirEntry(entryBytes);
    if (!found.inUse()) {
        return ReadResult::FreeEntryType;
    }
    if (found.sizeInBlocks > card::USER_BLOCK_COUNT) {
        return ReadResult::TooManyBlocks;
    }
    const std::size_t needed = std::size_t{found.sizeInBlocks} * card::BLOCK_SIZE;
    if (data.size() < needed) {
        return ReadResult::TooShortForData;
    }
    // Bytes beyond the blocks the entry claims do not belong to the file.
    file.data.assign(data.begin(), data.begin() + static_cast<long>(needed));
    if (order == DataOrder::Card) {
        card::reverseGroupsInPlace(file.data);
    }
    file.entry = found;
    return ReadResult::Ok;
}

}  // namespace

ReadResult parseDdcFile(std::span<const std::uint8_t> bytes, card::CardFile& file) {
    if (bytes.size() < DDC_TAG_LETTER_COUNT) {
        return ReadResult::TooShortForHeader;
    }
    if (!hasDdcTag(bytes)) {
        return ReadResult::WrongTag;
    }
    if (bytes.size() < DDC_DATA_OFFSET) {
        return ReadResult::TooShortForHeader;
    }
    return parseEntryAndData(bytes.subspan<DDC_ENTRY_OFFSET, card::DIR_ENTRY_SIZE>(),
                             bytes.subspan(DDC_DATA_OFFSET), DataOrder::FileSystem, file);
}

ReadResult parseDciFile(std::span<const std::uint8_t> bytes, card::CardFile& file) {
    if (bytes.size() < DCI_DATA_OFFSET) {
        return ReadResult::TooShortForHeader;
    }
    return parseEntryAndData(bytes.subspan<DCI_ENTRY_OFFSET, card::DIR_ENTRY_SIZE>(),
                             bytes.subspan(DCI_DATA_OFFSET), DataOrder::Card, file);
}

ReadResult readDdcFile(const std::filesystem::path& path, card::CardFile& file) {
    const FileStart start = readFileStart(path, DDC_READ_SIZE);
    if (start.result != ReadResult::Ok) {
        return start.result;
    }
    return parseDdcFile(start.bytes, file);
}

ReadResult readDciFile(const std::filesystem::path& path, card::CardFile& file) {
    const FileStart start = readFileStart(path, DCI_READ_SIZE);
    if (start.result != ReadResult::Ok) {
        return start.result;
    }
    return parseDciFile(start.bytes, file);
}

std::vector<std::uint8_t> ddcBytes(const card::CardFile& file) {
    std::vector<std::uint8_t> bytes(DDC_DATA_OFFSET);
    std::copy(DDC_TAG.begin(), DDC_TAG.end(), bytes.begin());
    card::encodeDirEntry(file.entry,
                         std::span(bytes).subspan<DDC_ENTRY_OFFSET, card::DIR_ENTRY_SIZE>());
    bytes.insert(bytes.end(), file.data.begin(), file.data.end());
    return bytes;
}

WriteStatus writeDdcFile(const std::filesystem::path& path, const card::CardFile& file) {
    return writeFileAtomically(path, ddcBytes(file));
}

}  // namespace quorvane::formats
