#include "app/organizer.h"

#include <utility>

namespace quorvane::app {

Organizer::Organizer(Screen& screen, link::CardLink& link, Clock clock)
    : m_screen(screen), m_link(link), m_clock(std::move(clock)) {}

void Organizer::openWindow() {
    refreshBoundTexts();
    m_screen.showPageNumber(1);
    m_screen.showPageCaption("Current Page : NONE");
    m_link.resetLink();  // only waits for the adapter; nobody is told if it is absent
    dirtyMap.fill(0);
    m_link.portBase = link::DEFAULT_PORT_BASE;
}

void Organizer::setStatus(std::string_view text) {
    boundTexts.status = text;
    refreshBoundTexts();
}

void Organizer::refreshBoundTexts() {
    m_screen.showBoundTexts(boundTexts);
}

void Organizer::enableEditCommands() {
    m_screen.enableEditCommands();
}

}  // namespace quorvane::app
