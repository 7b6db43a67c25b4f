// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/screen.h"
#include "card/page_layout.h"

namespace quorvane::formats {
struct WriteTarget;
}  // namespace quorvane::formats
namespace quorvane::adapter {
struct FolderError;
struct ImageError;
}  // namespace quorvane::adapter

// The program's texts: status lines, message boxes (text, caption, buttons, icon) and the file
// dialogs' filters, the words of the commands in both front ends; the reports that the commands
// show are in app/reports.h. Each is UTF-8: a card name is decoded where it enters a text. The
// adapter's users know these texts as they stand, oddities included; where one is odd on
// purpose a comment says so. Texts of our own (for cases the old program never handled) are
// marked as such.
namespace quorvane::app::text {

using Box = MessageBox;

// --- Captions ---
inline constexpr std::string_view CONNECTION_CAPTION = "Connection Error";
inline constexpr std::string_view PAGE_RANGE_CAPTION = "Page out of range";
inline constexpr std::string_view WRITING_PAGE_CAPTION = "Writing to Memory Page";
inline constexpr std::string_view LAST_CHANCE_CAPTION = "Last Chance Warning!";
inline constexpr std::string_view WRITE_CARD_CAPTION = "Write Memory Card";
inline constexpr std::string_view DELETE_CAPTION = "Delete file";
// The add command's boxes carry two captions, both ending in a full stop.
inline constexpr std::string_view COPY_TO_CARD_CAPTION = "Copy file to DC Memory pack.";
inline constexpr std::string_view ADD_FILE_CAPTION = "Add a file to DC Memory pack.";
// Save File's boxes share the caption of "<--".
inline constexpr std::string_view COPY_TO_PC_CAPTION = "Copy file to PC";
inline constexpr std::string_view IMPORT_CAPTION = "Import .DCM file";
inline constexpr std::string_view EXPORT_CAPTION = "Export to .DCM file";

// --- Status line: reading and committing a page ---
inline constexpr std::string_view CONNECTING = "Connecting to Memory card.......";
inline constexpr std::string_view CONNECTION_FAILED_STATUS = "Connection FAILED!!!";
inline constexpr std::string_view CONNECTED = "Connected....";
inline constexpr std::string_view READING = "Reading Memory card.......";
inline constexpr std::string_view CHANGING_PAGES = "Changing pages...Please wait.....";
inline constexpr std::string_view PAGE_CHANGED = "Page changed.......";
inline constexpr std::string_view BLOCK_READ_OK = "Block read OK...";
inline constexpr std::string_view BLOCK_READ_ERROR = "Block read error...";
inline constexpr std::string_view READ_SUCCESSFUL = "Memory card read successful.";
inline constexpr std::string_view TIMEOUT = "Timeout error.......";
inline constexpr std::string_view WRITING = "Writing to Memory card.......";
inline constexpr std::string_view BLOCK_WRITE_ERROR_STATUS = "Block write error...";
inline constexpr std::string_view WRITTEN_SUCCESSFULLY = "Memory card written successfully....";
inline constexpr std::string_view CURRENT_PAGE_NONE = "Current Page : NONE";
std::string currentPage(int pageNumber);  // "Current Page : 3"
std::string writingBlock(int block);      // "Writing block 17... ", with its trailing space

// --- Status line: the commands ---
inline constexpr std::string_view CANCELLED = "Action cancelled...";
// The export alone has always said it with a capital C.
inline constexpr std::string_view EXPORT_CANCELLED = "Action Cancelled...";
inline constexpr std::string_view NO_FILE_SELECTED_STATUS = "No file selected...";
inline constexpr std::string_view FILE_DELETED = "File Deleted.";
inline constexpr std::string_view FILES_DELETED = "Files Deleted.";
// Three dots on the status line, one full stop in the box.
inline constexpr std::string_view WONT_FIT_STATUS = "This file won't fit on this page...";
inline constexpr std::string_view FILE_SAVED = "File saved...";
inline constexpr std::string_view DCM_WRITTEN = "DCM file written...";
// Ours: a save or export that could not be written, nothing read yet, no PC folder chosen.
inline constexpr std::string_view FILE_NOT_SAVED = "File not saved...";
inline constexpr std::string_view DCM_NOT_WRITTEN = "DCM file not written...";
inline constexpr std::string_view NO_PAGE_STATUS = "No page read...";
inline constexpr std::string_view NO_FOLDER_STATUS = "No folder selected...";

// --- The PC pane ---
inline constexpr std::string_view REFRESHING_FILE_SYSTEM = "Refreshing file system.......";
inline constexpr std::string_view FILE_SYSTEM_REFRESHED = "File system refreshed.......";

// --- Message boxes: reading and committing a page ---
inline constexpr Box CONNECTION_FAILED{"Connection FAILED.", CONNECTION_CAPTION, BoxButtons::Ok,
                                       BoxIcon::Error};
inline constexpr Box PAGE_MISMATCH{"Page on Memory pack is not the same as the page read.",
                                   WRITING_PAGE_CAPTION, BoxButtons::Ok, BoxIcon::Warning};
// Two line breaks, then 27 spaces before the question.
inline constexpr Box COMMIT_QUESTION{
    "Committing to Memory pack will overwrite data\n\n                           Are you sure?",
    LAST_CHANCE_CAPTION, BoxButtons::YesNo, BoxIcon::Warning};
inline constexpr Box BLOCK_WRITE_ERROR{"Block write ERROR", WRITE_CARD_CAPTION, BoxButtons::Ok,
                                       BoxIcon::Warning};
// "There are only 4 pages on this Memory card"; ours for a card of one page.
std::string onlyPages(int pageCount);
inline constexpr BoxIcon PAGE_RANGE_ICON = BoxIcon::Warning;

// --- Message boxes: the commands ---
// Delete File, Save File and "<--" each give it their own caption.
constexpr Box noFileSelected(std::string_view caption) {
    return {"No File Selected", caption, BoxButtons::Ok, BoxIcon::Warning};
}
inline constexpr Box DELETE_QUESTION{"Are you sure?", DELETE_CAPTION, BoxButtons::YesNo,
                                     BoxIcon::Question};
inline constexpr Box NOT_A_DREAMCAST_FILE{"This is not a Dreamcast file", COPY_TO_CARD_CAPTION,
                                          BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box WONT_FIT{"This file won't fit on this page.", COPY_TO_CARD_CAPTION,
                              BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box FILE_NOT_FOUND{"File Not Found.", ADD_FILE_CAPTION, BoxButtons::Ok,
                                    BoxIcon::Warning};
inline constexpr Box NO_VMS_PARTNER{"Cannot find corresponding VMS file.", ADD_FILE_CAPTION,
                                    BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box NO_VMI_PARTNER{"Cannot find corresponding VMI file.", ADD_FILE_CAPTION,
                                    BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box OVERWRITE_QUESTION{"File Already exists, Overwrite?", COPY_TO_PC_CAPTION,
                                        BoxButtons::YesNo, BoxIcon::Question};
inline constexpr Box COPY_QUESTION{"Copy file to PC?", COPY_TO_PC_CAPTION, BoxButtons::YesNo,
                                   BoxIcon::Question};
// Two line breaks, then 29 spaces before the question.
inline constexpr Box IMPORT_WARNING{
    "WARNING!! - All data on the selected page will be deleted.\n\n"
    "                             Continue?",
    IMPORT_CAPTION, BoxButtons::YesNo, BoxIcon::Warning};
// Ours: the imported image holds files in blocks 200..240, which no commit writes. `names` are
// the files' name bytes, shown one a line.
std::string blocksBeyondUserArea(const std::vector<std::string>& names);
inline constexpr std::string_view BEYOND_USER_AREA_CAPTION = IMPORT_CAPTION;
inline constexpr Box IMPORT_FILE_NOT_FOUND{"File Not Found.", IMPORT_CAPTION, BoxButtons::Ok,
                                           BoxIcon::Warning};

// --- Message boxes of our own, for what the old program never handled ---
inline constexpr std::string_view NO_PAGE =
    "Read a page from the Memory card first (Select/Refresh).";
inline constexpr Box UNSUPPORTED_TYPE{
    "This file type is not supported. Choose a .ddc, .dci, .vmi or .vms file.",
    COPY_TO_CARD_CAPTION, BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box DAMAGED_FILE{
    "This file is damaged: it is shorter than its header or its blocks.", COPY_TO_CARD_CAPTION,
    BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box FREE_ENTRY_TYPE{
    "This file's directory entry is marked free; it is not a usable Dreamcast file.",
    COPY_TO_CARD_CAPTION, BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box VMI_TOO_SHORT{"The VMI file is too short to hold a file name.",
                                   COPY_TO_CARD_CAPTION, BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box EMPTY_VMS{"The VMS file is empty.", COPY_TO_CARD_CAPTION, BoxButtons::Ok,
                               BoxIcon::Warning};
inline constexpr Box CANNOT_READ_ADDED{"The file could not be read.", ADD_FILE_CAPTION,
                                       BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box DAMAGED_ON_CARD{"This file is damaged on the card and cannot be saved.",
                                     COPY_TO_PC_CAPTION, BoxButtons::Ok, BoxIcon::Warning};
// The question before a file whose chain shares blocks with the chains of `others` (their name
// bytes) is saved: the saved file would hold their blocks.
std::string sharedBlocksQuestion(std::string_view cardName, const std::vector<std::string>& others);
inline constexpr Box NO_FOLDER{"Choose a folder in the PC pane first.", COPY_TO_PC_CAPTION,
                               BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box UNUSABLE_PC_NAME{"This file's name cannot be used as a PC file name.",
                                      COPY_TO_PC_CAPTION, BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box NOT_A_PAGE_IMAGE{
    "This is not a page image: a .dcm file holds exactly 131072 bytes.", IMPORT_CAPTION,
    BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box CANNOT_READ_IMPORTED{"The file could not be read.", IMPORT_CAPTION,
                                          BoxButtons::Ok, BoxIcon::Warning};
inline constexpr Box NOT_A_RAW_IMAGE{
    "This is not a card image: a .bin or .vmu file holds exactly 131072 bytes.", IMPORT_CAPTION,
    BoxButtons::Ok, BoxIcon::Warning};
inline constexpr std::string_view NOT_A_FILE =
    "This is not a file but a folder, a device or a FIFO: it cannot be read.";
inline constexpr Box NOT_A_FILE_ADDED{NOT_A_FILE, ADD_FILE_CAPTION, BoxButtons::Ok,
                                      BoxIcon::Warning};
// A refusal of the import's file: its words, the file and the system's reason.
std::string importRefusal(std::string_view refusal, const std::filesystem::path& file,
                          int systemError);
// An import file longer than one card: only its first page would be written.
std::string longerThanOneCard(const std::filesystem::path& file, std::uint64_t length);
// An import file whose root block has no format mark in either byte order.
std::string notFormattedQuestion(const std::filesystem::path& file);
// The card is open read-only: `path` (the page's file or its folder) may not be written.
std::string readOnlyCard(const std::filesystem::path& path, int systemError);
// Before the first edit that removes files from a page of which no backup was taken.
std::string noBackupQuestion(std::string_view reason);
// The system's words for an errno.
std::string systemReason(int systemError);
// The system's words for an errno, after the rest of a message (on a line of its own when the
// text ends at a line break, else after a space); the text alone when there is none.
std::string withReason(std::string text, int systemError);
// "The file could not be written:", the path and the system's reason; shown as an error.
std::string writeFailure(const std::filesystem::path& target, int systemError);
inline constexpr BoxIcon WRITE_FAILURE_ICON = BoxIcon::Error;
// Ours: why a file cannot be written where `resolved` leads: "It is a folder.", "It is a link to
// the FIFO /tmp/x." and the like (the system's words where the links could not be followed).
std::string notAFileReason(const formats::WriteTarget& resolved);
// "The file could not be written:", the path and that reason; shown as an error.
std::string notAFile(const std::filesystem::path& target, const formats::WriteTarget& resolved);
// Ours: the question before a file is written through the symbolic link `link`.
std::string writeThroughLinkQuestion(const std::filesystem::path& link,
                                     const formats::WriteTarget& resolved);

// --- File dialogs ---
inline constexpr FileFilter ADD_FILTERS[] = {
    {"DC Memory Card File (*.ddc)", "*.ddc"},
    {"DC Memory Card File (*.dci)", "*.dci"},
    {"DC Memory Card File (*.vmi,*.vms)", "*.vmi;*.vms"},
};
// Beyond the adapter users' own first filters: the choices of ours come after them.
inline constexpr FileFilter SAVE_FILTERS[] = {{"DC Memory Card File (*.ddc)", "*.ddc"},
                                              {"VMS file with its VMI (*.vms)", "*.vms"}};
// The two dialogs name the same file differently.
inline constexpr FileFilter IMPORT_FILTERS[] = {{"DCM Memory Card File (*.dcm)", "*.dcm"},
                                                {"Card image (*.bin *.vmu)", "*.bin;*.vmu"}};
inline constexpr FileFilter EXPORT_FILTERS[] = {{"DC Memory Card (*.dcm)", "*.dcm"},
                                                {"Card image (*.bin *.vmu)", "*.bin;*.vmu"}};
// Opening a card image as the card, and the formats Save All Files offers.
inline constexpr FileFilter IMAGE_FILTERS[] = {{"Card image (*.bin *.vmu)", "*.bin;*.vmu"},
                                               {"DCM Memory Card File (*.dcm)", "*.dcm"}};
inline constexpr FileFilter SAVE_ALL_FORMATS[] = {{"DC Memory Card File (*.ddc)", "*.ddc"},
                                                  {"VMS file with its VMI (*.vms)", "*.vms"}};

// --- The page check (ours) ---
inline constexpr std::string_view CHECK_CAPTION = "Check Page";
inline constexpr std::string_view LOST_BLOCKS_FREED = "Lost blocks freed.";
// The question before the lost blocks are freed and the page committed.
std::string freeLostBlocksQuestion(const std::vector<int>& lostBlocks);

// A PC path, or a value typed on a command line, as it reads in a text: the system's UTF-8, or
// one character per byte where its bytes are not UTF-8 (a name written in another encoding).
std::string systemText(std::string_view bytes);
std::string pathText(const std::filesystem::path& path);
// The forms that several texts share: "0x33" (`digits` hex digits), a port's address ("0x378",
// or "0xD010" for a port card's higher address), runs of blocks ("100-135, 140, 150-151") and a
// typed value in quotes ("'x'", as systemText reads it).
std::string hex(std::uint32_t value, int digits);
std::string hexAddress(std::uint16_t base);
std::string blockRanges(const std::vector<int>& blocks);
std::string quoted(std::string_view text);

// --- Backups (ours) ---
inline constexpr std::string_view BACKUP_CAPTION = "Backup";
// "No backup of page 3 was taken:", the file and the system's reason, then that the read
// stands.
std::string noBackup(int pageNumber, const std::filesystem::path& file, int systemError);

// --- Pages and the backup command (ours) ---
std::string pagesOnCard(int pageCount);  // "4 pages on this Memory card."
inline constexpr std::string_view BACKUP_CARD_CAPTION = "Back up the Memory card";
inline constexpr std::string_view BACKUP_NOT_WRITTEN = "Backup not written...";
std::string cardBackedUp(int pageCount);  // "Memory card backed up: 4 pages."
// The question before a backup replaces the page files that a folder holds; `changes` says
// what becomes of each, one a line.
std::string replaceBackupQuestion(const std::filesystem::path& folder,
                                  const std::vector<std::string>& changes);
// The lines of that question: "page-01.dcm: replaced.", "page-07.dcm: removed.", and for a
// symbolic link where it leads and that the link stays or goes.
std::string pageFileReplaced(const std::filesystem::path& file,
                             const formats::WriteTarget& resolved);
std::string pageFileRemoved(const std::filesystem::path& file,
                            const formats::WriteTarget& resolved);
// A page file's name taken by what a backup neither replaces nor removes; nothing was written.
std::string backupBlockedBy(const std::filesystem::path& file,
                            const formats::WriteTarget& resolved);
// After a backup that failed part way: which pages it had written ("Pages 1 to 3 of 4 were
// written; the rest were not.").
std::string backupWrittenSoFar(int pagesWritten, int pageCount);
// "The folder could not be made:" or "The file could not be removed:", the path and the
// system's reason; shown as errors.
std::string folderFailure(const std::filesystem::path& folder, int systemError);
std::string removeFailure(const std::filesystem::path& target, int systemError);

// --- Card images and .vmi/.vms pairs (ours) ---
inline constexpr std::string_view IMAGE_CAPTION = "Card image";
// The file read as a formatted card only in the other byte order: most likely renamed.
std::string otherByteOrderQuestion(const std::filesystem::path& file);
// The same, when it cannot be taken in that order: not asked, or answered No.
std::string otherByteOrderRefused(const std::filesystem::path& file);
std::string imageProblem(const adapter::ImageError& error);
// Another program holds the card (the adapter's port, a virtual card or an image).
std::string inUse(const std::filesystem::path& card, std::optional<long> holder);
inline constexpr std::string_view SWITCH_CARD_QUESTION =
    "Changes not yet written to the card will be dropped.\n\nSwitch to the other card anyway?";
// NAME of NAME.vms is the pair's resource name: A-Z, 0-9 and _ only, 1 to 8 of them.
std::string badPairName(std::string_view name);
// A file of no blocks, refused as a pair: a pair the program writes always adds back.
std::string pairWithoutData(std::string_view cardName);
// Adding a file whose name the page already holds: the console cannot tell two apart.
std::string replaceSameName(std::string_view cardName);
// Adding a game to a page that holds one (NAME): a card runs one game.
std::string replaceGame(std::string_view cardName);
// Several files removed at once: how many, and their names.
std::string deleteFilesQuestion(const std::vector<std::string>& cardNames);
std::string copyFilesQuestion(const std::vector<std::string>& cardNames);
// Between the window's two cards: "Copy RACEDATA_001 to page 7?", or "Move these 3 files to
// card.dcm?" and the names.
std::string transferQuestion(bool move, const std::vector<std::string>& cardNames,
                             std::string_view target);
// "Page 3 was changed from the other side ...": a page read before the other side wrote it.
std::string stalePage(int pageNumber);
inline constexpr std::string_view COPY_BETWEEN_CAPTION = "Copy to the Other Card";
inline constexpr std::string_view MOVE_BETWEEN_CAPTION = "Move to the Other Card";
inline constexpr std::string_view MAKE_ROOM_FOR_GAME =
    "Move other files to make room for the game at the start of the card?";
inline constexpr Box START_NOT_MOVABLE{
    "The game cannot be placed at the start of the card: a block there belongs to a damaged "
    "file or to no file at all. Check the page (Tools, Check Page) and free its lost blocks "
    "first.",
    COPY_TO_CARD_CAPTION, BoxButtons::Ok, BoxIcon::Warning};
inline constexpr std::string_view SAVE_ALL_CAPTION = "Save All Files";
inline constexpr std::string_view FILES_SAVED = "Files saved...";
inline constexpr std::string_view FILES_NOT_SAVED = "Files not saved...";

// --- Formatting (ours): a page, or a new card image ---
inline constexpr std::string_view NOT_FORMATTED = "This page is not formatted.";
inline constexpr std::string_view READ_CARD_CAPTION = "Read Memory Card";
inline constexpr Box NOT_FORMATTED_READ{NOT_FORMATTED, READ_CARD_CAPTION, BoxButtons::Ok,
                                        BoxIcon::Warning};
// Said instead of "won't fit": an unformatted page has no room for any file.
inline constexpr Box NOT_FORMATTED_ADD{NOT_FORMATTED, COPY_TO_CARD_CAPTION, BoxButtons::Ok,
                                       BoxIcon::Warning};
inline constexpr std::string_view FORMAT_CAPTION = "Format Page";
std::string formatPageQuestion(int pageNumber);  // "Format page 3? Every file on it ..."
inline constexpr std::string_view PAGE_FORMATTED = "Page formatted.";
inline constexpr std::string_view NEW_IMAGE_CAPTION = "New Card Image";
inline constexpr std::string_view IMAGE_WRITTEN = "Card image written...";
inline constexpr std::string_view IMAGE_NOT_WRITTEN = "Card image not written...";

// --- Starting the program ---
inline constexpr std::string_view PROGRAM_CAPTION = "Quorvane";
// The licence, said by --version of both programs (after the version line, as GNU programs do)
// and by the About box (ours).
inline constexpr std::string_view LICENCE_NOTICE =
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";
inline constexpr std::string_view LICENCE_SHORT =
    "Free software under the GNU GPL, version 3 or later";
// A folder named on the command line for a virtual card does not exist.
std::string makeVirtualCardQuestion(const std::filesystem::path& folder);
// Why a virtual card folder cannot be used, for the box and standard error.
std::string virtualCardProblem(const adapter::FolderError& error);

// --- quorvane-cli, the command line (ours): the words of its commands. Its help and usage
// texts are its own, in src/cli/help_texts.h.
namespace cli {

std::string cardCreated(const std::filesystem::path& folder);  // "A virtual card of 4 ..."

// A NAME of the command line that names no file of the page (`name` as it was typed).
std::string noCardFile(std::string_view name, int pageNumber);

// Of several files added one by one, the one that failed (each as it was typed), the ones added
// before it and those after it, not tried.
std::string notAdded(std::string_view file, const std::vector<std::string>& added,
                     const std::vector<std::string>& notTried);

// Questions on the terminal: the box's line, then the prompt and the answer.
inline constexpr std::string_view ANSWER_PROMPT = "[y/n]";
inline constexpr std::string_view ANSWERED_YES = "y";
inline constexpr std::string_view NOT_ASKED =
    "Not asked: standard input is not a terminal. Answer Yes with --yes.";
// The save dialog's own question before it replaces a file.
inline constexpr std::string_view REPLACE_CAPTION = "Save As";
std::string replaceFileQuestion(const std::filesystem::path& target);

// The text listing.
inline constexpr std::string_view BLOCKS_USED = "Blocks Used:";
inline constexpr std::string_view BLOCKS_FREE = "Blocks Free:";
inline constexpr std::string_view NO_FILES = "No files.";
std::string blockCount(unsigned blocks);  // "5 blocks", "1 block"

}  // namespace cli

}  // namespace quorvane::app::text
