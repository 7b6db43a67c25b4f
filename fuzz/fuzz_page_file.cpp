// SPDX-License-Identifier: GPL-3.0-or-later
// The .dcm parser on arbitrary bytes.
#include <cstring>
#include <memory>

#include "formats/page_file.h"
#include "fuzz_check.h"

using namespace quorvane;

namespace {

constexpr std::uint8_t UNTOUCHED = 0xA5;

const card::CardOrderPage& untouchedPage() {
    static const auto UNTOUCHED_PAGE = [] {
        auto filled = std::make_unique<card::CardOrderPage>();
        filled->bytes.fill(UNTOUCHED);
        return filled;
    }();
    return *UNTOUCHED_PAGE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto cardImage = std::make_unique<card::CardOrderPage>();
    cardImage->bytes.fill(UNTOUCHED);
    formats::ReadResult result = formats::parsePageFile(std::span(data, size), *cardImage);
    if (size >= card::PAGE_SIZE) {
        QUORVANE_FUZZ_CHECK(result == formats::ReadResult::Ok);
        QUORVANE_FUZZ_CHECK(std::memcmp(cardImage->bytes.data(), data, card::PAGE_SIZE) == 0);
    } else {
        QUORVANE_FUZZ_CHECK(result == formats::ReadResult::PageFileTooShort);
        // A refused import changes nothing. One compare of the whole page: a byte-by-byte loop
        // would be traced by the fuzzer.
        QUORVANE_FUZZ_CHECK(std::memcmp(cardImage->bytes.data(), untouchedPage().bytes.data(),
                                        card::PAGE_SIZE) == 0);
    }
    return 0;
}
