// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include "app/organizer.h"
#include "card/card_text.h"
#include "card/dir_entry.h"
#include "card/file_system.h"

// Delete File and Delete ALL: remove files from the page and commit it at once.
namespace quorvane::app {

bool Organizer::deleteFile(const FileOnPage& file) {
    if (refuseWithoutPage(text::DELETE_CAPTION) || !mayRemoveFiles(text::DELETE_CAPTION)) {
        return false;
    }
    text::Box question = text::DELETE_QUESTION;
    const std::string name = card::nameToUtf8(file.name);
    question.subject = name;
    if (!confirmed(question)) {
        return false;
    }
    // A slot that no longer holds the file was freed by a delete whose commit failed: walking
    // its freed chain again could free blocks another file owns now, so only the commit is
    // retried.
    if (holds(file)) {
        card::deleteFile(loaded().page, loaded().dirty, file.slot);
    }
    return commitRemoval(text::FILE_DELETED);
}

bool Organizer::deleteFiles(const std::vector<FileOnPage>& files) {
    if (files.size() == 1) {
        return deleteFile(files.front());
    }
    if (refuseWithoutPage(text::DELETE_CAPTION) ||
        refuseWithoutFiles(files, text::DELETE_CAPTION) || !mayRemoveFiles(text::DELETE_CAPTION)) {
        return false;
    }
    const std::string question = text::deleteFilesQuestion(namesOf(files));
    if (!confirmed({question, text::DELETE_CAPTION, BoxButtons::YesNo, BoxIcon::Question})) {
        return false;
    }
    return removeFiles(files);
}

bool Organizer::removeFiles(const std::vector<FileOnPage>& files) {
    for (const FileOnPage& file : files) {
        card::deleteFile(loaded().page, loaded().dirty, file.slot);
    }
    return commitRemoval(text::FILES_DELETED);
}

bool Organizer::commitRemoval(std::string_view status) {
    if (!commitEdit()) {
        return false;
    }
    relistAfterEdit();
    blankInfoLines();
    setStatus(status);
    return true;
}

bool Organizer::deleteAll() {
    if (refuseWithoutPage(text::DELETE_CAPTION) || !mayRemoveFiles(text::DELETE_CAPTION)) {
        return false;
    }
    if (!confirmed(text::DELETE_QUESTION)) {
        return false;
    }
    card::deleteAllFiles(loaded().page, loaded().dirty);
    return commitRemoval(text::FILES_DELETED);
}

}  // namespace quorvane::app
