// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include "app/card_source.h"
#include "app/organizer.h"

// Tools > Open Card Image... and Close Card Image: the window works on a card image as on a
// card of one page, until the image is closed.
namespace quorvane::app {

bool Organizer::onCardImage() const {
    return m_cardSource != nullptr && m_cardSource->location().image.has_value();
}

bool Organizer::switchCard(const CardLocation& location) {
    const bool pending = m_loaded && m_loaded->hasPendingEdits();
    if (pending && !confirmed({text::SWITCH_CARD_QUESTION, text::IMAGE_CAPTION, BoxButtons::YesNo,
                               BoxIcon::Warning})) {
        return false;
    }
    CardProblem problem;
    if (!m_cardSource->switchTo(location, problem, otherOrderQuestionOn(m_screen))) {
        tell(text::CANCELLED,
             {problem.text, text::IMAGE_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
        return false;
    }
    const std::string cardName =
        location.image ? text::pathText(location.image->filename()) : std::string();
    cardChanged();
    m_boundTexts.page.cardName = cardName;
    refreshTexts();
    return true;
}

void Organizer::cardChanged() {
    m_loaded.reset();
    m_selection.reset();
    m_freeBlockCount = -1;
    m_counts.reset();
    m_chosenPageIndex = 0;
    clearListing();
    m_boundTexts = BoundTexts{};
    showPageState();
    m_link.resetLink();
}

bool Organizer::openCardImage(const std::filesystem::path& image) {
    if (m_cardSource == nullptr) {
        return false;
    }
    CardLocation location;
    location.image = image;
    return switchCard(location);
}

bool Organizer::closeCardImage() {
    if (!onCardImage()) {
        return false;
    }
    return switchCard(m_cardSource->home());
}

}  // namespace quorvane::app
