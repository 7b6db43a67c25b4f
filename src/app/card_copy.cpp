// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/card_copy.h"

#include <optional>
#include <utility>

#include "card/file_system.h"
#include "link/adapter_commands.h"

namespace quorvane::app {

std::optional<std::vector<card::CardFile>> Organizer::filesForCopy(
    const std::vector<FileOnPage>& files) {
    if (refuseWithoutPage(text::COPY_TO_CARD_CAPTION) ||
        refuseWithoutFiles(files, text::COPY_TO_CARD_CAPTION)) {
        return std::nullopt;
    }
    std::vector<card::CardFile> copies(files.size());
    for (std::size_t k = 0; k < files.size(); ++k) {
        if (card::extractFile(loaded().page, files[k].slot, copies[k]) !=
            card::ExtractResult::Extracted) {
            tell(text::CANCELLED, text::DAMAGED_ON_CARD);
            return std::nullopt;
        }
    }
    return copies;
}

bool Organizer::chooseLoadedPageAgain() {
    if (m_chosenPageIndex != loaded().pageIndex) {
        tell(text::CANCELLED, text::PAGE_MISMATCH);
        return false;
    }
    if (!m_link.resetLink()) {
        reportConnectionFailed();
        return false;
    }
    if (link::querySelectedPage(m_link) == m_chosenPageIndex) {
        return true;
    }
    if (link::selectPage(m_link, m_chosenPageIndex) != 0 || !m_link.waitUntilReady()) {
        reportConnectionFailed();
        return false;
    }
    return true;
}

bool Organizer::removeMovedFiles(const std::vector<FileOnPage>& files) {
    if (refuseWithoutFiles(files, text::DELETE_CAPTION) || refuseReadOnly(text::DELETE_CAPTION) ||
        !chooseLoadedPageAgain()) {
        return false;
    }
    return removeFiles(files);
}

bool transferFiles(Organizer& from, const std::vector<FileOnPage>& files, Organizer& to,
                   Transfer how) {
    // A move that could not remove its files would leave two copies: asked about before.
    if (how == Transfer::Move && !from.mayRemoveFiles(text::DELETE_CAPTION)) {
        return false;
    }
    std::optional<std::vector<card::CardFile>> copies = from.filesForCopy(files);
    if (!copies || !to.addCardFiles(std::move(*copies))) {
        return false;
    }
    return how == Transfer::Copy || from.removeMovedFiles(files);
}

}  // namespace quorvane::app
