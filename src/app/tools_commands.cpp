// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include "app/organizer.h"
#include "card/page_check.h"

// The Tools menu's repair: blocks that no file reaches, given back to the free ones.
namespace quorvane::app {

bool Organizer::freeLostBlocks() {
    if (refuseWithoutPage(text::CHECK_CAPTION) || !mayRemoveFiles(text::CHECK_CAPTION)) {
        return false;
    }
    const card::PageCheck check = card::checkPage(loaded().page);
    const std::string question = text::freeLostBlocksQuestion(check.lostBlocks);
    if (!confirmed({question, text::CHECK_CAPTION, BoxButtons::YesNo, BoxIcon::Question})) {
        return false;
    }
    card::freeLostBlocks(loaded().page, loaded().dirty);
    if (!commitEdit()) {
        return false;
    }
    relistAfterEdit();
    setStatus(text::LOST_BLOCKS_FREED);
    return true;
}

}  // namespace quorvane::app
