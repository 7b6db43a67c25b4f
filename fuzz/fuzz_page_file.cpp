// The .dcm reader on arbitrary bytes.
#include <cstring>
#include <memory>

#include "formats/page_file.h"
#include "fuzz_input_file.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto path = fuzz::writeScratch("input.dcm", std::span(data, size));
    auto cardImage = std::make_unique<card::PageBytes>();
    cardImage->fill(0xA5);
    formats::ReadResult result = formats::readPageFile(path, *cardImage);
    if (size >= card::PAGE_SIZE) {
        QUORVANE_FUZZ_CHECK(result == formats::ReadResult::Ok);
        QUORVANE_FUZZ_CHECK(std::memcmp(cardImage->data(), data, card::PAGE_SIZE) == 0);
    } else {
        QUORVANE_FUZZ_CHECK(result == formats::ReadResult::PageFileTooShort);
        for (std::uint8_t byte : *cardImage) {
            QUORVANE_FUZZ_CHECK(byte == 0xA5);  // a refused import changes nothing
        }
    }
    return 0;
}
