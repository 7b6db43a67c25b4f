// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "card/page_layout.h"
#include "formats/safe_write.h"
#include "formats/vmi_vms.h"

// A copy of every page read from the card, kept without the user asking: the card often holds
// the only copy of years of saves, and every edit writes to it at once.
namespace quorvane::app {

// The newest distinct backups kept of each page number; older ones are removed.
inline constexpr int BACKUPS_KEPT = 50;

// $XDG_DATA_HOME/quorvane/backups, else ~/.local/share/quorvane/backups; none without a home.
// The environment comes in as values, so tests fix it.
std::optional<std::filesystem::path> defaultBackupFolder(const char* xdgDataHome, const char* home);
// The virtual card the program starts on without an adapter, beside the backups folder.
std::optional<std::filesystem::path> defaultVirtualCardFolder(const char* xdgDataHome,
                                                              const char* home);

// The name a backup of page `pageNumber` (from 1) taken at `now` gets, so that names sort in
// the order they were taken: 2026-12-07T16-05-12_page-03.dcm, then _page-03_02.dcm for a
// second one in the same second.
std::string backupFileName(const formats::LocalTime& now, int pageNumber, int sequence = 1);

struct BackupResult {
    enum class Outcome { Written, SameAsNewest, Failed };
    Outcome outcome = Outcome::Failed;
    std::filesystem::path path;   // the backup written, or the one it would have been
    formats::WriteStatus status;  // why it failed, where it failed on a write
    int folderError = 0;          // errno when the folder could not be made
};

// Keeps `cardImage` as the newest backup of page `pageNumber` unless it equals the newest one
// byte for byte, then removes what is older than the newest BACKUPS_KEPT of that page.
BackupResult keepBackup(const std::filesystem::path& folder, int pageNumber,
                        const card::CardOrderPage& cardImage, const formats::LocalTime& now);

}  // namespace quorvane::app
