// .ddc and .dci parsers on arbitrary bytes.
#include <cstring>
#include <memory>

#include "card/byte_order.h"
#include "formats/single_file.h"
#include "fuzz_check.h"

using namespace quorvane;

namespace {

constexpr std::uint8_t UNTOUCHED = 0xE7;

// One compare of the whole buffer: a byte-by-byte loop would be traced by the fuzzer.
const card::FileBuffer& untouchedBuffer() {
    static const auto UNTOUCHED_BUFFER = [] {
        auto filled = std::make_unique<card::FileBuffer>();
        filled->fill(UNTOUCHED);
        return filled;
    }();
    return *UNTOUCHED_BUFFER;
}

void checkAccepted(formats::ReadResult result, const card::DirEntry& before,
                   const card::DirEntry& entry, const card::FileBuffer& buffer) {
    if (result == formats::ReadResult::Ok) {
        QUORVANE_FUZZ_CHECK(entry.fileType != 0);
        QUORVANE_FUZZ_CHECK(entry.sizeInBlocks <= card::USER_BLOCK_COUNT);
    } else {
        // A refusal leaves the entry and the buffer alone.
        QUORVANE_FUZZ_CHECK(entry == before);
        QUORVANE_FUZZ_CHECK(std::memcmp(buffer.data(), untouchedBuffer().data(), buffer.size()) ==
                            0);
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
    buffer->fill(UNTOUCHED);
    formats::ReadResult result = formats::parseDdcFile(bytes, entry, *buffer);
    checkAccepted(result, sentinel, entry, *buffer);
    if (result == formats::ReadResult::Ok) {
        // The data is the file's bytes after the header, as they stand.
        std::size_t dataBytes = std::size_t{entry.sizeInBlocks} * card::BLOCK_SIZE;
        QUORVANE_FUZZ_CHECK(size >= card::DDC_DATA_OFFSET + dataBytes);
        QUORVANE_FUZZ_CHECK(dataBytes == 0 ||
                            std::memcmp(buffer->data(), data + card::DDC_DATA_OFFSET, dataBytes) ==
                                0);
    }

    entry = sentinel;
    buffer->fill(UNTOUCHED);
    result = formats::parseDciFile(bytes, entry, *buffer);
    checkAccepted(result, sentinel, entry, *buffer);
    if (result == formats::ReadResult::Ok) {
        // Reversing the data again gives back the file's bytes.
        std::size_t dataBytes = std::size_t{entry.sizeInBlocks} * card::BLOCK_SIZE;
        QUORVANE_FUZZ_CHECK(size >= formats::DCI_DATA_OFFSET + dataBytes);
        card::reverseGroupsInPlace(std::span(buffer->data(), dataBytes));
        QUORVANE_FUZZ_CHECK(
            dataBytes == 0 ||
            std::memcmp(buffer->data(), data + formats::DCI_DATA_OFFSET, dataBytes) == 0);
    }
    return 0;
}
