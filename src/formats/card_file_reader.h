// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "card/card_file.h"
#include "formats/read_result.h"
#include "formats/vmi_vms.h"

// A PC file that becomes a card file: a .ddc, a .dci, or either member of a .vmi/.vms pair,
// chosen by its extension whatever its case.
namespace quorvane::formats {

enum class CardFileKind { Ddc, Dci, Vmi, Vms, Unsupported };
CardFileKind cardFileKindOf(std::string_view fileName);

// Why a PC file cannot become a card file.
enum class CardFileProblem {
    Unreadable,       // `read` says why the chosen file or its partner was refused
    MissingPartner,   // the pair's other member (`missing`) is not there or cannot be opened
    UnsupportedType,  // no card file has this extension
};
struct CardFileRefusal {
    CardFileProblem problem = CardFileProblem::Unreadable;
    ReadResult read = ReadResult::Ok;
    PairMember missing = PairMember::Vms;
    bool operator==(const CardFileRefusal&) const = default;
};

using CardFileRead = std::variant<card::CardFile, CardFileRefusal>;

// Reads the file at `path`, and for a pair member its partner from the same folder
// (partnerName, found by pc::findEntryIgnoringCase). A pair's entry is stamped with `now`.
CardFileRead readCardFile(const std::filesystem::path& path, const LocalTime& now);

// The same over bytes: `fileName` chooses the kind, `bytes` is the whole file, `partnerBytes` the
// whole partner of a pair member (none: the partner is missing).
CardFileRead readCardFile(std::string_view fileName, std::span<const std::uint8_t> bytes,
                          std::optional<std::span<const std::uint8_t>> partnerBytes,
                          const LocalTime& now);

}  // namespace quorvane::formats
