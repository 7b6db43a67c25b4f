// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "app/organizer.h"

// Files copied or moved between two cards: two organisers, each on the page it read, of one
// adapter or of a card image.
namespace quorvane::app {

enum class Transfer { Copy, Move };

// `files` of `from` added to `to` in one commit, with Add File's checks and questions; a move
// then removes them from `from` in a commit of its own, and only once the copy's commit
// succeeded. Any refusal before the copy's commit leaves both pages as they were.
bool transferFiles(Organizer& from, const std::vector<FileOnPage>& files, Organizer& to,
                   Transfer how);

// The window's copy or move between its two cards: the files in `slots` of `from`'s list, one
// question naming them and where they go, then transferFiles.
bool transferSelected(Organizer& from, const std::vector<int>& slots, Organizer& to, Transfer how,
                      Screen& screen);

// What the question calls the card `organizer` shows: its card image's name, or its page.
std::string sideName(const Organizer& organizer);

}  // namespace quorvane::app
