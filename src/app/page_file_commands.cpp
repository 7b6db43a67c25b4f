// SPDX-License-Identifier: GPL-3.0-or-later
#include <memory>
#include <string>

#include "app/organizer.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/image_file.h"
#include "formats/input_file.h"
#include "formats/page_file.h"

// Import and export of a whole page as a .dcm file (CardImage verbatim).
namespace quorvane::app {

namespace {

// The words of a file that cannot be imported; the reason and the file go after them.
std::string_view refusalOf(formats::ReadResult result) {
    switch (result) {
        case formats::ReadResult::CannotOpen:
            return text::IMPORT_FILE_NOT_FOUND.text;
        case formats::ReadResult::NotAFile:
            return text::NOT_A_FILE;
        default:
            return text::CANNOT_READ_IMPORTED.text;
    }
}

// The name bytes of the files whose chains reach blocks the commit will not write.
std::vector<std::string> namesBeyondUserBlocks(const card::CardOrderPage& cardImage) {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(cardImage, *pageImage);
    std::vector<std::string> names;
    for (const int slot : card::filesBeyondUserBlocks(*pageImage)) {
        names.push_back(card::entryName(card::readSlot(*pageImage, slot)));
    }
    return names;
}

}  // namespace

struct Organizer::ImportImage {
    std::unique_ptr<card::CardOrderPage> cardImage = std::make_unique<card::CardOrderPage>();
    std::uint64_t length = 0;  // the whole file's, of which one page is taken
};

// The window asks its warning before its dialog; the command line has the file already and
// says what is wrong with it before the warning, so that no answer is wasted on it.
bool Organizer::importPage(const std::filesystem::path& file, ImportWarning warning) {
    if (refuseWithoutPage(text::IMPORT_CAPTION) || !mayRemoveFiles(text::IMPORT_CAPTION)) {
        return false;
    }
    std::optional<ImportImage> image = readImportFile(file);
    if (!image || !confirmImportImage(file, *image)) {
        return false;
    }
    if (warning == ImportWarning::AfterChecks && !confirmed(text::IMPORT_WARNING)) {
        return false;
    }
    return writeImportedPage(*image->cardImage);
}

// Read apart from the card image, so a file that cannot be used leaves the page as it was.
// A raw card image (.bin, .vmu) is in the page's own order; anything else is a .dcm.
std::optional<Organizer::ImportImage> Organizer::readImportFile(
    const std::filesystem::path& chosen) {
    const std::optional<formats::ImageOrder> named = formats::imageOrderOf(chosen);
    const formats::ImageOrder order = named.value_or(formats::ImageOrder::Card);
    const formats::FileStart file = formats::readFileStartAndLength(chosen, card::PAGE_SIZE);
    if (file.result != formats::ReadResult::Ok) {
        const std::string message =
            text::importRefusal(refusalOf(file.result), chosen, file.systemError);
        tell(text::CANCELLED, {message, text::IMPORT_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
        return std::nullopt;
    }
    ImportImage image;
    image.length = file.length;
    if (formats::parseCardImage(file.bytes, order, *image.cardImage) != formats::ReadResult::Ok) {
        tell(text::CANCELLED,
             order == formats::ImageOrder::Card ? text::NOT_A_PAGE_IMAGE : text::NOT_A_RAW_IMAGE);
        return std::nullopt;
    }
    return image;
}

bool Organizer::confirmImportImage(const std::filesystem::path& chosen, ImportImage& image) {
    const auto ask = [this](const std::string& question, BoxIcon icon) {
        return confirmed({question, text::IMPORT_CAPTION, BoxButtons::YesNo, icon});
    };
    if (image.length > card::PAGE_SIZE &&
        !ask(text::longerThanOneCard(chosen, image.length), BoxIcon::Warning)) {
        return false;
    }
    switch (formats::checkImageOrder(*image.cardImage)) {
        case formats::OrderCheck::FormattedOnlyInOtherOrder:
            if (show({text::otherByteOrderQuestion(chosen), text::IMPORT_CAPTION, BoxButtons::YesNo,
                      BoxIcon::Question}) == BoxAnswer::Yes) {
                // The bytes already read, in the other order: the file is not read again.
                card::reverseGroupsInPlace(image.cardImage->bytes);
            }
            break;
        case formats::OrderCheck::NotFormatted:
            if (!ask(text::notFormattedQuestion(chosen), BoxIcon::Warning)) {
                return false;
            }
            break;
        case formats::OrderCheck::FormattedAsChosen:
            break;
    }
    // Said before anything changes: the card cannot receive all that the image holds.
    if (const auto names = namesBeyondUserBlocks(*image.cardImage); !names.empty()) {
        return confirmed({text::blocksBeyondUserArea(names), text::BEYOND_USER_AREA_CAPTION,
                          BoxButtons::YesNo, BoxIcon::Warning});
    }
    return true;
}

// A commit that fails puts the page read back, as if the import had not happened.
bool Organizer::writeImportedPage(const card::CardOrderPage& cardImage) {
    auto before = std::make_unique<LoadedPage>(loaded());
    card::cardToPage(cardImage, loaded().page);
    setStatus(text::READ_SUCCESSFUL);
    relistAfterEdit();
    loaded().dirty.fill(1);
    if (!commitEdit()) {
        loaded().page = before->page;
        relistAfterEdit();
        loaded().dirty.fill(0);
        return false;
    }
    return true;
}

bool Organizer::exportPage(const std::filesystem::path& file, formats::ImageOrder order) {
    if (refuseWithoutPage(text::EXPORT_CAPTION)) {
        return false;
    }
    // The .dcm keeps the words its users know; a raw image is ours and says what it is.
    const bool dcm = order == formats::ImageOrder::Card;
    const std::string_view notWritten = dcm ? text::DCM_NOT_WRITTEN : text::IMAGE_NOT_WRITTEN;
    if (!acceptWriteTarget(file, notWritten, text::EXPORT_CANCELLED, text::EXPORT_CAPTION)) {
        return false;
    }
    const formats::WriteStatus status =
        formats::writeCardImage(file, order, *cardImageOf(loaded().page));
    if (!status.ok()) {
        reportWriteFailure(file, status, notWritten, text::EXPORT_CAPTION);
        return false;
    }
    setStatus(dcm ? text::DCM_WRITTEN : text::IMAGE_WRITTEN);
    return true;
}

}  // namespace quorvane::app
