// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/image_file.h"

#include <algorithm>
#include <memory>
#include <string>

#include "card/byte_order.h"
#include "card/root_block.h"
#include "formats/input_file.h"
#include "formats/page_file.h"

namespace quorvane::formats {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

}  // namespace

std::optional<ImageOrder> imageOrderOf(const std::filesystem::path& path) {
    const std::string extension = lowerCase(path.extension().string());
    if (extension == ".dcm") {
        return ImageOrder::Card;
    }
    if (extension == ".bin" || extension == ".vmu") {
        return ImageOrder::FileSystem;
    }
    return std::nullopt;
}

ImageOrder otherOrder(ImageOrder order) {
    return order == ImageOrder::Card ? ImageOrder::FileSystem : ImageOrder::Card;
}

ReadResult parseCardImage(std::span<const std::uint8_t> bytes, ImageOrder order,
                          card::CardOrderPage& cardImage) {
    if (order == ImageOrder::Card) {
        return parsePageFile(bytes, cardImage);
    }
    if (bytes.size() < card::PAGE_SIZE) {
        return ReadResult::PageFileTooShort;
    }
    card::reverseGroups(bytes.first(card::PAGE_SIZE), cardImage.bytes);
    return ReadResult::Ok;
}

ReadResult readCardImage(const std::filesystem::path& path, ImageOrder order,
                         card::CardOrderPage& cardImage) {
    const FileStart file = readFileStart(path, card::PAGE_SIZE);
    if (file.result != ReadResult::Ok) {
        return file.result;
    }
    return parseCardImage(file.bytes, order, cardImage);
}

void imageFileBytes(const card::CardOrderPage& cardImage, ImageOrder order,
                    card::PageBytes& fileBytes) {
    if (order == ImageOrder::Card) {
        fileBytes = cardImage.bytes;
    } else {
        card::cardToPage(cardImage, fileBytes);
    }
}

WriteStatus writeCardImage(const std::filesystem::path& path, ImageOrder order,
                           const card::CardOrderPage& cardImage) {
    if (order == ImageOrder::Card) {
        return writePageFile(path, cardImage);
    }
    auto fileBytes = std::make_unique<card::PageBytes>();
    imageFileBytes(cardImage, order, *fileBytes);
    return writeFileAtomically(path, *fileBytes);
}

OrderCheck checkImageOrder(const card::CardOrderPage& cardImage) {
    const std::span<const std::uint8_t, card::BLOCK_SIZE> cardRoot(
        cardImage.bytes.data() + card::ROOT_OFFSET, card::BLOCK_SIZE);
    card::BlockBytes chosenRoot{};
    card::reverseGroups(cardRoot, chosenRoot);
    if (card::rootReadsAsFormatted(chosenRoot)) {
        return OrderCheck::FormattedAsChosen;
    }
    // In the other order the file's page would be this CardImage's own bytes.
    if (card::rootReadsAsFormatted(cardRoot)) {
        return OrderCheck::FormattedOnlyInOtherOrder;
    }
    return OrderCheck::NotFormatted;
}

}  // namespace quorvane::formats
