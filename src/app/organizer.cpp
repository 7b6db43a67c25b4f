#include "app/organizer.h"

#include <utility>

namespace quorvane::app {

Organizer::Organizer(Screen& screen, link::CardLink& link, Clock clock)
    : m_screen(screen), m_link(link), m_clock(std::move(clock)) {}

void Organizer::openWindow() {
    RefreshBoundTexts();
    m_screen.showPageNumber(1);
    m_screen.showPageCaption("Current Page : NONE");
    m_link.resetLink();  // only waits for the adapter; nobody is told if it is absent
    DirtyMap.fill(0);
    m_link.portBase = link::DEFAULT_PORT_BASE;
}

void Organizer::SetStatus(std::string_view text) {
    boundTexts.status = text;
    RefreshBoundTexts();
}

void Organizer::RefreshBoundTexts() {
    m_screen.showBoundTexts(boundTexts);
}

void Organizer::EnableEditCommands() {
    m_screen.enableEditCommands();
}

}  // namespace quorvane::app
