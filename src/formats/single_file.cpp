#include "formats/single_file.h"

#include <algorithm>

#include "card/byte_order.h"
#include "formats/input_file.h"

namespace quorvane::formats {

namespace {

enum class DataOrder { FileSystem, Card };

bool hasDdcTag(std::span<const std::uint8_t> bytes) {
    return std::equal(card::DDC_TAG.begin(), card::DDC_TAG.begin() + card::DDC_TAG_LETTER_COUNT,
                      bytes.begin());
}

// Everything after the header is the same for both formats: the entry is checked, then the
// data must cover every block the entry claims. Nothing is written before all checks pass.
ReadResult parseEntryAndData(std::span<const std::uint8_t, card::DIR_ENTRY_SIZE> entryBytes,
                             std::span<const std::uint8_t> data, DataOrder order,
                             card::DirEntry& entry, card::FileBuffer& fileBuffer) {
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
    // Bytes beyond one file's worth cannot belong to it; what the file lacks up to that is zero.
    const std::size_t kept = std::min(data.size(), card::FILE_DATA_CAPACITY);
    std::copy_n(data.begin(), kept, fileBuffer.begin());
    std::fill(fileBuffer.begin() + static_cast<long>(kept),
              fileBuffer.begin() + static_cast<long>(card::FILE_DATA_CAPACITY), 0);
    if (order == DataOrder::Card) {
        card::reverseGroupsInPlace(std::span<std::uint8_t>(fileBuffer.data(), needed));
    }
    entry = found;
    return ReadResult::Ok;
}

}  // namespace

ReadResult parseDdcFile(std::span<const std::uint8_t> bytes, card::DirEntry& entry,
                        card::FileBuffer& fileBuffer) {
    if (bytes.size() < card::DDC_TAG_LETTER_COUNT) {
        return ReadResult::TooShortForHeader;
    }
    if (!hasDdcTag(bytes)) {
        return ReadResult::WrongTag;
    }
    if (bytes.size() < card::DDC_DATA_OFFSET) {
        return ReadResult::TooShortForHeader;
    }
    return parseEntryAndData(bytes.subspan<card::DDC_ENTRY_OFFSET, card::DIR_ENTRY_SIZE>(),
                             bytes.subspan(card::DDC_DATA_OFFSET), DataOrder::FileSystem, entry,
                             fileBuffer);
}

ReadResult parseDciFile(std::span<const std::uint8_t> bytes, card::DirEntry& entry,
                        card::FileBuffer& fileBuffer) {
    if (bytes.size() < DCI_DATA_OFFSET) {
        return ReadResult::TooShortForHeader;
    }
    return parseEntryAndData(bytes.subspan<DCI_ENTRY_OFFSET, card::DIR_ENTRY_SIZE>(),
                             bytes.subspan(DCI_DATA_OFFSET), DataOrder::Card, entry, fileBuffer);
}

ReadResult readDdcFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer) {
    const FileStart file = readFileStart(path, DDC_READ_SIZE);
    if (file.result != ReadResult::Ok) {
        return file.result;
    }
    return parseDdcFile(file.bytes, entry, fileBuffer);
}

ReadResult readDciFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer) {
    const FileStart file = readFileStart(path, DCI_READ_SIZE);
    if (file.result != ReadResult::Ok) {
        return file.result;
    }
    return parseDciFile(file.bytes, entry, fileBuffer);
}

std::span<const std::uint8_t> ddcImage(const card::FileBuffer& fileBuffer) {
    // A refused extraction may leave a size the buffer cannot hold; never reach past it.
    const std::size_t blocks = std::min<std::size_t>(
        card::readLe16(fileBuffer, card::DDC_ENTRY_OFFSET + card::DIR_ENTRY_SIZE_IN_BLOCKS),
        card::USER_BLOCK_COUNT);
    return std::span<const std::uint8_t>(fileBuffer.data(),
                                         card::DDC_DATA_OFFSET + blocks * card::BLOCK_SIZE);
}

WriteStatus writeDdcFile(const std::filesystem::path& path, const card::FileBuffer& fileBuffer) {
    return writeFileAtomically(path, ddcImage(fileBuffer));
}

}  // namespace quorvane::formats
