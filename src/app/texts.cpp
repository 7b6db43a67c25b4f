#include "app/texts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "app/version.h"
#include "card/card_text.h"
#include "card/dir_entry.h"
#include "formats/safe_write.h"
#include "link/system_port.h"

namespace quorvane::app::text {

std::string currentPage(int pageNumber) {
    return "Current Page : " + std::to_string(pageNumber);
}

std::string writingBlock(int block) {
    return "Writing block " + std::to_string(block) + "... ";
}

std::string blocksBeyondUserArea(const std::string& names) {
    return "These files keep data in blocks 200 to 240 of the image:\n\n" + names +
           "\n\nThose blocks cannot be written to the card: the card will list the files, but "
           "their blocks beyond 199 will hold what the card holds there now.\n\nImport the "
           "page anyway?";
}

std::string onlyPages(int pageCount) {
    return "There are only " + std::to_string(pageCount) + " pages on this Memory card";
}

namespace {

// The system's words for an errno, after the rest of a message (on a line of its own when the
// text ends at a line break, else after a space).
std::string withReason(std::string text, int systemError) {
    if (systemError != 0) {
        text += text.ends_with(':') && text.find('\n') == std::string::npos ? " " : "\n";
        text += std::strerror(systemError);
    }
    return text;
}

}  // namespace

std::string importRefusal(std::string_view refusal, const std::filesystem::path& file,
                          int systemError) {
    return withReason(std::string(refusal) + "\n" + file.string() + (systemError != 0 ? ":" : ""),
                      systemError);
}

std::string longerThanOneCard(const std::filesystem::path& file, std::uint64_t length) {
    return file.string() + " holds " + std::to_string(length) +
           " bytes, more than one card; only its first " + std::to_string(card::PAGE_SIZE) +
           " would be written.\n\nImport it anyway?";
}

std::string notFormattedQuestion(const std::filesystem::path& file) {
    return file.string() +
           " is not a formatted card; the card would need formatting on the console.\n\n"
           "Import it anyway?";
}

std::string readOnlyCard(const std::filesystem::path& path, int systemError) {
    return "The card is read-only: " + path.string() + " cannot be written (" +
           systemReason(systemError) +
           "). Reading, listing, checking and saving files to the PC still work.";
}

std::string noBackupQuestion(std::string_view reason) {
    return "No backup of this page could be taken (" + std::string(reason) +
           "). Go on without one?";
}

std::string systemReason(int systemError) {
    return std::strerror(systemError);
}

std::string writeFailure(const std::filesystem::path& target, int systemError) {
    return withReason("The file could not be written:\n" + target.string(), systemError);
}

namespace {

std::string_view kindName(formats::TargetKind kind) {
    switch (kind) {
        case formats::TargetKind::Folder:
            return "folder";
        case formats::TargetKind::Fifo:
            return "FIFO";
        case formats::TargetKind::Device:
            return "device";
        case formats::TargetKind::Socket:
            return "socket";
        default:
            return "file";
    }
}

}  // namespace

std::string notAFileReason(const formats::WriteTarget& resolved) {
    if (resolved.kind == formats::TargetKind::Unresolved) {
        return withReason("Its links cannot be followed:", resolved.systemError);
    }
    const std::string kind = "a " + std::string(kindName(resolved.kind));
    if (!resolved.isLink) {
        return "It is " + kind + ", not a file.";
    }
    return "It is a link to " + kind + ", not a file: " + resolved.path.string();
}

std::string notAFile(const std::filesystem::path& target, const formats::WriteTarget& resolved) {
    return "The file could not be written:\n" + target.string() + "\n" + notAFileReason(resolved);
}

std::string writeThroughLinkQuestion(const std::filesystem::path& link,
                                     const formats::WriteTarget& resolved) {
    const std::string end = resolved.path.string();
    if (resolved.kind == formats::TargetKind::Missing) {
        return link.string() + " is a symbolic link to " + end +
               ", which does not exist yet.\n\nWrite " + end + "? The link stays.";
    }
    return link.string() + " is a symbolic link to " + end + ".\n\nReplace " + end +
           "? The link stays.";
}

std::string noBackup(int pageNumber, const std::filesystem::path& file, int systemError) {
    return withReason("No backup of page " + std::to_string(pageNumber) + " was taken:\n" +
                          file.string() + "\nThe page was read all the same.",
                      systemError);
}

std::string otherByteOrderQuestion(const std::filesystem::path& file) {
    return file.filename().string() +
           " reads as a formatted card only in the other byte order: a raw card image named .dcm, "
           "or a .dcm named .bin or .vmu.\n\nTake it in that order?";
}

std::string inUse(const std::filesystem::path& card, std::optional<long> holder) {
    return card.string() + " is in use by another program" +
           (holder ? " (process " + std::to_string(*holder) + ")" : std::string()) +
           ". Close the card there first: two programs writing one card would lose each other's "
           "changes.";
}

std::string otherByteOrderRefused(const std::filesystem::path& file) {
    return file.string() +
           " reads as a formatted card only in the other byte order and was not taken in that "
           "order: in its own order it holds no card.";
}

std::string imageProblem(const adapter::ImageError& error) {
    const std::string path = error.path.string();
    std::string text;
    switch (error.problem) {
        case adapter::ImageProblem::UnknownKind:
            text = path + " is not a card image: choose a .bin, .vmu or .dcm file.";
            break;
        case adapter::ImageProblem::NotExactlyOnePage:
            text = path + " is not a card image: a card image holds exactly " +
                   std::to_string(card::PAGE_SIZE) + " bytes.";
            break;
        case adapter::ImageProblem::CannotRead:
            text = "Cannot read " + path + ".";
            break;
        case adapter::ImageProblem::NotAFile:
            text = path + " is not a card image: it is a folder, a device or a FIFO.";
            break;
        case adapter::ImageProblem::InUse:
            return inUse(error.path, error.holder);
        case adapter::ImageProblem::None:
            break;
    }
    return withReason(text, error.systemError);
}

std::string badPairName(std::string_view name) {
    return "\"" + std::string(name) +
           "\" cannot name a .vmi/.vms pair: the name of a .vms file is 1 to 8 capital letters "
           "A-Z, digits 0-9 and underscores.";
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
            saved += "\n" + file.cardName + " as " + file.fileName;
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
        skipped += "\n" + file.cardName + ": " + why;
    }
    std::string text = std::to_string(savedCount) + (savedCount == 1 ? " file" : " files") +
                       " saved in " + folder.string() + (savedCount > 0 ? ":" : ".") + saved;
    if (skippedCount > 0) {
        text += "\n\n" + std::to_string(skippedCount) + (skippedCount == 1 ? " file" : " files") +
                " skipped:" + skipped;
    }
    return text;
}

std::string makeVirtualCardQuestion(const std::filesystem::path& folder) {
    return "There is no virtual card folder " + folder.string() +
           ".\n\nMake a new virtual card there?";
}

std::string virtualCardProblem(const adapter::FolderError& error) {
    const std::string path = error.path.string();
    std::string text;
    switch (error.problem) {
        case adapter::FolderProblem::NotAFolder:
            text = path + " is not a folder.";
            break;
        case adapter::FolderProblem::CannotCreate:
            text = "Cannot create the virtual card folder " + path + ".";
            break;
        case adapter::FolderProblem::CannotWriteSample:
            text = "Cannot write " + path + ".";
            break;
        case adapter::FolderProblem::NotAPageImage:
            text = path + " is not a page image: it must be exactly " +
                   std::to_string(card::PAGE_SIZE) + " bytes.";
            break;
        case adapter::FolderProblem::CannotRead:
            text = "Cannot read " + path + ".";
            break;
        case adapter::FolderProblem::NoFirstPage:
            text = "The folder holds no " + error.path.filename().string() + ".";
            break;
        case adapter::FolderProblem::Missing:
            text = path +
                   " does not exist or is empty. Make a card there with the create "
                   "command: quorvane-cli --virtual-card " +
                   path + " create";
            break;
        case adapter::FolderProblem::NotEmpty:
            text = path + " holds files already; a new card is made only in an empty folder.";
            break;
        case adapter::FolderProblem::InUse:
            return inUse(error.path, error.holder);
        case adapter::FolderProblem::None:
            break;
    }
    return withReason("Cannot use the virtual card folder: " + text, error.systemError);
}

namespace {

std::string hex(std::uint32_t value, int digits) {
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        text += DIGITS[(value >> shift) & 0xF];
    }
    return text;
}

// "100-135, 140, 150-151": runs of consecutive blocks.
std::string blockRanges(const std::vector<int>& blocks) {
    std::string text;
    for (std::size_t i = 0; i < blocks.size();) {
        std::size_t j = i;
        while (j + 1 < blocks.size() && blocks[j + 1] == blocks[j] + 1) {
            ++j;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(blocks[i]) +
                (j > i ? "-" + std::to_string(blocks[j]) : "");
        i = j + 1;
    }
    return text;
}

// The name as the list shows it: a line break or a terminal's control in it is not obeyed.
std::string fileLabel(const card::PageBytes& pageImage, int slot) {
    return card::printableUtf8(card::nameToUtf8(card::entryName(card::readSlot(pageImage, slot)))) +
           " (slot " + std::to_string(slot) + ")";
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
            return "its name cannot be used as a PC file name (a warning: the file is sound, but "
                   "no .ddc can be saved under its name)";
    }
    return {};
}

namespace {

// 0x378, or 0xD010 for a port card's higher address.
std::string hexAddress(std::uint16_t base) {
    return hex(base, base > 0xFFF ? 4 : 3);
}

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
    const std::string path = attempt.path.string();
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

std::string freeLostBlocksQuestion(const std::vector<int>& lostBlocks) {
    return "Free the " + std::to_string(lostBlocks.size()) + " lost blocks (" +
           blockRanges(lostBlocks) +
           ")?\n\nNo file's chain reaches them. The page is written to the card at once.";
}

std::string pagesOnCard(int pageCount) {
    return std::to_string(pageCount) + (pageCount == 1 ? " page" : " pages") +
           " on this Memory card.";
}

std::string cardBackedUp(int pageCount) {
    return "Memory card backed up: " + std::to_string(pageCount) +
           (pageCount == 1 ? " page." : " pages.");
}

std::string replaceBackupQuestion(const std::filesystem::path& folder,
                                  const std::vector<std::string>& changes) {
    std::string list;
    for (const std::string& change : changes) {
        list += "\n" + change;
    }
    return folder.string() + " already holds page files." + list +
           "\n\nReplace them with the pages of this Memory card?";
}

std::string pageFileReplaced(const std::filesystem::path& file,
                             const formats::WriteTarget& resolved) {
    const std::string name = file.filename().string();
    if (!resolved.isLink) {
        return name + ": replaced.";
    }
    return name + ": a link to " + resolved.path.string() + ", which is " +
           (resolved.kind == formats::TargetKind::Missing ? "written" : "replaced") +
           "; the link stays.";
}

std::string pageFileRemoved(const std::filesystem::path& file,
                            const formats::WriteTarget& resolved) {
    const std::string name = file.filename().string();
    if (!resolved.isLink) {
        return name + ": removed.";
    }
    return name + ": a link to " + resolved.path.string() + "; the link is removed, not " +
           resolved.path.filename().string() + ".";
}

std::string backupBlockedBy(const std::filesystem::path& file,
                            const formats::WriteTarget& resolved) {
    return "A backup neither replaces nor removes " + file.string() + "\n" +
           notAFileReason(resolved) + "\n\nNothing was written.";
}

std::string backupWrittenSoFar(int pagesWritten, int pageCount) {
    const std::string of = " of " + std::to_string(pageCount);
    if (pagesWritten == 0) {
        return "No page was written.";
    }
    if (pagesWritten == pageCount) {
        return pageCount == 1 ? "Page 1 was written."
                              : "All " + std::to_string(pageCount) + " pages were written.";
    }
    if (pagesWritten == 1) {
        return "Page 1" + of + " was written; the rest were not.";
    }
    return "Pages 1 to " + std::to_string(pagesWritten) + of + " were written; the rest were not.";
}

std::string folderFailure(const std::filesystem::path& folder, int systemError) {
    return withReason("The folder could not be made:\n" + folder.string(), systemError);
}

std::string removeFailure(const std::filesystem::path& target, int systemError) {
    return withReason("The file could not be removed:\n" + target.string(), systemError);
}

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
                ", " + port.device.string() + ": ";
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
    text += "\nThe addresses of the Parallel Port buttons:";
    for (const link::PortReport& report : addresses) {
        text += "\n  " + hexAddress(report.base) + ": ";
        if (report.chosen != link::Backend::None) {
            text += backendText(report);
            continue;
        }
        text += "no way to the port";
        for (const link::PortAttempt& attempt : report.attempts) {
            text += "; " + problemText(attempt, report.base);
            remember(remedyText(attempt));
        }
    }
    for (const std::string& remedy : remedies) {
        text += "\n- " + remedy;
    }
    return text + "\n";
}

namespace cli {

std::string versionLine() {
    return std::string(PROGRAM) + " " + std::string(VERSION);
}

namespace {

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace

std::string unknownCommand(std::string_view command) {
    return "unknown command " + quoted(command);
}

std::string unknownOption(std::string_view option) {
    return "unknown option " + quoted(option);
}

std::string optionNotTaken(std::string_view command, std::string_view option) {
    return std::string(command) + " takes no option " + std::string(option);
}

std::string optionGivenTwice(std::string_view option) {
    return std::string(option) + " is given twice";
}

std::string missingValue(std::string_view option) {
    return std::string(option) + " needs a value";
}

std::string badPage(std::string_view value) {
    return "--page takes a page number from 1 to " + std::to_string(link::MAX_PAGES) + ", not " +
           quoted(value);
}

std::string badPort(std::string_view value) {
    return "--port takes a port address such as 0x378 or 888, not " + quoted(value);
}

std::string unusablePort(std::string_view value, const std::vector<link::KernelPort>& kernelPorts) {
    std::string text = "--port takes ";
    for (std::size_t i = 0; i < link::PORT_ADDRESSES.size(); ++i) {
        const bool last = i + 1 == link::PORT_ADDRESSES.size();
        text += (i == 0 ? "" : last ? " or " : ", ") + hexAddress(link::PORT_ADDRESSES[i]);
    }
    text += ", or a parallel port the kernel lists (";
    std::string listed;
    for (const link::KernelPort& port : kernelPorts) {
        if (!port.bases.empty()) {
            listed += (listed.empty() ? "" : ", ") + hexAddress(port.bases.front()) + " or " +
                      port.device.string();
        }
    }
    return text + (listed.empty() ? "none now" : listed) + "), not " + quoted(value);
}

std::string badFormat(std::string_view value) {
    return "--format takes ddc or vms, not " + quoted(value);
}

std::string missingOperand(std::string_view command, std::string_view operand) {
    return std::string(command) + " needs " + std::string(operand);
}

std::string extraOperand(std::string_view command, std::string_view operand) {
    return std::string(command) + " takes no further argument " + quoted(operand);
}

std::string needsTo(std::string_view command) {
    return std::string(command) + " needs --to DIR";
}

std::string cardCreated(const std::filesystem::path& folder) {
    return "A virtual card of " + std::to_string(adapter::NEW_FOLDER_PAGES) +
           " empty pages was made in " + folder.string() + ".";
}

std::string noCardFile(std::string_view name, int pageNumber) {
    return "No card file named " + quoted(name) + " on page " + std::to_string(pageNumber) + ".";
}

std::string replaceFileQuestion(const std::filesystem::path& target) {
    return target.string() + " already exists.\nDo you want to replace it?";
}

std::string blockCount(unsigned blocks) {
    return std::to_string(blocks) + (blocks == 1 ? " block" : " blocks");
}

}  // namespace cli

}  // namespace quorvane::app::text
