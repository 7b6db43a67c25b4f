#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"

// Delete File and Delete ALL: remove files from the page and commit it at once.
namespace quorvane::app {

namespace {
constexpr std::string_view CAPTION = "Delete file";

void blankInfoLines(BoundTexts& texts) {
    texts.info1 = " ";
    texts.info2 = " ";
    texts.info3 = " ";
}
}  // namespace

void Organizer::deleteFileCommand() {
    if (selectedEntry == -1) {
        setStatus("No file selected...");
        m_screen.messageBox("No File Selected", CAPTION, BoxButtons::Ok, BoxIcon::Warning);
        return;
    }
    if (refuseWithoutPage(CAPTION)) {
        return;
    }
    if (m_screen.messageBox("Are you sure?", CAPTION, BoxButtons::YesNo, BoxIcon::Question) !=
        BoxAnswer::Yes) {
        setStatus("Action cancelled...");
        return;
    }
    // A slot that no longer holds the selected file was freed by a delete whose commit failed:
    // walking its freed chain again could free blocks another file owns now, so only the
    // commit is retried.
    if (selectionIsCurrent()) {
        card::deleteFile(pageImage, dirtyMap, selectedEntry);
    }
    m_screen.repaintNow();
    if (commitPage(false) == 0) {
        setStatus("Action cancelled...");
        return;
    }
    relistAfterEdit();
    blankInfoLines(boundTexts);
    setStatus("File Deleted.");
}

void Organizer::deleteAllCommand() {
    if (refuseWithoutPage(CAPTION)) {
        return;
    }
    if (m_screen.messageBox("Are you sure?", CAPTION, BoxButtons::YesNo, BoxIcon::Question) !=
        BoxAnswer::Yes) {
        setStatus("Action cancelled...");
        return;
    }
    card::deleteAllFiles(pageImage, dirtyMap);
    if (commitPage(false) == 0) {
        setStatus("Action cancelled...");
        return;
    }
    relistAfterEdit();
    blankInfoLines(boundTexts);
    setStatus("Files Deleted.");
}

}  // namespace quorvane::app
