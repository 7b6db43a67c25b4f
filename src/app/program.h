// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "app/card_source.h"
#include "app/organizer.h"
#include "link/card_link.h"

// One run of the organiser, wired the same way for the window and the command line.
namespace quorvane::app {

// Members go in the reverse order: the organiser before the link before the card.
struct Program {
    std::unique_ptr<CardSource> card;
    std::unique_ptr<link::CardLink> link;
    std::unique_ptr<Organizer> organizer;  // on the heap: it holds the page images
};

// The organiser on `card` for `screen`: the card is the run's card source and tells a failed
// connection's details, and every page read is kept in the user's backups folder.
Program wireProgram(std::unique_ptr<CardSource> card, Screen& screen);

// A second organiser on the program's card, for another of its pages: the side a copy between
// two pages of one adapter goes to. It shares the link, so it never runs at the same time.
std::unique_ptr<Organizer> organizerOnSameCard(const Program& program, Screen& screen);

// The card beside the run's own, the other side of a copy: another page of its card, on its
// link, or a card image with a program of its own.
class SideCard {
public:
    static std::unique_ptr<SideCard> otherPage(const Program& program, Screen& screen);
    // An organiser made elsewhere, on a link it shares.
    static std::unique_ptr<SideCard> of(std::unique_ptr<Organizer> organizer);
    // A card opened on its own, such as an image.
    static std::unique_ptr<SideCard> ownCard(std::unique_ptr<CardSource> card, Screen& screen);
    // The card image `file`, with the window's question about its byte order; null when it
    // cannot be used, after a box that says why.
    static std::unique_ptr<SideCard> image(const std::filesystem::path& file, Screen& screen);

    Organizer& organizer() { return m_ownCard ? *m_ownCard->organizer : *m_page; }

private:
    std::optional<Program> m_ownCard;
    std::unique_ptr<Organizer> m_page;
};

}  // namespace quorvane::app
