#include <memory>
#include <string>

#include "app/organizer.h"
#include "card/byte_order.h"
#include "card/card_text.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/image_file.h"
#include "formats/page_file.h"

// Import and export of a whole page as a .dcm file (CardImage verbatim).
namespace quorvane::app {

namespace {

const text::Box& refusalOf(formats::ReadResult result) {
    switch (result) {
        case formats::ReadResult::CannotOpen:
            return text::IMPORT_FILE_NOT_FOUND;
        case formats::ReadResult::PageFileTooShort:
            return text::NOT_A_PAGE_IMAGE;
        default:
            return text::CANNOT_READ_IMPORTED;
    }
}

// The names of the files whose chains reach blocks the commit will not write, one a line.
std::string namesBeyondUserBlocks(const card::PageBytes& cardImage) {
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

bool Organizer::importPageFile() {
    return importPageFileFrom({});
}

bool Organizer::importPageFileFrom(const std::filesystem::path& dialogFolder) {
    if (refuseWithoutPage(text::IMPORT_CAPTION)) {
        return false;
    }
    if (!confirmed(text::IMPORT_WARNING)) {
        return false;
    }
    const auto chosen = m_screen.openFileDialog(text::IMPORT_FILTERS, dialogFolder);
    if (!chosen) {
        return false;
    }
    // Read apart from the card image, so a file that cannot be used leaves the page as it was.
    // A raw card image (.bin, .vmu) is in the page's own order; anything else is a .dcm.
    const formats::ImageOrder order =
        formats::imageOrderOf(*chosen).value_or(formats::ImageOrder::Card);
    auto imported = std::make_unique<card::PageBytes>();
    if (const auto result = formats::readCardImage(*chosen, order, *imported);
        result != formats::ReadResult::Ok) {
        tell(text::CANCELLED, refusalOf(result));
        return false;
    }
    if (formats::checkImageOrder(*imported) == formats::OrderCheck::FormattedOnlyInOtherOrder) {
        const std::string question = text::otherByteOrderQuestion(*chosen);
        if (show({question, text::IMPORT_CAPTION, BoxButtons::YesNo, BoxIcon::Question}) ==
            BoxAnswer::Yes) {
            // The bytes already read, in the other order: the file is not read again.
            card::reverseGroupsInPlace(*imported);
        }
    }
    // Said before anything changes: the card cannot receive all that the image holds.
    if (const std::string names = namesBeyondUserBlocks(*imported); !names.empty()) {
        const std::string question = text::blocksBeyondUserArea(names);
        if (!confirmed(
                {question, text::BEYOND_USER_AREA_CAPTION, BoxButtons::YesNo, BoxIcon::Warning})) {
            return false;
        }
    }
    auto backup = std::make_unique<card::PageBytes>(m_cardImage);
    m_cardImage = *imported;
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
