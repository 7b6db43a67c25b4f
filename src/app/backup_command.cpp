// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "card/byte_order.h"
#include "formats/page_file.h"

// Backup: every page of the card read and written to a folder in the virtual card's layout.
namespace quorvane::app {

namespace {

// Something already under a page file's name in the backup folder.
struct PageFileThere {
    std::filesystem::path path;
    formats::WriteTarget resolved;
    bool written = false;  // a page of this backup goes there; else it is removed
};

std::vector<PageFileThere> pageFilesThere(const std::filesystem::path& folder, int pages) {
    std::vector<PageFileThere> there;
    for (int page = 0; page < link::MAX_PAGES; ++page) {
        const std::filesystem::path file = folder / adapter::pageFileName(page);
        std::error_code error;
        if (std::filesystem::symlink_status(file, error).type() ==
            std::filesystem::file_type::not_found) {
            continue;
        }
        there.push_back({file, formats::resolveWriteTarget(file), page < pages});
    }
    return there;
}

// A page is written through a link to a file; a file or link that is no page of this backup
// is removed. Anything else (a folder, a FIFO) is left alone, and the backup with it.
bool backupCanTake(const PageFileThere& file) {
    if (file.written) {
        return file.resolved.writable();
    }
    return file.resolved.isLink || file.resolved.kind == formats::TargetKind::File;
}

std::vector<std::string> changesTo(const std::vector<PageFileThere>& there) {
    std::vector<std::string> changes;
    changes.reserve(there.size());
    for (const PageFileThere& file : there) {
        changes.push_back(file.written ? text::pageFileReplaced(file.path, file.resolved)
                                       : text::pageFileRemoved(file.path, file.resolved));
    }
    return changes;
}

}  // namespace

bool Organizer::backupCard(const std::filesystem::path& folder) {
    const std::optional<int> reported = countPages();
    if (!reported) {
        return false;
    }
    // A folder holds no more pages than a virtual card opens.
    const int pages = std::min(*reported, link::MAX_PAGES);
    if (pages < 1) {
        const std::string onlyPages = text::onlyPages(pages);
        show({onlyPages, text::BACKUP_CARD_CAPTION, BoxButtons::Ok, text::PAGE_RANGE_ICON});
        return false;
    }
    if (!confirmBackupFolder(folder, pages)) {
        return false;
    }
    // Every page read before the first is written: a read that fails leaves the folder alone.
    std::vector<card::CardOrderPage> cardImages(static_cast<std::size_t>(pages));
    for (int page = 0; page < pages; ++page) {
        if (!readPage(page + 1)) {
            return false;
        }
        card::pageToCard(loaded().page, cardImages[static_cast<std::size_t>(page)]);
    }
    return writeBackup(folder, cardImages);
}

bool Organizer::confirmBackupFolder(const std::filesystem::path& folder, int pages) {
    const std::vector<PageFileThere> there = pageFilesThere(folder, pages);
    if (const auto blocked = std::find_if_not(there.begin(), there.end(), backupCanTake);
        blocked != there.end()) {
        const std::string message = text::backupBlockedBy(blocked->path, blocked->resolved);
        tell(text::BACKUP_NOT_WRITTEN,
             {message, text::BACKUP_CARD_CAPTION, BoxButtons::Ok, text::WRITE_FAILURE_ICON});
        return false;
    }
    if (there.empty()) {
        return true;
    }
    const std::string question = text::replaceBackupQuestion(folder, changesTo(there));
    return confirmed({question, text::BACKUP_CARD_CAPTION, BoxButtons::YesNo, BoxIcon::Warning});
}

bool Organizer::writeBackup(const std::filesystem::path& folder,
                            const std::vector<card::CardOrderPage>& cardImages) {
    const int pages = static_cast<int>(cardImages.size());
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        const std::string message = text::folderFailure(folder, error.value());
        tell(text::BACKUP_NOT_WRITTEN,
             {message, text::BACKUP_CARD_CAPTION, BoxButtons::Ok, text::WRITE_FAILURE_ICON});
        return false;
    }
    for (int page = 0; page < pages; ++page) {
        const std::filesystem::path target = folder / adapter::pageFileName(page);
        const formats::WriteStatus status =
            formats::writePageFile(target, cardImages[static_cast<std::size_t>(page)]);
        if (!status.ok()) {
            reportBackupFailure(writeFailureMessage(target, status), page, pages);
            return false;
        }
    }
    // Pages of an older, longer backup would open as pages of this one. unlink() never takes a
    // folder, whatever came under those names since the question listed them.
    for (int page = pages; page < link::MAX_PAGES; ++page) {
        const std::filesystem::path stale = folder / adapter::pageFileName(page);
        if (::unlink(stale.c_str()) != 0 && errno != ENOENT) {
            reportBackupFailure(text::removeFailure(stale, errno), pages, pages);
            return false;
        }
    }
    setStatus(text::cardBackedUp(pages));
    return true;
}

void Organizer::reportBackupFailure(const std::string& failure, int pagesWritten, int pages) {
    const std::string message = failure + "\n\n" + text::backupWrittenSoFar(pagesWritten, pages);
    tell(text::BACKUP_NOT_WRITTEN,
         {message, text::BACKUP_CARD_CAPTION, BoxButtons::Ok, text::WRITE_FAILURE_ICON});
}

}  // namespace quorvane::app
