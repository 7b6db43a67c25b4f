// SPDX-License-Identifier: GPL-3.0-or-later
// .ddc and .dci parsers on arbitrary bytes, alone and as readCardFile reads them.
#include <cstring>
#include <variant>

#include "card/byte_order.h"
#include "formats/card_file_reader.h"
#include "formats/single_file.h"
#include "fuzz_check.h"

using namespace quorvane;

namespace {

card::CardFile sentinelFile() {
    card::CardFile file;
    file.entry.fileType = 0x5A;
    file.entry.fileName[0] = 'S';
    file.data = {0xE7, 0xE7, 0xE7};
    return file;
}

void checkAccepted(formats::ReadResult result, const card::CardFile& file) {
    if (result == formats::ReadResult::Ok) {
        QUORVANE_FUZZ_CHECK(file.entry.fileType != 0);
        QUORVANE_FUZZ_CHECK(file.entry.sizeInBlocks <= card::USER_BLOCK_COUNT);
        QUORVANE_FUZZ_CHECK(file.data.size() ==
                            std::size_t{file.entry.sizeInBlocks} * card::BLOCK_SIZE);
    } else {
        // A refusal leaves the file alone.
        QUORVANE_FUZZ_CHECK(file == sentinelFile());
    }
}

// readCardFile gives what the parse function gave, or its refusal.
void checkSameAsRead(std::string_view fileName, std::span<const std::uint8_t> bytes,
                     formats::ReadResult result, const card::CardFile& file) {
    const formats::CardFileRead read = formats::readCardFile(fileName, bytes, std::nullopt, {});
    if (result == formats::ReadResult::Ok) {
        QUORVANE_FUZZ_CHECK(std::get<card::CardFile>(read) == file);
    } else {
        QUORVANE_FUZZ_CHECK(std::get<formats::CardFileRefusal>(read).read == result);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);

    card::CardFile file = sentinelFile();
    formats::ReadResult result = formats::parseDdcFile(bytes, file);
    checkAccepted(result, file);
    checkSameAsRead("x.ddc", bytes, result, file);
    if (result == formats::ReadResult::Ok) {
        // The data is the file's bytes after the header, as they stand.
        std::size_t dataBytes = file.data.size();
        QUORVANE_FUZZ_CHECK(size >= formats::DDC_DATA_OFFSET + dataBytes);
        QUORVANE_FUZZ_CHECK(
            dataBytes == 0 ||
            std::memcmp(file.data.data(), data + formats::DDC_DATA_OFFSET, dataBytes) == 0);
        // Written again, the .ddc is the file's first bytes, the tag's last byte set to 0.
        const std::vector<std::uint8_t> written = formats::ddcBytes(file);
        QUORVANE_FUZZ_CHECK(written.size() == formats::DDC_DATA_OFFSET + dataBytes);
        QUORVANE_FUZZ_CHECK(written[3] == 0);
        QUORVANE_FUZZ_CHECK(std::memcmp(written.data() + 4, data + 4, written.size() - 4) == 0);
    }

    file = sentinelFile();
    result = formats::parseDciFile(bytes, file);
    checkAccepted(result, file);
    checkSameAsRead("x.DCI", bytes, result, file);
    if (result == formats::ReadResult::Ok) {
        // Reversing the data again gives back the file's bytes.
        std::size_t dataBytes = file.data.size();
        QUORVANE_FUZZ_CHECK(size >= formats::DCI_DATA_OFFSET + dataBytes);
        card::reverseGroupsInPlace(file.data);
        QUORVANE_FUZZ_CHECK(
            dataBytes == 0 ||
            std::memcmp(file.data.data(), data + formats::DCI_DATA_OFFSET, dataBytes) == 0);
    }
    return 0;
}
