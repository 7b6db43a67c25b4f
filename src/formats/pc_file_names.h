// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "card/card_text.h"

// The names that card files take as PC files: a .ddc under the card name, or a .vmi/.vms pair
// under a NAME of its own; and, where a name is taken, the first numbered one that is free.
// Card names are the entry's name bytes up to the first zero byte (card::entryName).
namespace quorvane::formats {

inline constexpr std::string_view DDC_EXTENSION = ".ddc";
// Numbered names go no further: a folder never holds that many saves of one name.
inline constexpr int MAX_NAME_NUMBER = 9999;

// Whether a card name may become a PC file name: the card's own rule, which the page check
// reports by too.
using card::usableAsPcFileName;
// And why it refuses one, for the reports that name the reason.
using card::PcNameFault;
using card::pcNameRefusal;
using card::PcNameRefusal;

// The card name as UTF-8 and ".ddc"; none when the name is not usable.
std::optional<std::string> ddcFileName(std::string_view cardName);

// A pair NAME from a card name: letters upper-cased, every other byte outside A-Z, 0-9 and '_'
// made '_', cut to 8 bytes. None for an empty card name.
std::optional<std::string> pairNameOf(std::string_view cardName);

// Whether a file of this name (no folder) is already there. The add command finds a pair's
// partner whatever its case, so for pairs a test that ignores case keeps them apart.
using NameTaken = std::function<bool(const std::string& fileName)>;

// The first free one of "NAME.ddc", "NAME (2).ddc", "NAME (3).ddc" ... for the card name; none
// when the name is not usable or every number up to MAX_NAME_NUMBER is taken.
std::optional<std::string> freeDdcFileName(std::string_view cardName, const NameTaken& taken);

// The first NAME among the card name's NAME, then NAME with its tail replaced by "_2", "_3" ...
// (still at most 8 bytes), for which neither NAME.vmi nor NAME.vms is taken; none for an empty
// card name or when every number up to MAX_NAME_NUMBER is taken.
std::optional<std::string> freePairName(std::string_view cardName, const NameTaken& taken);

}  // namespace quorvane::formats
