#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"

// Delete File and Delete ALL: remove files from the page and commit it at once.
namespace quorvane::app {

namespace {
constexpr std::string_view kCaption = "Delete file";

void blankInfoLines(BoundTexts& texts) {
    texts.info1 = " ";
    texts.info2 = " ";
    texts.info3 = " ";
}
}  // namespace

void Organizer::deleteFileCommand() {
    if (SelectedEntry == -1) {
        SetStatus("No file selected...");
        m_screen.messageBox("No File Selected", kCaption, BoxButtons::Ok, BoxIcon::Warning);
        return;
    }
    if (refuseWithoutPage(kCaption)) {
        return;
    }
    if (m_screen.messageBox("Are you sure?", kCaption, BoxButtons::YesNo, BoxIcon::Question) !=
        BoxAnswer::Yes) {
        SetStatus("Action cancelled...");
        return;
    }
    // A slot that no longer holds the selected file was freed by a delete whose commit failed:
    // walking its freed chain again could free blocks another file owns now, so only the
    // commit is retried.
    if (selectionIsCurrent()) {
        card::DeleteFile(PageImage, DirtyMap, SelectedEntry);
    }
    m_screen.repaintNow();
    if (commitPage(false) == 0) {
        SetStatus("Action cancelled...");
        return;
    }
    relistAfterEdit();
    blankInfoLines(boundTexts);
    SetStatus("File Deleted.");
}

void Organizer::deleteAllCommand() {
    if (refuseWithoutPage(kCaption)) {
        return;
    }
    if (m_screen.messageBox("Are you sure?", kCaption, BoxButtons::YesNo, BoxIcon::Question) !=
        BoxAnswer::Yes) {
        SetStatus("Action cancelled...");
        return;
    }
    card::DeleteAllFiles(PageImage, DirtyMap);
    if (commitPage(false) == 0) {
        SetStatus("Action cancelled...");
        return;
    }
    relistAfterEdit();
    blankInfoLines(boundTexts);
    SetStatus("Files Deleted.");
}

}  // namespace quorvane::app
