// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/byte_order.h"

#include <algorithm>

namespace quorvane::card {

namespace {
constexpr std::size_t GROUP = 4;
}

void reverseGroups(std::span<const std::uint8_t> from, std::span<std::uint8_t> to) {
    const std::size_t length = std::min(from.size(), to.size()) / GROUP * GROUP;
    for (std::size_t g = 0; g < length; g += GROUP) {
        for (std::size_t j = 0; j < GROUP; ++j) {
            to[g + j] = from[g + GROUP - 1 - j];
        }
    }
}

void reverseGroupsInPlace(std::span<std::uint8_t> bytes) {
    const std::size_t length = bytes.size() / GROUP * GROUP;
    for (std::size_t g = 0; g < length; g += GROUP) {
        std::swap(bytes[g], bytes[g + 3]);
        std::swap(bytes[g + 1], bytes[g + 2]);
    }
}

void cardToPage(const CardOrderPage& cardImage, PageBytes& pageImage) {
    reverseGroups(cardImage.bytes, pageImage);
}

void pageToCard(const PageBytes& pageImage, CardOrderPage& cardImage) {
    reverseGroups(pageImage, cardImage.bytes);
}

}  // namespace quorvane::card
