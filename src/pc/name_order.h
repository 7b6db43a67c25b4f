// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Names compared without regard to case. Only the ASCII letters are folded: a Linux name is a
// string of bytes in no promised encoding, the names looked up this way come from Windows-era
// saves and paths (ASCII), and the locale must not change which file a name denotes. Every
// other byte, UTF-8 letters included, compares as itself, so "É" and "é" are different names.
namespace quorvane::pc {

// Below zero, zero or above zero as `a` orders before, with or after `b`. Letters fold to lower
// case, so "_x" orders before "apps", as it does in a case-sensitive listing.
int compareIgnoringCase(std::string_view a, std::string_view b);
// The name with its ASCII letters in lower case: a key that equals for names equal so.
std::string lowerAscii(std::string_view name);
bool equalIgnoringCase(std::string_view a, std::string_view b);

// The order of a level of the tree. Stable: names equal without regard to case keep the order
// they came in.
void sortIgnoringCase(std::vector<std::filesystem::path>& paths);

}  // namespace quorvane::pc
