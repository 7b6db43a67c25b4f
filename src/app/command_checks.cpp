// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "app/card_source.h"
#include "app/organizer.h"
#include "card/dir_entry.h"

// Checks and reports shared by the commands that edit the page or write PC files.
namespace quorvane::app {

std::string writeFailureMessage(const std::filesystem::path& target,
                                const formats::WriteStatus& status) {
    // The writer refused a folder, FIFO or the like: what stands there is named.
    if (status.result == formats::WriteResult::NotAFile) {
        return text::notAFile(target, formats::resolveWriteTarget(target));
    }
    return text::writeFailure(target, status.systemError);
}

// Before the first read or import the images hold no page: an edit would build a directory
// and FAT on nothing and commit them over the card's own.
bool Organizer::refuseWithoutPage(std::string_view caption) {
    if (m_loaded) {
        return false;
    }
    tell(text::NO_PAGE_STATUS, {text::NO_PAGE, caption, BoxButtons::Ok, BoxIcon::Warning});
    return true;
}

bool Organizer::refuseUnwritable(std::string_view caption) {
    return refuseReadOnly(caption) || refuseStalePage(caption);
}

// A card this user may not write is open read-only: an edit is refused before it changes
// anything, naming the file or folder in the way and the reason.
bool Organizer::refuseReadOnly(std::string_view caption) {
    if (m_cardSource == nullptr) {
        return false;
    }
    const auto blocked = m_cardSource->notWritable(m_chosenPageIndex);
    if (!blocked) {
        return false;
    }
    const std::string message = text::readOnlyCard(blocked->path, blocked->systemError);
    tell(text::CANCELLED, {message, caption, BoxButtons::Ok, BoxIcon::Warning});
    return true;
}

bool Organizer::refuseStalePage(std::string_view caption) {
    if (!m_loaded || m_link.pageCommits[loaded().pageIndex] == m_commitsAtRead) {
        return false;
    }
    const std::string message = text::stalePage(loaded().pageIndex + 1);
    tell(text::CANCELLED, {message, caption, BoxButtons::Ok, BoxIcon::Warning});
    return true;
}

// Without a backup of the page, the first edit that removes files from it asks once.
bool Organizer::confirmWithoutBackup(std::string_view caption) {
    if (!m_noBackupReason) {
        return true;
    }
    const std::string question = text::noBackupQuestion(*m_noBackupReason);
    if (!confirmed({question, caption, BoxButtons::YesNo, BoxIcon::Warning})) {
        return false;
    }
    m_noBackupReason.reset();
    return true;
}

bool Organizer::mayRemoveFiles(std::string_view caption) {
    return !refuseUnwritable(caption) && confirmWithoutBackup(caption);
}

bool Organizer::refuseWithoutFile(const std::optional<FileOnPage>& file, std::string_view caption) {
    if (file && holds(*file)) {
        return false;
    }
    tell(text::NO_FILE_SELECTED_STATUS, text::noFileSelected(caption));
    return true;
}

std::vector<std::string> namesOf(const std::vector<FileOnPage>& files) {
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const FileOnPage& file : files) {
        names.push_back(file.name);
    }
    return names;
}

bool Organizer::refuseWithoutFiles(const std::vector<FileOnPage>& files, std::string_view caption) {
    if (!files.empty() && std::all_of(files.begin(), files.end(),
                                      [this](const FileOnPage& file) { return holds(file); })) {
        return false;
    }
    tell(text::NO_FILE_SELECTED_STATUS, text::noFileSelected(caption));
    return true;
}

// True when no target exists yet or the user agrees to replace them.
bool Organizer::confirmOverwrite(std::initializer_list<std::filesystem::path> targets) {
    std::string there;
    for (const std::filesystem::path& target : targets) {
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(target, error))) {
            there += (there.empty() ? "" : ", ") + text::pathText(target.filename());
        }
    }
    text::Box question = text::OVERWRITE_QUESTION;
    question.subject = there;
    return there.empty() || confirmed(question);
}

void Organizer::reportWriteFailure(const std::filesystem::path& target,
                                   const formats::WriteStatus& status, std::string_view statusText,
                                   std::string_view caption) {
    const std::string message = writeFailureMessage(target, status);
    tell(statusText, {message, caption, BoxButtons::Ok, text::WRITE_FAILURE_ICON});
}

bool Organizer::acceptWriteTarget(const std::filesystem::path& target, std::string_view notWritten,
                                  std::string_view cancelled, std::string_view caption) {
    const formats::WriteTarget resolved = formats::resolveWriteTarget(target);
    if (!resolved.writable()) {
        const std::string message = text::notAFile(target, resolved);
        tell(notWritten, {message, caption, BoxButtons::Ok, text::WRITE_FAILURE_ICON});
        return false;
    }
    if (!resolved.isLink) {
        return true;
    }
    const std::string question = text::writeThroughLinkQuestion(target, resolved);
    if (show({question, caption, BoxButtons::YesNo, BoxIcon::Warning}) == BoxAnswer::Yes) {
        return true;
    }
    setStatus(cancelled);
    return false;
}

}  // namespace quorvane::app
