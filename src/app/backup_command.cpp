#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "formats/page_file.h"

// Backup: every page of the card read and written to a folder in the virtual card's layout.
namespace quorvane::app {

namespace {

bool holdsPageFiles(const std::filesystem::path& folder) {
    std::error_code error;
    for (int page = 0; page < adapter::MAX_VIRTUAL_PAGES; ++page) {
        if (std::filesystem::exists(folder / adapter::pageFileName(page), error)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool Organizer::backupCard(const std::filesystem::path& folder) {
    const std::optional<int> reported = countPages();
    if (!reported) {
        return false;
    }
    // A folder holds no more pages than a virtual card opens.
    const int pages = std::min(*reported, adapter::MAX_VIRTUAL_PAGES);
    if (pages < 1) {
        const std::string onlyPages = text::onlyPages(pages);
        show({onlyPages, text::BACKUP_CARD_CAPTION, BoxButtons::Ok, text::PAGE_RANGE_ICON});
        return false;
    }
    if (holdsPageFiles(folder)) {
        const std::string question = text::replaceBackupQuestion(folder);
        if (!confirmed(
                {question, text::BACKUP_CARD_CAPTION, BoxButtons::YesNo, BoxIcon::Warning})) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        const std::string message = text::folderFailure(folder, error.value());
        tell(text::BACKUP_NOT_WRITTEN,
             {message, text::BACKUP_CARD_CAPTION, BoxButtons::Ok, text::WRITE_FAILURE_ICON});
        return false;
    }
    for (int page = 0; page < pages; ++page) {
        stepPage(page - m_currentPageIndex);
        if (!selectAndRefresh()) {
            return false;
        }
        const std::filesystem::path target = folder / adapter::pageFileName(page);
        const formats::WriteStatus status = formats::writePageFile(target, m_cardImage);
        if (!status.ok()) {
            reportWriteFailure(target, status.systemError, text::BACKUP_NOT_WRITTEN,
                               text::BACKUP_CARD_CAPTION);
            return false;
        }
    }
    // Pages of an older, longer backup would open as pages of this one.
    for (int page = pages; page < adapter::MAX_VIRTUAL_PAGES; ++page) {
        const std::filesystem::path stale = folder / adapter::pageFileName(page);
        if (std::filesystem::remove(stale, error); error) {
            const std::string message = text::removeFailure(stale, error.value());
            tell(text::BACKUP_NOT_WRITTEN,
                 {message, text::BACKUP_CARD_CAPTION, BoxButtons::Ok, text::WRITE_FAILURE_ICON});
            return false;
        }
    }
    setStatus(text::cardBackedUp(pages));
    return true;
}

}  // namespace quorvane::app
