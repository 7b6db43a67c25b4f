#include <array>
#include <memory>
#include <string>

#include "app/organizer.h"
#include "card/byte_order.h"
#include "formats/page_file.h"

// Import and export of a whole page as a .dcm file (CardImage verbatim).
namespace quorvane::app {

namespace {
constexpr std::string_view IMPORT_CAPTION = "Import .DCM file";
constexpr std::string_view EXPORT_CAPTION = "Export to .DCM file";
constexpr std::string_view CANCELLED = "Action cancelled...";

const std::array<FileFilter, 1> IMPORT_FILTERS{{{"DCM Memory Card File (*.dcm)", "*.dcm"}}};
const std::array<FileFilter, 1> EXPORT_FILTERS{{{"DC Memory Card (*.dcm)", "*.dcm"}}};

std::string importWarning() {
    return "WARNING!! - All data on the selected page will be deleted.\n\n" + std::string(29, ' ') +
           "Continue?";
}

std::string_view refusedPageFileText(formats::ReadResult result) {
    switch (result) {
        case formats::ReadResult::CannotOpen:
            return "File Not Found.";
        case formats::ReadResult::PageFileTooShort:
            return "This is not a page image: a .dcm file holds exactly 131072 bytes.";
        default:
            return "The file could not be read.";
    }
}
}  // namespace

void Organizer::importPageFile() {
    if (refuseWithoutPage(IMPORT_CAPTION)) {
        return;
    }
    if (m_screen.messageBox(importWarning(), IMPORT_CAPTION, BoxButtons::YesNo, BoxIcon::Warning) !=
        BoxAnswer::Yes) {
        setStatus(CANCELLED);
        return;
    }
    const auto chosen = m_screen.openFileDialog(IMPORT_FILTERS);
    if (!chosen) {
        return;
    }
    // Read apart from CardImage, so a file that cannot be used leaves the page as it was.
    auto imported = std::make_unique<card::PageBytes>();
    if (const auto result = formats::readPageFile(*chosen, *imported);
        result != formats::ReadResult::Ok) {
        setStatus(CANCELLED);
        m_screen.messageBox(refusedPageFileText(result), IMPORT_CAPTION, BoxButtons::Ok,
                            BoxIcon::Warning);
        return;
    }
    auto backup = std::make_unique<card::PageBytes>(cardImage);
    cardImage = *imported;
    card::cardToPage(cardImage, pageImage);
    setStatus("Memory card read successful.");
    relistAfterEdit();
    dirtyMap.fill(1);
    if (commitPage(false) == 0) {
        setStatus(CANCELLED);
        cardImage = *backup;
        card::cardToPage(cardImage, pageImage);
        relistAfterEdit();
        dirtyMap.fill(0);
    }
}

void Organizer::exportPageFile() {
    if (refuseWithoutPage(EXPORT_CAPTION)) {
        return;
    }
    const auto target = m_screen.saveFileDialog(EXPORT_FILTERS, "dcm");
    if (!target) {
        setStatus("Action Cancelled...");
        return;
    }
    const formats::WriteStatus status = formats::writePageFile(*target, cardImage);
    if (!status.ok()) {
        reportWriteFailure(*target, status.systemError, "DCM file not written...", EXPORT_CAPTION);
        return;
    }
    setStatus("DCM file written...");
}

}  // namespace quorvane::app
