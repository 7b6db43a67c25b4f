// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

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

}  // namespace quorvane::app
