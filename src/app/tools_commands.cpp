#include <string>
#include <system_error>

#include "app/organizer.h"
#include "card/page_check.h"

// The Tools menu: commands beyond the edits of a page.
namespace quorvane::app {

void Organizer::checkPageCommand() {
    if (refuseWithoutPage(text::CHECK_CAPTION)) {
        return;
    }
    const card::PageCheck check = card::checkPage(m_pageImage);
    const std::string report = text::pageCheckReport(check, m_pageImage, m_currentPageIndex + 1);
    if (m_screen.showPageCheck(report, !check.lostBlocks.empty()) !=
        PageCheckAnswer::FreeLostBlocks) {
        return;
    }
    if (!mayRemoveFiles(text::CHECK_CAPTION)) {
        return;
    }
    const std::string question = text::freeLostBlocksQuestion(check.lostBlocks);
    if (!confirmed({question, text::CHECK_CAPTION, BoxButtons::YesNo, BoxIcon::Question})) {
        return;
    }
    card::freeLostBlocks(m_pageImage, m_dirtyMap);
    if (!commitEdit()) {
        return;
    }
    relistAfterEdit();
    setStatus(text::LOST_BLOCKS_FREED);
}

void Organizer::restoreFromBackupCommand() {
    std::filesystem::path folder;
    if (m_backupFolder) {
        // A folder that does not exist yet would open the dialog somewhere else.
        std::error_code ignored;
        std::filesystem::create_directories(*m_backupFolder, ignored);
        folder = *m_backupFolder;
    }
    importPageFileFrom(folder);
}

void Organizer::cardChanged() {
    m_pageLoaded = false;
    m_selectedEntry = -1;
    m_selectedName.clear();
    m_freeBlockCount = -1;
    m_dirtyMap.fill(0);
    m_currentPageIndex = 0;
    m_screen.clearCardList();
    m_screen.showPageNumber(1);
    m_screen.showPageCaption(text::CURRENT_PAGE_NONE);
    m_boundTexts = BoundTexts{};
    m_screen.showFileIcon(nullptr);
    refreshBoundTexts();
    m_link.resetLink();
}

}  // namespace quorvane::app
