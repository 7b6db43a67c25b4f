// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/texts.h"

#include <cstring>

#include "adapter/virtual_adapter.h"
#include "card/card_text.h"
#include "formats/safe_write.h"

namespace quorvane::app::text {

std::string currentPage(int pageNumber) {
    return "Current Page : " + std::to_string(pageNumber);
}

std::string writingBlock(int block) {
    return "Writing block " + std::to_string(block) + "... ";
}

std::string blocksBeyondUserArea(const std::vector<std::string>& names) {
    std::string lines;
    for (const std::string& name : names) {
        lines += (lines.empty() ? "" : "\n") + card::nameToUtf8(name);
    }
    return "These files keep data in blocks 200 to 240 of the image:\n\n" + lines +
           "\n\nThose blocks cannot be written to the card: the card will list the files, but "
           "their blocks beyond 199 will hold what the card holds there now.\n\nImport the "
           "page anyway?";
}

std::string onlyPages(int pageCount) {
    // The adapters of the old program held several pages; a card of one page (an image) is ours.
    if (pageCount == 1) {
        return "There is only one page on this Memory card";
    }
    return "There are only " + std::to_string(pageCount) + " pages on this Memory card";
}

std::string withReason(std::string text, int systemError) {
    if (systemError != 0) {
        text += text.ends_with(':') && text.find('\n') == std::string::npos ? " " : "\n";
        text += std::strerror(systemError);
    }
    return text;
}

std::string importRefusal(std::string_view refusal, const std::filesystem::path& file,
                          int systemError) {
    return withReason(std::string(refusal) + "\n" + pathText(file) + (systemError != 0 ? ":" : ""),
                      systemError);
}

std::string longerThanOneCard(const std::filesystem::path& file, std::uint64_t length) {
    return pathText(file) + " holds " + std::to_string(length) +
           " bytes, more than one card; only its first " + std::to_string(card::PAGE_SIZE) +
           " would be written.\n\nImport it anyway?";
}

std::string notFormattedQuestion(const std::filesystem::path& file) {
    return pathText(file) +
           " is not a formatted card; the card would need formatting on the console.\n\n"
           "Import it anyway?";
}

std::string readOnlyCard(const std::filesystem::path& path, int systemError) {
    return "The card is read-only: " + pathText(path) + " cannot be written (" +
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
    return withReason("The file could not be written:\n" + pathText(target), systemError);
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
    return "It is a link to " + kind + ", not a file: " + pathText(resolved.path);
}

std::string notAFile(const std::filesystem::path& target, const formats::WriteTarget& resolved) {
    return "The file could not be written:\n" + pathText(target) + "\n" + notAFileReason(resolved);
}

std::string writeThroughLinkQuestion(const std::filesystem::path& link,
                                     const formats::WriteTarget& resolved) {
    const std::string end = pathText(resolved.path);
    if (resolved.kind == formats::TargetKind::Missing) {
        return pathText(link) + " is a symbolic link to " + end +
               ", which does not exist yet.\n\nWrite " + end + "? The link stays.";
    }
    return pathText(link) + " is a symbolic link to " + end + ".\n\nReplace " + end +
           "? The link stays.";
}

std::string noBackup(int pageNumber, const std::filesystem::path& file, int systemError) {
    return withReason("No backup of page " + std::to_string(pageNumber) + " was taken:\n" +
                          pathText(file) + (systemError != 0 ? ":" : ""),
                      systemError) +
           "\nThe page was read all the same.";
}

std::string otherByteOrderQuestion(const std::filesystem::path& file) {
    return pathText(file.filename()) +
           " reads as a formatted card only in the other byte order: a raw card image named .dcm, "
           "or a .dcm named .bin or .vmu.\n\nTake it in that order?";
}

std::string inUse(const std::filesystem::path& card, std::optional<long> holder) {
    return pathText(card) + " is in use by another program" +
           (holder ? " (process " + std::to_string(*holder) + ")" : std::string()) +
           ". Close the card there first: two programs writing one card would lose each other's "
           "changes.";
}

std::string otherByteOrderRefused(const std::filesystem::path& file) {
    return pathText(file) +
           " reads as a formatted card only in the other byte order and was not taken in that "
           "order: in its own order it holds no card.";
}

std::string imageProblem(const adapter::ImageError& error) {
    const std::string path = pathText(error.path);
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
    return "\"" + systemText(name) +
           "\" cannot name a .vmi/.vms pair: the name of a .vms file is 1 to 8 capital letters "
           "A-Z, digits 0-9 and underscores.";
}

std::string pairWithoutData(std::string_view cardName) {
    return card::nameToUtf8(cardName) +
           " holds no data: its .vms file would be empty, and an empty .vms file cannot be added "
           "back. Save it as a .ddc file.";
}

namespace {

std::string filesQuestion(std::string_view verb, const std::vector<std::string>& cardNames) {
    std::string question =
        std::string(verb) + " these " + std::to_string(cardNames.size()) + " files?\n";
    for (const std::string& name : cardNames) {
        question += "\n" + card::nameToUtf8(name);
    }
    return question;
}

}  // namespace

std::string deleteFilesQuestion(const std::vector<std::string>& cardNames) {
    return filesQuestion("Delete", cardNames);
}

std::string copyFilesQuestion(const std::vector<std::string>& cardNames) {
    return filesQuestion("Copy", cardNames) + "\n\nNames already in the folder get a number.";
}

std::string transferQuestion(bool move, const std::vector<std::string>& cardNames,
                             std::string_view target) {
    const std::string verb = move ? "Move" : "Copy";
    const std::string to = " to " + std::string(target) + "?";
    if (cardNames.size() == 1) {
        return verb + " " + card::nameToUtf8(cardNames.front()) + to;
    }
    std::string question = filesQuestion(verb, cardNames);
    return question.insert(question.find('?'), to.substr(0, to.size() - 1));
}

std::string stalePage(int pageNumber) {
    return "Page " + std::to_string(pageNumber) +
           " was changed from the other side of the window since it was read here. Read it "
           "again (Select/Refresh) before changing it.";
}

std::string replaceSameName(std::string_view cardName) {
    return "A file named " + card::nameToUtf8(cardName) + " is already on this page. Replace it?";
}

std::string replaceGame(std::string_view cardName) {
    return "The game " + card::nameToUtf8(cardName) +
           " is already on this page, and a card holds only one game. Replace it?";
}

std::string sharedBlocksQuestion(std::string_view cardName,
                                 const std::vector<std::string>& others) {
    std::string names;
    for (const std::string& other : others) {
        names += (names.empty() ? "" : ", ") + card::printableUtf8(card::nameToUtf8(other));
    }
    return card::printableUtf8(card::nameToUtf8(cardName)) + " shares blocks with " + names +
           " on the card: the saved file would hold the other " +
           (others.size() == 1 ? "file's" : "files'") +
           " blocks as well as its own.\n\nSave it anyway?";
}

std::string makeVirtualCardQuestion(const std::filesystem::path& folder) {
    return "There is no virtual card folder " + pathText(folder) +
           ".\n\nMake a new virtual card there?";
}

std::string virtualCardProblem(const adapter::FolderError& error) {
    const std::string path = pathText(error.path);
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
            text = "The folder holds no " + pathText(error.path.filename()) + ".";
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

std::string hex(std::uint32_t value, int digits) {
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        text += DIGITS[(value >> shift) & 0xF];
    }
    return text;
}

std::string hexAddress(std::uint16_t base) {
    return hex(base, base > 0xFFF ? 4 : 3);
}

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

std::string quoted(std::string_view text) {
    return "'" + systemText(text) + "'";
}

std::string systemText(std::string_view bytes) {
    return card::isUtf8(bytes) ? std::string(bytes) : card::nameToUtf8(bytes);
}

std::string pathText(const std::filesystem::path& path) {
    return systemText(path.native());
}

std::string freeLostBlocksQuestion(const std::vector<int>& lostBlocks) {
    return "Free the " + std::to_string(lostBlocks.size()) + " lost blocks (" +
           blockRanges(lostBlocks) +
           ")?\n\nNo file's chain reaches them. The page is written to the card at once.";
}

std::string formatPageQuestion(int pageNumber) {
    return "Format page " + std::to_string(pageNumber) + "? Every file on it will be lost.";
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
    return pathText(folder) + " already holds page files." + list +
           "\n\nReplace them with the pages of this Memory card?";
}

std::string pageFileReplaced(const std::filesystem::path& file,
                             const formats::WriteTarget& resolved) {
    const std::string name = pathText(file.filename());
    if (!resolved.isLink) {
        return name + ": replaced.";
    }
    return name + ": a link to " + pathText(resolved.path) + ", which is " +
           (resolved.kind == formats::TargetKind::Missing ? "written" : "replaced") +
           "; the link stays.";
}

std::string pageFileRemoved(const std::filesystem::path& file,
                            const formats::WriteTarget& resolved) {
    const std::string name = pathText(file.filename());
    if (!resolved.isLink) {
        return name + ": removed.";
    }
    return name + ": a link to " + pathText(resolved.path) + "; the link is removed, not " +
           pathText(resolved.path.filename()) + ".";
}

std::string backupBlockedBy(const std::filesystem::path& file,
                            const formats::WriteTarget& resolved) {
    return "A backup neither replaces nor removes " + pathText(file) + "\n" +
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
    return withReason("The folder could not be made:\n" + pathText(folder), systemError);
}

std::string removeFailure(const std::filesystem::path& target, int systemError) {
    return withReason("The file could not be removed:\n" + pathText(target), systemError);
}

namespace cli {

std::string cardCreated(const std::filesystem::path& folder) {
    return "A virtual card of " + std::to_string(adapter::NEW_FOLDER_PAGES) +
           " empty pages was made in " + pathText(folder) + ".";
}

std::string noCardFile(std::string_view name, int pageNumber) {
    return "No card file named " + quoted(name) + " on page " + std::to_string(pageNumber) + ".";
}

std::string replaceFileQuestion(const std::filesystem::path& target) {
    return pathText(target) + " already exists.\nDo you want to replace it?";
}

namespace {

std::string listed(const std::vector<std::string>& files) {
    std::string list;
    for (const std::string& file : files) {
        list += (list.empty() ? "" : ", ") + systemText(file);
    }
    return list;
}

}  // namespace

std::string notAdded(std::string_view file, const std::vector<std::string>& added,
                     const std::vector<std::string>& notTried) {
    std::string text = "Not added: " + systemText(file) + ".";
    text += added.empty() ? " Nothing was added." : " Added before it: " + listed(added) + ".";
    if (!notTried.empty()) {
        text += " Not tried: " + listed(notTried) + ".";
    }
    return text;
}

std::string blockCount(unsigned blocks) {
    return std::to_string(blocks) + (blocks == 1 ? " block" : " blocks");
}

}  // namespace cli

}  // namespace quorvane::app::text
