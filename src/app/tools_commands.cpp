#include <string>

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

}  // namespace quorvane::app
