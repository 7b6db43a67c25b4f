// .ddc and .dci readers on arbitrary bytes.
#include <cstring>
#include <memory>

#include "card/byte_order.h"
#include "formats/single_file.h"
#include "fuzz_input_file.h"

using namespace quorvane;

namespace {

void checkAccepted(formats::ReadResult result, const card::DirEntry& before,
                   const card::DirEntry& entry) {
    if (result == formats::ReadResult::Ok) {
        QUORVANE_FUZZ_CHECK(entry.fileType != 0);
        QUORVANE_FUZZ_CHECK(entry.sizeInBlocks <= card::USER_BLOCK_COUNT);
    } else {
        QUORVANE_FUZZ_CHECK(entry == before);  // a refusal leaves the entry alone
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    auto buffer = std::make_unique<card::FileBuffer>();

    card::DirEntry sentinel;
    sentinel.fileType = 0x5A;
    sentinel.fileName[0] = 'S';

    card::DirEntry entry = sentinel;
    auto ddc = fuzz::writeScratch("input.ddc", bytes);
    formats::ReadResult result = formats::readDdcFile(ddc, entry, *buffer);
    checkAccepted(result, sentinel, entry);
    if (result == formats::ReadResult::Ok) {
        // The data is the file's bytes after the 36-byte header, as they stand.
        std::size_t dataBytes = std::size_t{entry.sizeInBlocks} * card::BLOCK_SIZE;
        QUORVANE_FUZZ_CHECK(size >= card::DDC_DATA_OFFSET + dataBytes);
        QUORVANE_FUZZ_CHECK(dataBytes == 0 ||
                            std::memcmp(buffer->data(), data + card::DDC_DATA_OFFSET,
                                        dataBytes) == 0);
    }

    entry = sentinel;
    auto dci = fuzz::writeScratch("input.dci", bytes);
    result = formats::readDciFile(dci, entry, *buffer);
    checkAccepted(result, sentinel, entry);
    if (result == formats::ReadResult::Ok) {
        // Reversing the data again gives back the file's bytes.
        std::size_t dataBytes = std::size_t{entry.sizeInBlocks} * card::BLOCK_SIZE;
        QUORVANE_FUZZ_CHECK(size >= formats::DCI_DATA_OFFSET + dataBytes);
        card::reverseGroupsInPlace(std::span(buffer->data(), dataBytes));
        QUORVANE_FUZZ_CHECK(dataBytes == 0 ||
                            std::memcmp(buffer->data(), data + formats::DCI_DATA_OFFSET,
                                        dataBytes) == 0);
    }
    return 0;
}
