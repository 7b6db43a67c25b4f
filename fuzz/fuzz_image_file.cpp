// SPDX-License-Identifier: GPL-3.0-or-later
// The whole-card image parser and the byte-order check on arbitrary bytes: the first input byte
// chooses the order (bit 0: file-system order), the rest is the file.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "formats/image_file.h"
#include "fuzz_check.h"

using namespace quorvane;

namespace {

constexpr std::uint8_t UNTOUCHED = 0xA5;
constexpr std::size_t NAME_BYTES = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const formats::ImageOrder order =
        (data[0] & 1) != 0 ? formats::ImageOrder::FileSystem : formats::ImageOrder::Card;
    const std::span<const std::uint8_t> file(data + 1, size - 1);

    // A kind comes from the extension alone, and only from one of the three.
    const std::string name(reinterpret_cast<const char*>(file.data()),
                           std::min(file.size(), NAME_BYTES));
    if (const auto kind = formats::imageOrderOf(name)) {
        QUORVANE_FUZZ_CHECK(name.size() >= 4);
        const char* extension = name.c_str() + name.size() - 4;
        QUORVANE_FUZZ_CHECK(strcasecmp(extension, ".dcm") == 0 ||
                            strcasecmp(extension, ".bin") == 0 ||
                            strcasecmp(extension, ".vmu") == 0);
    }

    auto cardImage = std::make_unique<card::CardOrderPage>();
    cardImage->bytes.fill(UNTOUCHED);
    const formats::ReadResult result = formats::parseCardImage(file, order, *cardImage);
    if (file.size() < card::PAGE_SIZE) {
        QUORVANE_FUZZ_CHECK(result == formats::ReadResult::PageFileTooShort);
        QUORVANE_FUZZ_CHECK(std::all_of(cardImage->bytes.begin(), cardImage->bytes.end(),
                                        [](std::uint8_t b) { return b == UNTOUCHED; }));
        return 0;
    }
    QUORVANE_FUZZ_CHECK(result == formats::ReadResult::Ok);

    // Written back in its own order, the card is the file's first page again.
    auto written = std::make_unique<card::PageBytes>();
    formats::imageFileBytes(*cardImage, order, *written);
    QUORVANE_FUZZ_CHECK(std::memcmp(written->data(), file.data(), card::PAGE_SIZE) == 0);

    // The check read in the other order says the mirror of this one.
    auto other = std::make_unique<card::CardOrderPage>();
    QUORVANE_FUZZ_CHECK(formats::parseCardImage(file, formats::otherOrder(order), *other) ==
                        formats::ReadResult::Ok);
    const formats::OrderCheck check = formats::checkImageOrder(*cardImage);
    const formats::OrderCheck otherCheck = formats::checkImageOrder(*other);
    switch (check) {
        case formats::OrderCheck::FormattedOnlyInOtherOrder:
            QUORVANE_FUZZ_CHECK(otherCheck == formats::OrderCheck::FormattedAsChosen);
            break;
        case formats::OrderCheck::NotFormatted:
            QUORVANE_FUZZ_CHECK(otherCheck == formats::OrderCheck::NotFormatted);
            break;
        case formats::OrderCheck::FormattedAsChosen:
            QUORVANE_FUZZ_CHECK(otherCheck != formats::OrderCheck::NotFormatted);
            break;
    }
    return 0;
}
