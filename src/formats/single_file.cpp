#include "formats/single_file.h"

#include <algorithm>
#include <array>

#include "card/byte_order.h"
#include "formats/input_file.h"

namespace quorvane::formats {

namespace {

enum class DataOrder { FileSystem, Card };

bool hasDdcTag(std::span<const std::uint8_t> header) {
    return std::equal(card::DDC_TAG.begin(), card::DDC_TAG.begin() + card::DDC_TAG_LETTER_COUNT,
                      header.begin());
}

// Everything after the header is the same for both formats: the entry is checked, then the
// data must cover every block the entry claims.
ReadResult readEntryAndData(InputFile& file, std::span<const std::uint8_t> entryBytes,
                            DataOrder order, card::DirEntry& entry, card::FileBuffer& fileBuffer) {
    const card::DirEntry found =
        card::decodeDirEntry(std::span<const std::uint8_t, card::DIR_ENTRY_SIZE>(
            entryBytes.data(), card::DIR_ENTRY_SIZE));
    if (!found.inUse()) {
        return ReadResult::FreeEntryType;
    }
    if (found.sizeInBlocks > card::USER_BLOCK_COUNT) {
        return ReadResult::TooManyBlocks;
    }
    const std::size_t got = file.read(fileBuffer.data(), card::FILE_DATA_CAPACITY);
    if (file.failed()) {
        return ReadResult::ReadFailed;
    }
    const std::size_t needed = std::size_t{found.sizeInBlocks} * card::BLOCK_SIZE;
    if (got < needed) {
        return ReadResult::TooShortForData;
    }
    std::fill(fileBuffer.begin() + static_cast<long>(got),
              fileBuffer.begin() + static_cast<long>(card::FILE_DATA_CAPACITY), 0);
    if (order == DataOrder::Card) {
        card::reverseGroupsInPlace(std::span<std::uint8_t>(fileBuffer.data(), needed));
    }
    entry = found;
    return ReadResult::Ok;
}

}  // namespace

ReadResult readDdcFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer) {
    InputFile file(path);
    if (!file.isOpen()) {
        return ReadResult::CannotOpen;
    }
    std::array<std::uint8_t, card::DDC_DATA_OFFSET> header{};
    const std::size_t got = file.read(header.data(), header.size());
    if (file.failed()) {
        return ReadResult::ReadFailed;
    }
    if (got < card::DDC_TAG_LETTER_COUNT) {
        return ReadResult::TooShortForHeader;
    }
    if (!hasDdcTag(header)) {
        return ReadResult::WrongTag;
    }
    if (got < header.size()) {
        return ReadResult::TooShortForHeader;
    }
    return readEntryAndData(file, std::span(header).subspan(card::DDC_ENTRY_OFFSET),
                            DataOrder::FileSystem, entry, fileBuffer);
}

ReadResult readDciFile(const std::filesystem::path& path, card::DirEntry& entry,
                       card::FileBuffer& fileBuffer) {
    InputFile file(path);
    if (!file.isOpen()) {
        return ReadResult::CannotOpen;
    }
    std::array<std::uint8_t, DCI_DATA_OFFSET> header{};
    const std::size_t got = file.read(header.data(), header.size());
    if (file.failed()) {
        return ReadResult::ReadFailed;
    }
    if (got < header.size()) {
        return ReadResult::TooShortForHeader;
    }
    return readEntryAndData(file, header, DataOrder::Card, entry, fileBuffer);
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
