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

}  // namespace quorvane::app
