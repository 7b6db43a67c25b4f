// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "app/screen.h"
#include "card/page_check.h"
#include "card/page_layout.h"

// What the list and check commands print about a page, as text or as JSON.
// Names are the card's bytes read byte for character, information lines as the window reads
// them; `pageNumber` counts from 1.
namespace quorvane::cli {

std::string listingText(const app::Listing& listing);
std::string listingJson(const app::Listing& listing, int pageNumber);

// The check in JSON: the page's figures and each finding with its fields and its words.
std::string pageCheckJson(const card::PageCheck& check, const card::PageBytes& pageImage,
                          int pageNumber);

}  // namespace quorvane::cli
