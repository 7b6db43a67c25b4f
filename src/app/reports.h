// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "card/page_check.h"
#include "card/page_layout.h"

namespace quorvane::link {
struct KernelPort;
struct PortReport;
}  // namespace quorvane::link

// The reports the commands show: texts of many lines, made from what a command found, in
// UTF-8 like every other text (app/texts.h holds the rest).
namespace quorvane::app::text {

// --- The page check (ours) ---
// The report of a check of the page in memory; `pageNumber` counts from 1.
std::string pageCheckReport(const card::PageCheck& check, const card::PageBytes& pageImage,
                            int pageNumber);
// One finding of that report, after the file's name: "its chain loops at block 7" and the like.
std::string pageCheckFinding(const card::FileFinding& finding, const card::PageBytes& pageImage);

// --- The parallel port ---
// Why the connection failed, behind the "Connection FAILED." box: how the address was reached
// and what stood in the way of each backend.
std::string portDetails(const link::PortReport& report);
// What --list-ports prints: the kernel's ports and how each address of the port buttons would
// be reached.
std::string portListing(const std::vector<link::KernelPort>& ports,
                        const std::vector<link::PortReport>& addresses);
// The listing's last line (ours).
inline constexpr std::string_view TRY_WITHOUT_ADAPTER =
    "Without an adapter, try the program on a virtual card (quorvane --virtual-card DIR) or on "
    "a card image (quorvane --image FILE).";

// --- Save All Files (ours) ---
// Why Save All Files passed a file over.
enum class SkipReason { Damaged, NameUnusable, NoFreeName, NoData, NotWritten };
struct SavedFile {
    std::string cardName;  // its name bytes
    std::string fileName;  // written, or what it failed at
    std::optional<SkipReason> skipped;
    int systemError = 0;
};
// What Save All Files did, file by file, each card name as the list shows it.
std::string saveAllSummary(const std::filesystem::path& folder,
                           const std::vector<SavedFile>& files);

}  // namespace quorvane::app::text
