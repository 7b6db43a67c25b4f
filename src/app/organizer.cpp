#include "app/organizer.h"

#include <utility>

namespace quorvane::app {

Organizer::Organizer(Screen& screen, link::CardLink& link, Clock clock)
    : m_screen(screen), m_link(link), m_clock(std::move(clock)) {}

void Organizer::openWindow() {
    refreshBoundTexts();
    m_screen.showPageNumber(1);
    m_screen.showPageCaption(text::CURRENT_PAGE_NONE);
    m_link.resetLink();  // only waits for the adapter; nobody is told if it is absent
    m_dirtyMap.fill(0);
    m_link.portBase = link::DEFAULT_PORT_BASE;
}

void Organizer::setStatus(std::string_view text) {
    m_boundTexts.status = text;
    refreshBoundTexts();
}

void Organizer::refreshBoundTexts() {
    m_screen.showBoundTexts(m_boundTexts);
}

void Organizer::enableEditCommands() {
    m_screen.enableEditCommands();
}

BoxAnswer Organizer::show(const text::Box& box) {
    return m_screen.messageBox(box);
}

void Organizer::tell(std::string_view status, const text::Box& box) {
    setStatus(status);
    show(box);
}

bool Organizer::confirmed(const text::Box& question) {
    if (show(question) == BoxAnswer::Yes) {
        return true;
    }
    setStatus(text::CANCELLED);
    return false;
}

bool Organizer::commitEdit() {
    if (commitPage(false) == 1) {
        return true;
    }
    setStatus(text::CANCELLED);
    return false;
}

// Assigned without a refresh: they show with the next one. The icon beside them goes at once.
void Organizer::blankInfoLines() {
    m_boundTexts.info1 = " ";
    m_boundTexts.info2 = " ";
    m_boundTexts.info3 = " ";
    m_screen.showFileIcon(nullptr);
}

}  // namespace quorvane::app
