#include <memory>
#include <string>

#include "app/organizer.h"
#include "card/byte_order.h"
#include "card/card_text.h"
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

// The names of the files whose chains reach blocks the commit will not write, one a line.
std::string namesBeyondUserBlocks(const card::CardOrderPage& cardImage) {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(cardImage, *pageImage);
    std::string names;
    for (const int slot : card::filesBeyondUserBlocks(*pageImage)) {
        names += (names.empty() ? "" : "\n") +
                 card::nameToUtf8(card::entryName(card::readSlot(*pageImage, slot)));
    }
    return names;
}

}  // namespace

struct Organizer::ImportImage {
    std::unique_ptr<card::CardOrderPage> cardImage = std::make_unique<card::CardOrderPage>();
    std::uint64_t length = 0;  // the whole file's, of which one page is taken
};

bool Organizer::importPageFile() {
    return importPageFileFrom({});
}

bool Organizer::importPageFileFrom(const std::filesystem::path& dialogFolder) {
    if (refuseWithoutPage(text::IMPORT_CAPTION) || !mayRemoveFiles(text::IMPORT_CAPTION)) {
        return false;
    }
    if (!confirmed(text::IMPORT_WARNING)) {
        return false;
    }
    const auto chosen = m_screen.openFileDialog(text::IMPORT_FILTERS, dialogFolder);
    if (!chosen) {
        return false;
    }
    std::optional<ImportImage> image = readImportFile(*chosen);
    if (!image || !confirmImportImage(*chosen, *image)) {
        return false;
    }
    return writeImportedPage(*image->cardImage);
}

// What is wrong with the file is said before the warning, so that no answer is wasted on it.
bool Organizer::importPageFileAt(const std::filesystem::path& file) {
    if (refuseWithoutPage(text::IMPORT_CAPTION) || !mayRemoveFiles(text::IMPORT_CAPTION)) {
        return false;
    }
    std::optional<ImportImage> image = readImportFile(file);
    if (!image || !confirmImportImage(file, *image) || !confirmed(text::IMPORT_WARNING)) {
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
    if (const std::string names = namesBeyondUserBlocks(*image.cardImage); !names.empty()) {
        return confirmed({text::blocksBeyondUserArea(names), text::BEYOND_USER_AREA_CAPTION,
                          BoxButtons::YesNo, BoxIcon::Warning});
    }
    return true;
}

bool Organizer::writeImportedPage(const card::CardOrderPage& imported) {
    auto backup = std::make_unique<card::CardOrderPage>(m_cardImage);
    m_cardImage = imported;
    card::cardToPage(m_cardImage, m_pageImage);
    setStatus(text::READ_SUCCESSFUL);
    relistAfterEdit();
    m_dirtyMap.fill(1);
    if (!commitEdit()) {
        m_cardImage = *backup;
        card::cardToPage(m_cardImage, m_pageImage);
        relistAfterEdit();
        m_dirtyMap.fill(0);
        return false;
    }
    return true;
}

bool Organizer::exportPageFile() {
    if (refuseWithoutPage(text::EXPORT_CAPTION)) {
        return false;
    }
    const auto target = m_screen.saveFileDialog(text::EXPORT_FILTERS, "dcm");
    if (!target) {
        setStatus(text::EXPORT_CANCELLED);
        return false;
    }
    if (!acceptWriteTarget(*target, text::DCM_NOT_WRITTEN, text::EXPORT_CANCELLED,
                           text::EXPORT_CAPTION)) {
        return false;
    }
    // The name's extension chooses the order: a raw image for .bin and .vmu, else a .dcm.
    const formats::WriteStatus status = formats::writeCardImage(
        *target, formats::imageOrderOf(*target).value_or(formats::ImageOrder::Card), m_cardImage);
    if (!status.ok()) {
        reportWriteFailure(*target, status, text::DCM_NOT_WRITTEN, text::EXPORT_CAPTION);
        return false;
    }
    setStatus(text::DCM_WRITTEN);
    return true;
}

}  // namespace quorvane::app
