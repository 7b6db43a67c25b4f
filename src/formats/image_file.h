// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "card/page_layout.h"
#include "formats/read_result.h"
#include "formats/safe_write.h"

// Whole-card image files, 131072 bytes with no header, in either byte order: .dcm as the adapter
// holds a page, and the raw card that emulators keep (.bin, .vmu). Whatever the file's order,
// the program works on its CardImage, the order a commit writes; card::cardToPage gives the
// PageImage.
namespace quorvane::formats {

enum class ImageOrder {
    Card,        // .dcm: every aligned 4-byte group reversed
    FileSystem,  // .bin, .vmu: block n at byte 512 x n, as PageImage holds it
};

// From the extension, whatever its case; none for any other extension or none at all.
std::optional<ImageOrder> imageOrderOf(const std::filesystem::path& path);
ImageOrder otherOrder(ImageOrder order);

// Takes the first PAGE_SIZE bytes, read in `order`, into cardImage, so a longer file gives its
// first page. A shorter one is refused with PageFileTooShort and cardImage left as it was.
ReadResult parseCardImage(std::span<const std::uint8_t> bytes, ImageOrder order,
                          card::CardOrderPage& cardImage);
// The same from a file, of which no more than a page is read.
ReadResult readCardImage(const std::filesystem::path& path, ImageOrder order,
                         card::CardOrderPage& cardImage);

// The bytes of a file in `order` that holds cardImage.
void imageFileBytes(const card::CardOrderPage& cardImage, ImageOrder order,
                    card::PageBytes& fileBytes);
WriteStatus writeCardImage(const std::filesystem::path& path, ImageOrder order,
                           const card::CardOrderPage& cardImage);

// Whether a CardImage, read in the order chosen for its file, has the root block of a formatted
// card. A file that only reads as formatted in the other order was most likely renamed.
enum class OrderCheck {
    FormattedAsChosen,
    FormattedOnlyInOtherOrder,
    NotFormatted,  // in neither order: blank, damaged or not a card at all
};
OrderCheck checkImageOrder(const card::CardOrderPage& cardImage);

}  // namespace quorvane::formats
