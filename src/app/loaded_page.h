// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>

#include "card/page_layout.h"

namespace quorvane::app {

// The page in memory: which page of the card it is, its bytes in file-system order (where every
// edit happens) and the blocks an edit changed that the next commit writes.
struct LoadedPage {
    int pageIndex = 0;  // 0-based
    card::PageBytes page{};
    card::DirtyMap dirty{};

    bool hasPendingEdits() const {
        return std::any_of(dirty.begin(), dirty.end(), [](auto flag) { return flag != 0; });
    }
};

}  // namespace quorvane::app
