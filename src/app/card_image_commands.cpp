#include <algorithm>
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
    const bool pending = std::any_of(m_dirtyMap.begin(), m_dirtyMap.end(),
                                     [](std::uint8_t flag) { return flag != 0; });
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
    cardChanged();
    m_screen.showCardName(location.image ? text::pathText(location.image->filename())
                                         : std::string());
    return true;
}

void Organizer::openCardImageCommand() {
    if (m_cardSource == nullptr) {
        return;
    }
    const auto chosen = m_screen.openFileDialog(text::IMAGE_FILTERS, {});
    if (!chosen) {
        return;
    }
    CardLocation location;
    location.image = *chosen;
    switchCard(location);
}

void Organizer::closeCardImageCommand() {
    if (!onCardImage()) {
        return;
    }
    switchCard(m_cardSource->home());
}

}  // namespace quorvane::app
