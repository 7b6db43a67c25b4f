// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/reports.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "app/texts.h"
#include "card/card_text.h"
#include "card/dir_entry.h"
#include "formats/pc_file_names.h"
#include "link/system_port.h"

namespace quorvane::app::text {

namespace {

// The name as the list shows it: a line break or a terminal's control in it is not obeyed.
std::string cardNameText(std::string_view nameBytes) {
    return card::printableUtf8(card::nameToUtf8(nameBytes));
}

std::string fileLabel(const card::PageBytes& pageImage, int slot) {
    return cardNameText(card::entryName(card::readSlot(pageImage, slot))) + " (slot " +
           std::to_string(slot) + ")";
}

std::string blocksText(std::uint32_t count) {
    return std::to_string(count) + (count == 1 ? " block" : " blocks");
}

// Where a link leads: a block of the page, or a value that names none.
std::string linkText(std::uint32_t link) {
    return link < card::BLOCK_COUNT ? "block " + std::to_string(link)
                                    : hex(link, 4) + ", no block of the page";
}

// Why the name of the file in `slot` cannot become a PC file name, after a comma; empty where
// the rule finds nothing (the finding came from another page).
std::string unusableNameReason(const card::PageBytes& pageImage, int slot) {
    const std::string name = card::entryName(card::readSlot(pageImage, slot));
    const std::optional<formats::PcNameRefusal> refusal = formats::pcNameRefusal(name);
    if (!refusal) {
        return {};
    }
    const std::string byte = std::to_string(refusal->at + 1);
    switch (refusal->fault) {
        case formats::PcNameFault::Empty:
            return ", as it is empty";
        case formats::PcNameFault::FolderName:
            return ", as \"" + name + "\" names a folder";
        case formats::PcNameFault::Slash:
            return ", as its character " + byte + " is '/', which separates folders";
        case formats::PcNameFault::NonPrinting:
            return ", as its character " + byte + " is " +
                   hex(static_cast<unsigned char>(name[refusal->at]), 2) +
                   ", a control or format character that does not print";
    }
    return {};
}

}  // namespace

std::string pageCheckFinding(const card::FileFinding& finding, const card::PageBytes& pageImage) {
    const std::string block = std::to_string(finding.block);
    const std::string expected = std::to_string(finding.expected);
    const std::string found = std::to_string(finding.found);
    switch (finding.problem) {
        case card::FileProblem::ChainEndsEarly:
            return finding.block < 0 ? "its chain has no first block"
                                     : "its chain ends at block " + block + ": " + found +
                                           " of its " + expected + " blocks are reached";
        case card::FileProblem::LastBlockFree:
            return "its last block, " + block +
                   ", is marked free in the FAT instead of ending its chain: the next add will "
                   "overwrite it";
        case card::FileProblem::ChainRunsOn:
            return "its chain runs on past its " + blocksText(finding.expected) + ": block " +
                   block + ", its last, links on to " + linkText(finding.found) +
                   " instead of ending there";
        case card::FileProblem::ChainLoops:
            return "its chain comes back to block " + block + " (a loop)";
        case card::FileProblem::ChainIntoSystemBlocks:
            return "its chain runs into block " + block + ", a system block";
        case card::FileProblem::ChainPastPage:
            return finding.block < 0 ? "its first block lies past the end of the page"
                                     : "block " + block + " of its chain links past the page";
        case card::FileProblem::ChainCrossesFile:
            return "its chain shares block " + block + " with " +
                   fileLabel(pageImage, finding.otherSlot);
        case card::FileProblem::SizeDisagrees:
            return "the directory says " + expected + " blocks, its chain holds " + found;
        case card::FileProblem::HeaderPastFile:
            return "its header offset is " + found + ", but it has only " +
                   blocksText(finding.expected) +
                   ": its save header lies past its end, where the card's own menu cannot find it";
        case card::FileProblem::OddFileType:
            return "its file type " + hex(finding.found, 2) +
                   " is neither data (0x33) nor a game (0xCC)";
        case card::FileProblem::DuplicateName:
            return "it has the same name as the file in slot " + std::to_string(finding.otherSlot);
        case card::FileProblem::DataBeyondUserBlocks:
            return "it keeps data from block " + block +
                   " on, beyond block 199, which no commit writes to the card";
        case card::FileProblem::GameNotAtBlockZero:
            return "it is a game but starts at block " + block +
                   ", not 0: the card's own menu cannot start it";
        case card::FileProblem::GameNotContiguous:
            return "it is a game whose blocks stop following each other at block " + block +
                   ": the card's own menu cannot start it";
        case card::FileProblem::HeaderCrcMismatch:
            return "its save header's check value is " + hex(finding.found, 4) +
                   ", its bytes give " + hex(finding.expected, 4) +
                   " (a warning: some commercial saves never match)";
        case card::FileProblem::NameUnusableOnPc:
            return "its name cannot be used as a PC file name" +
                   unusableNameReason(pageImage, finding.slot) +
                   " (a warning: the file is sound, but no .ddc can be saved under its name)";
    }
    return {};
}

std::string pageCheckReport(const card::PageCheck& check, const card::PageBytes& pageImage,
                            int pageNumber) {
    const std::string title = "Check of page " + std::to_string(pageNumber) + "\n\n";
    if (check.clean()) {
        return title + "The page is clean: its directory, its FAT and every file's chain agree.\n";
    }
    std::string problems;
    std::string warnings;
    for (const card::FileFinding& finding : check.files) {
        const std::string line = "- " + fileLabel(pageImage, finding.slot) + ": " +
                                 pageCheckFinding(finding, pageImage) + ".\n";
        (finding.warningOnly() ? warnings : problems) += line;
    }
    std::string page;
    if (check.formatMarkMissing) {
        page +=
            "- The root block lacks its format mark (16 bytes of 0x55): the page may not be "
            "formatted.\n";
    }
    if (!check.lostBlocks.empty()) {
        page += "- " + std::to_string(check.lostBlocks.size()) +
                " user blocks are taken in the FAT by no file (lost blocks): " +
                blockRanges(check.lostBlocks) + ".\n";
    }
    if (check.freeOverstatedBy() > 0) {
        page += "- Blocks Free says " + std::to_string(check.freeShown) +
                ", but the FAT leaves an add only " + std::to_string(check.freeInFat) + " (" +
                std::to_string(check.freeOverstatedBy()) + " fewer).\n";
    }
    std::string text = title;
    if (!problems.empty()) {
        text += "Files:\n" + problems + "\n";
    }
    if (!page.empty()) {
        text += "The page:\n" + page + "\n";
    }
    if (!warnings.empty()) {
        text += "Warnings:\n" + warnings + "\n";
    }
    text.pop_back();
    return text;
}

namespace {

bool permissionError(int systemError) {
    return systemError == EACCES || systemError == EPERM;
}

std::string systemReason(int systemError) {
    return systemError != 0 ? std::strerror(systemError) : "";
}

// " (process 1234)" where the holder is known.
std::string holderText(const std::optional<long>& holder) {
    return holder ? " (process " + std::to_string(*holder) + ")" : "";
}

// What stood in a backend's way, in a few words.
std::string problemText(const link::PortAttempt& attempt, std::uint16_t base) {
    const std::string path = pathText(attempt.path);
    switch (attempt.problem) {
        case link::PortProblem::NoParportSupport:
            return "ppdev: the kernel knows no parallel port (" + path + " is missing)";
        case link::PortProblem::NoPortAtAddress:
            return "ppdev: the kernel has no parallel port at " + hexAddress(base);
        case link::PortProblem::DeviceMissing:
            return "ppdev: " + path + " is not present";
        case link::PortProblem::CannotOpenDevice:
            return permissionError(attempt.systemError)
                       ? "ppdev: permission denied on " + path
                       : "ppdev: " + path + " could not be opened (" +
                             systemReason(attempt.systemError) + ")";
        case link::PortProblem::CannotClaim:
            return attempt.systemError == EBUSY
                       ? "ppdev: " + path + " is held by another program or driver"
                       : "ppdev: " + path + " could not be claimed (" +
                             systemReason(attempt.systemError) + ")";
        case link::PortProblem::DirectIoRefused:
            return "raw port I/O: refused (" + systemReason(attempt.systemError) + ")";
        case link::PortProblem::DirectIoUnsupported:
            return "raw port I/O: not available on this machine";
        case link::PortProblem::DirectIoNotTried:
            return "raw port I/O: not tried";
        case link::PortProblem::AddressRefused:
            return hexAddress(base) +
                   " is no parallel port's address: only the addresses of the Parallel Port "
                   "buttons and the ports the kernel lists are used";
        case link::PortProblem::HeldByOtherProgram:
            return "ppdev: " + path + " is held by another program" + holderText(attempt.holder);
        case link::PortProblem::NoPortFound:
            return "raw port I/O: no parallel port answered at " + hexAddress(base);
        case link::PortProblem::None:
            break;
    }
    return {};
}

// What the user can do about it; empty where nothing helps.
std::string remedyText(const link::PortAttempt& attempt) {
    switch (attempt.problem) {
        case link::PortProblem::NoParportSupport:
            return "Load the kernel's parallel-port modules: sudo modprobe parport_pc ppdev";
        case link::PortProblem::NoPortAtAddress:
        case link::PortProblem::NoPortFound:
        case link::PortProblem::AddressRefused:
            return "Choose the address the kernel lists (quorvane --list-ports), or set the "
                   "port's address in the machine's firmware setup.";
        case link::PortProblem::HeldByOtherProgram:
            return "Close the other program, then try again.";
        case link::PortProblem::DeviceMissing:
            return "Load the module ppdev: sudo modprobe ppdev";
        case link::PortProblem::CannotOpenDevice:
            return permissionError(attempt.systemError)
                       ? "Add your user to the group lp (sudo usermod -aG lp $USER), then log "
                         "in again."
                       : "";
        case link::PortProblem::CannotClaim:
            return attempt.systemError == EBUSY
                       ? "Stop the program using the port, or unload the printer driver: "
                         "sudo rmmod lp"
                       : "";
        case link::PortProblem::DirectIoRefused:
            return permissionError(attempt.systemError) ? "Only root may use raw port I/O." : "";
        case link::PortProblem::DirectIoUnsupported:
        case link::PortProblem::DirectIoNotTried:
        case link::PortProblem::None:
            break;
    }
    return {};
}

// The same on a line that names the addresses it is about.
std::string addressProblemText(const link::PortAttempt& attempt, std::uint16_t base) {
    if (attempt.problem == link::PortProblem::NoPortAtAddress) {
        return "ppdev: the kernel has no parallel port there";
    }
    if (attempt.problem == link::PortProblem::NoPortFound) {
        return "raw port I/O: no parallel port answered there";
    }
    return problemText(attempt, base);
}

std::string backendText(const link::PortReport& report) {
    switch (report.chosen) {
        case link::Backend::Ppdev:
            return "ppdev";
        case link::Backend::DirectIo:
            return "raw port I/O";
        case link::Backend::None:
            break;
    }
    return "none";
}

}  // namespace

std::string portDetails(const link::PortReport& report) {
    const std::string address = hexAddress(report.base);
    if (report.chosen != link::Backend::None) {
        return "The port " + address + " is open (" + backendText(report) +
               "), but no adapter answered on it. Check that the adapter is plugged into this "
               "port and switched on.";
    }
    std::string text = "No way to the port " + address + " could be used:";
    for (const link::PortAttempt& attempt : report.attempts) {
        text += "\n- " + problemText(attempt, report.base) + ".";
        if (const std::string remedy = remedyText(attempt); !remedy.empty()) {
            text += " " + remedy;
        }
    }
    return text + "\nquorvane --list-ports shows every port of this machine.";
}

std::string portListing(const std::vector<link::KernelPort>& ports,
                        const std::vector<link::PortReport>& addresses) {
    std::vector<std::string> remedies;
    const auto remember = [&remedies](const std::string& remedy) {
        if (!remedy.empty() &&
            std::find(remedies.begin(), remedies.end(), remedy) == remedies.end()) {
            remedies.push_back(remedy);
        }
    };
    std::string text = "Parallel ports known to the kernel:";
    if (ports.empty()) {
        text += " none";
    }
    for (const link::KernelPort& port : ports) {
        text += "\n  " + port.name + " at " +
                (port.bases.empty() ? std::string("an unknown address")
                                    : hexAddress(port.bases.front())) +
                ", " + pathText(port.device) + ": ";
        link::PortAttempt attempt{link::Backend::Ppdev, link::PortProblem::None, port.device, 0,
                                  port.holder};
        if (port.heldByOtherProgram) {
            attempt.problem = link::PortProblem::HeldByOtherProgram;
        } else if (!port.deviceExists) {
            attempt.problem = link::PortProblem::DeviceMissing;
        } else if (port.openError != 0) {
            attempt.problem = link::PortProblem::CannotOpenDevice;
            attempt.systemError = port.openError;
        } else if (port.claimError.value_or(0) != 0) {
            attempt.problem = link::PortProblem::CannotClaim;
            attempt.systemError = *port.claimError;
        }
        if (attempt.problem == link::PortProblem::None) {
            text += "this user can open and claim it";
        } else {
            text += problemText(attempt, port.bases.empty() ? 0 : port.bases.front());
            remember(remedyText(attempt));
        }
    }
    // Addresses reached the same way, or failing for the same reasons, share one line.
    std::vector<std::pair<std::string, std::string>> ways;  // the addresses, then the way
    for (const link::PortReport& report : addresses) {
        std::string way = backendText(report);
        if (report.chosen == link::Backend::None) {
            way = "no way to the port";
            for (const link::PortAttempt& attempt : report.attempts) {
                way += "; " + addressProblemText(attempt, report.base);
                remember(remedyText(attempt));
            }
        }
        const auto same = std::find_if(ways.begin(), ways.end(),
                                       [&way](const auto& line) { return line.second == way; });
        if (same == ways.end()) {
            ways.emplace_back(hexAddress(report.base), way);
        } else {
            same->first += ", " + hexAddress(report.base);
        }
    }
    text += "\nThe addresses of the Parallel Port buttons:";
    for (const auto& [bases, way] : ways) {
        text += "\n  " + bases + ": " + way;
    }
    for (const std::string& remedy : remedies) {
        text += "\n- " + remedy;
    }
    return text + "\n" + std::string(TRY_WITHOUT_ADAPTER) + "\n";
}

std::string saveAllSummary(const std::filesystem::path& folder,
                           const std::vector<SavedFile>& files) {
    std::string saved;
    std::string skipped;
    int savedCount = 0;
    int skippedCount = 0;
    for (const SavedFile& file : files) {
        if (!file.skipped) {
            ++savedCount;
            saved += "\n" + cardNameText(file.cardName) + " as " + file.fileName;
            continue;
        }
        ++skippedCount;
        std::string why;
        switch (*file.skipped) {
            case SkipReason::Damaged:
                why = "damaged on the card";
                break;
            case SkipReason::NameUnusable:
                why = "its name cannot be used as a PC file name";
                break;
            case SkipReason::NoFreeName:
                why = "no free name in the folder";
                break;
            case SkipReason::NoData:
                why = "it holds no data for a .vms file";
                break;
            case SkipReason::NotWritten:
                why =
                    withReason("could not be written as " + file.fileName + ":", file.systemError);
                break;
        }
        skipped += "\n" + cardNameText(file.cardName) + ": " + why;
    }
    std::string text = std::to_string(savedCount) + (savedCount == 1 ? " file" : " files") +
                       " saved in " + pathText(folder) + (savedCount > 0 ? ":" : ".") + saved;
    if (skippedCount > 0) {
        text += "\n\n" + std::to_string(skippedCount) + (skippedCount == 1 ? " file" : " files") +
                " skipped:" + skipped;
    }
    return text;
}

}  // namespace quorvane::app::text
