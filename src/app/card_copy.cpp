// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/card_copy.h"

#include <optional>
#include <string>
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
    if (link::querySelectedPage(m_link) != m_chosenPageIndex &&
        (link::selectPage(m_link, m_chosenPageIndex) != 0 || !m_link.waitUntilReady())) {
        reportConnectionFailed();
        return false;
    }
    m_link.pageChooser = this;
    return true;
}

bool Organizer::removeMovedFiles(const std::vector<FileOnPage>& files) {
    if (refuseWithoutFiles(files, text::DELETE_CAPTION) || refuseUnwritable(text::DELETE_CAPTION) ||
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

std::string sideName(const Organizer& organizer) {
    const PageShown& page = organizer.pageShown();
    return page.cardName.empty() ? "page " + std::to_string(page.listedPage) : page.cardName;
}

bool transferSelected(Organizer& from, const std::vector<int>& slots, Organizer& to, Transfer how,
                      Screen& screen) {
    const std::string_view caption =
        how == Transfer::Move ? text::MOVE_BETWEEN_CAPTION : text::COPY_BETWEEN_CAPTION;
    const std::vector<FileOnPage> files = from.filesInSlots(slots);
    if (from.refuseWithoutPage(caption) || from.refuseWithoutFiles(files, caption) ||
        to.refuseWithoutPage(caption)) {
        return false;
    }
    const std::string question =
        text::transferQuestion(how == Transfer::Move, namesOf(files), sideName(to));
    if (screen.ask({question, caption, BoxButtons::YesNo, BoxIcon::Question}) != BoxAnswer::Yes) {
        from.setStatus(text::CANCELLED);
        return false;
    }
    return transferFiles(from, files, to, how);
}

}  // namespace quorvane::app
