#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"

// Delete File and Delete ALL: remove files from the page and commit it at once.
namespace quorvane::app {

bool Organizer::deleteFileCommand() {
    if (m_selectedEntry == -1) {
        tell(text::NO_FILE_SELECTED_STATUS, text::noFileSelected(text::DELETE_CAPTION));
        return false;
    }
    if (refuseWithoutPage(text::DELETE_CAPTION) || !mayRemoveFiles(text::DELETE_CAPTION)) {
        return false;
    }
    if (!confirmed(text::DELETE_QUESTION)) {
        return false;
    }
    // A slot that no longer holds the selected file was freed by a delete whose commit failed:
    // walking its freed chain again could free blocks another file owns now, so only the
    // commit is retried.
    if (selectionIsCurrent()) {
        card::deleteFile(m_pageImage, m_dirtyMap, m_selectedEntry);
    }
    m_screen.repaintNow();
    if (!commitEdit()) {
        return false;
    }
    relistAfterEdit();
    blankInfoLines();
    setStatus(text::FILE_DELETED);
    return true;
}

bool Organizer::deleteAllCommand() {
    if (refuseWithoutPage(text::DELETE_CAPTION) || !mayRemoveFiles(text::DELETE_CAPTION)) {
        return false;
    }
    if (!confirmed(text::DELETE_QUESTION)) {
        return false;
    }
    card::deleteAllFiles(m_pageImage, m_dirtyMap);
    if (!commitEdit()) {
        return false;
    }
    relistAfterEdit();
    blankInfoLines();
    setStatus(text::FILES_DELETED);
    return true;
}

}  // namespace quorvane::app
