#include <array>
#include <memory>
#include <string>

#include "app/organizer.h"
#include "card/byte_order.h"
#include "formats/page_file.h"

// Import and export of a whole page as a .dcm file (CardImage verbatim).
namespace quorvane::app {

namespace {
constexpr std::string_view kImportCaption = "Import .DCM file";
constexpr std::string_view kExportCaption = "Export to .DCM file";
constexpr std::string_view kCancelled = "Action cancelled...";

const std::array<FileFilter, 1> kImportFilters{{{"DCM Memory Card File (*.dcm)", "*.dcm"}}};
const std::array<FileFilter, 1> kExportFilters{{{"DC Memory Card (*.dcm)", "*.dcm"}}};

std::string ImportWarning() {
    return "WARNING!! - All data on the selected page will be deleted.\n\n" + std::string(29, ' ') +
           "Continue?";
}

std::string_view RefusedPageFileText(formats::ReadResult result) {
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

void Organizer::ImportPageFile() {
    if (refuseWithoutPage(kImportCaption)) {
        return;
    }
    if (m_screen.messageBox(ImportWarning(), kImportCaption, BoxButtons::YesNo, BoxIcon::Warning) !=
        BoxAnswer::Yes) {
        SetStatus(kCancelled);
        return;
    }
    const auto chosen = m_screen.openFileDialog(kImportFilters);
    if (!chosen) {
        return;
    }
    // Read apart from CardImage, so a file that cannot be used leaves the page as it was.
    auto imported = std::make_unique<card::PageBytes>();
    if (const auto result = formats::ReadPageFile(*chosen, *imported);
        result != formats::ReadResult::Ok) {
        SetStatus(kCancelled);
        m_screen.messageBox(RefusedPageFileText(result), kImportCaption, BoxButtons::Ok,
                            BoxIcon::Warning);
        return;
    }
    auto backup = std::make_unique<card::PageBytes>(CardImage);
    CardImage = *imported;
    card::CardToPage(CardImage, PageImage);
    SetStatus("Memory card read successful.");
    relistAfterEdit();
    DirtyMap.fill(1);
    if (commitPage(false) == 0) {
        SetStatus(kCancelled);
        CardImage = *backup;
        card::CardToPage(CardImage, PageImage);
        relistAfterEdit();
        DirtyMap.fill(0);
    }
}

void Organizer::ExportPageFile() {
    if (refuseWithoutPage(kExportCaption)) {
        return;
    }
    const auto target = m_screen.saveFileDialog(kExportFilters, "dcm");
    if (!target) {
        SetStatus("Action Cancelled...");
        return;
    }
    const formats::WriteStatus status = formats::WritePageFile(*target, CardImage);
    if (!status.ok()) {
        reportWriteFailure(*target, status.systemError, "DCM file not written...", kExportCaption);
        return;
    }
    SetStatus("DCM file written...");
}

}  // namespace quorvane::app
