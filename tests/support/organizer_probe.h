#pragma once

#include "app/organizer.h"
#include "card/byte_order.h"

namespace quorvane::app {

// The tests' way into the organiser's state: set up a loaded page or a pending edit without
// the transfers that would cost each case its time. Nothing but tests includes this header.
class OrganizerProbe {
public:
    explicit OrganizerProbe(Organizer& organizer) : m_organizer(organizer) {}

    card::PageBytes& pageImage() { return m_organizer.m_pageImage; }
    card::DirtyMap& dirtyMap() { return m_organizer.m_dirtyMap; }

    // As after a read of page `pageIndex` that brought `cardImage`.
    void loadPage(const card::CardOrderPage& cardImage, int pageIndex) {
        m_organizer.m_cardImage = cardImage;
        card::cardToPage(m_organizer.m_cardImage, m_organizer.m_pageImage);
        m_organizer.m_pageLoaded = true;
        m_organizer.m_currentPageIndex = pageIndex;
    }

private:
    Organizer& m_organizer;
};

}  // namespace quorvane::app
