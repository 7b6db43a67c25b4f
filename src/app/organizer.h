// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/loaded_page.h"
#include "app/reports.h"
#include "app/screen.h"
#include "app/texts.h"
#include "card/card_file.h"
#include "card/page_layout.h"
#include "formats/image_file.h"
#include "formats/vmi_vms.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"
#include "link/system_port.h"

// The organiser without a toolkit: the state of the run and the operations on the card. Each
// operation takes what it needs and says whether it did it; what it must ask on the way goes
// through the front end's Screen::ask, and what it did shows in the texts and the listing.
namespace quorvane::app {

class CardSource;
struct CardLocation;
struct AddPlan;
struct AddRefusal;

// "The file could not be written:", the path and why: the system's reason, or what the path
// leads to where the writer refused it.
std::string writeFailureMessage(const std::filesystem::path& target,
                                const formats::WriteStatus& status);

// Bounds on work that would otherwise repeat for ever on a dead or failing adapter.
inline constexpr int MAX_BLOCK_READ_ATTEMPTS = 16;
inline constexpr int MAX_BLOCK_WRITE_ATTEMPTS = 8;

// The page in card byte order, as the adapter and .dcm files hold it.
std::unique_ptr<card::CardOrderPage> cardImageOf(const card::PageBytes& pageImage);

// A file of the page: its slot and the name bytes it had when it was picked. An operation on it
// checks that the slot still holds that name.
struct FileOnPage {
    int slot = -1;
    std::string name;
};

// The card names of `files`, for a question that lists them.
std::vector<std::string> namesOf(const std::vector<FileOnPage>& files);

// How a card file goes to the PC: a .ddc (as it always did), or a .vmi/.vms pair.
enum class CopyFormat { Ddc, VmiVmsPair };

// Where a card file goes on the PC: `name` is the .ddc file's name, or the pair's name without
// its extensions.
struct PcTarget {
    std::filesystem::path folder;
    std::string name;
    CopyFormat format = CopyFormat::Ddc;
};

// When the import asks its warning about replacing the page: the window asks it before its
// dialog, the command line once the file has been checked.
enum class ImportWarning { AlreadyAsked, AfterChecks };

class Organizer {
public:
    using Clock = std::function<formats::LocalTime()>;
    // How a port address is reached, for the details of a failed connection; the front end
    // that opened the machine's ports gives it.
    using PortReporter = std::function<std::optional<link::PortReport>(std::uint16_t base)>;

    Organizer(Screen& screen, link::CardLink& link, Clock clock = formats::currentLocalTime);
    Organizer(const Organizer&) = delete;
    Organizer& operator=(const Organizer&) = delete;

    void setPortReporter(PortReporter reporter) { m_portReporter = std::move(reporter); }
    // Where every page read is kept (app/backups.h); none keeps no backups.
    void setBackupFolder(std::optional<std::filesystem::path> folder) {
        m_backupFolder = std::move(folder);
    }
    const std::optional<std::filesystem::path>& backupFolder() const { return m_backupFolder; }
    // Card images as the card: the link must run over `source`'s port.
    void setCardSource(CardSource* source) { m_cardSource = source; }

    // The run's opening steps: the texts, page 1 chosen, the link reset.
    void start();
    // As after a read that brought `page`, without the transfer.
    void startWith(const LoadedPage& page);
    const std::optional<LoadedPage>& loadedPage() const { return m_loaded; }
    // The page field, the page listed and the card image, as the window shows them.
    const PageShown& pageShown() const { return m_boundTexts.page; }

    void setStatus(std::string_view text);

    // --- Checks a front end runs before it asks the user for more; each tells its refusal ---
    bool refuseWithoutPage(std::string_view caption);
    // A page this user may not write, or one that the other side of the window wrote since this
    // side read it (writing it would undo that), is refused before anything changes.
    bool refuseUnwritable(std::string_view caption);
    // The read-only check, then the question before removing files from a page with no backup.
    bool mayRemoveFiles(std::string_view caption);
    // `file` is no longer on the page (or none was picked).
    bool refuseWithoutFile(const std::optional<FileOnPage>& file, std::string_view caption);
    // None picked, or one of them no longer on the page.
    bool refuseWithoutFiles(const std::vector<FileOnPage>& files, std::string_view caption);

    // --- The page ---
    // The page number field (1-based, kept within the adapter's pages).
    void choosePage(int pageNumber);
    int chosenPage() const { return m_chosenPageIndex + 1; }
    // Select/Refresh: the chosen page read from the adapter.
    bool readChosenPage();
    bool readPage(int pageNumber);
    // Writes the page's changed blocks, each verified; `confirm` asks first.
    bool commitPage(bool confirm);
    void selectPort(std::uint16_t address);
    // How many pages the adapter holds; none when no adapter answered.
    std::optional<int> countPages();

    // --- The selection (the window's list) ---
    // The file in `slot` became selected: its information lines and icon are shown.
    void selectFile(int slot);
    const std::optional<FileOnPage>& selection() const { return m_selection; }
    // The files in `slots` of the page in memory (free slots left out).
    std::vector<FileOnPage> filesInSlots(const std::vector<int>& slots) const;

    // --- Edits, committed at once ---
    bool addFile(const std::filesystem::path& file);
    // Files dropped on the list: each added as Add File adds it, until one is refused.
    bool addFiles(const std::vector<std::filesystem::path>& files);
    bool deleteFile(const FileOnPage& file);
    // Several files: one question naming them all, one commit.
    bool deleteFiles(const std::vector<FileOnPage>& files);
    bool deleteAll();
    bool importPage(const std::filesystem::path& file, ImportWarning warning);
    // Frees the blocks no chain reaches, after the question.
    bool freeLostBlocks();
    // Makes the page read a formatted empty page, after the question.
    bool formatPage();
    // Whether the page read carries the format mark; an unformatted page lists no files.
    bool pageFormatted() const;

    // --- Between two cards (app/card_copy.h) ---
    // `files` as the page holds them, for another card; none (told) when one is no longer on
    // the page or its chain is damaged.
    std::optional<std::vector<card::CardFile>> filesForCopy(const std::vector<FileOnPage>& files);
    // Card files added in one commit, each with Add File's checks and questions; a refusal or a
    // No leaves the page as it was. The adapter's page is chosen again first: another card of
    // the same adapter may have chosen its own since this page was read.
    bool addCardFiles(std::vector<card::CardFile> files);
    // The files of a copy that became a move, removed in one commit (the page chosen again).
    bool removeMovedFiles(const std::vector<FileOnPage>& files);

    // --- Files to the PC ---
    // Save File: `file` written as `target`, then "File Saved".
    bool saveFile(const FileOnPage& file, const PcTarget& target);
    // The same without the status: "<--".
    bool writeFileToPc(const FileOnPage& file, const PcTarget& target);
    bool exportPage(const std::filesystem::path& file, formats::ImageOrder order);
    // A formatted empty card, dated now, written to `file` in `order`; no card is needed.
    bool newCardImage(const std::filesystem::path& file, formats::ImageOrder order);
    // Every file of the page into `folder`; a summary says what was written and what was
    // skipped. False when any file was skipped.
    bool saveAll(const std::filesystem::path& folder, CopyFormat format);
    // The same without the summary: what became of each file, in listing order.
    std::vector<text::SavedFile> saveAllFiles(const std::filesystem::path& folder,
                                              CopyFormat format);

    // The same without the summary, for files dragged out to the desktop: what became of each.
    std::vector<text::SavedFile> writeFilesToPc(const std::vector<FileOnPage>& files,
                                                const std::filesystem::path& folder,
                                                CopyFormat format);
    // Several files of the page into `folder`, named as Save All names them, with its summary.
    bool saveFiles(const std::vector<FileOnPage>& files, const std::filesystem::path& folder,
                   CopyFormat format);

    // Reads every page of the card and writes it to `folder` as page-01.dcm upward, the
    // virtual card's layout, so that the folder opens as a virtual card.
    bool backupCard(const std::filesystem::path& folder);

    // --- The card ---
    bool openCardImage(const std::filesystem::path& image);
    bool closeCardImage();
    bool onCardImage() const;
    bool canSwitchCards() const { return m_cardSource != nullptr; }

private:
    BoxAnswer show(const text::Box& box);
    // The status line, then the box: the order every refusal keeps.
    void tell(std::string_view status, const text::Box& box);
    // Asks `question`; any answer but Yes ends the command with "Action cancelled...".
    bool confirmed(const text::Box& question);
    // The commit that follows every edit; one that fails leaves the edit pending and ends the
    // command with "Action cancelled...".
    bool commitEdit();
    void refreshTexts();
    void blankInfoLines();
    // The information lines of `slot`, shown with the next refresh.
    void assignInfoLines(int slot);
    void showPageState();
    void listFiles();
    void clearListing();
    void relistAfterEdit();
    // The page in memory; only called where a page is loaded.
    LoadedPage& loaded() { return *m_loaded; }
    bool holds(const FileOnPage& file) const;

    bool confirmWithoutBackup(std::string_view caption);
    bool refuseReadOnly(std::string_view caption);
    bool refuseStalePage(std::string_view caption);
    // An import's file, read and checked before the user is asked anything about it; none when
    // it cannot be used (told).
    struct ImportImage;
    std::optional<ImportImage> readImportFile(const std::filesystem::path& chosen);
    // The questions about what the file holds; false when one is answered No.
    bool confirmImportImage(const std::filesystem::path& chosen, ImportImage& image);
    bool writeImportedPage(const card::CardOrderPage& cardImage);
    // The questions of an add that replaces or moves files; false when one is answered No.
    bool confirmAddPlan(const AddPlan& plan);
    void tellRefusal(const AddRefusal& refusal);
    bool removeFiles(const std::vector<FileOnPage>& files);
    // The commit after files left the page: the list rebuilt, the lines blanked, `status`.
    bool commitRemoval(std::string_view status);
    std::vector<text::SavedFile> saveFilesIn(const std::vector<int>& slots,
                                             const std::filesystem::path& folder,
                                             CopyFormat format);
    // The summary box of saved files; false when any was skipped.
    bool tellSaved(const std::filesystem::path& folder, const std::vector<text::SavedFile>& files,
                   std::string_view caption);
    // The files placed on a copy of the page, the questions asked, then the one commit.
    bool storeAndCommit(std::vector<card::CardFile> files);
    // Before a commit that another card of the adapter may have come between: the page this
    // side read is chosen on the adapter again. False (told) when the page field shows another.
    bool chooseLoadedPageAgain();
    bool confirmOverwrite(std::initializer_list<std::filesystem::path> targets);
    void reportWriteFailure(const std::filesystem::path& target, const formats::WriteStatus& status,
                            std::string_view statusText, std::string_view caption);
    // A target that is no file (a folder, FIFO, ...) is refused with `notWritten` and its box;
    // one reached through a symbolic link is written only after a question that names where the
    // link leads (`cancelled` on any answer but Yes). True when the write may go ahead.
    bool acceptWriteTarget(const std::filesystem::path& target, std::string_view notWritten,
                           std::string_view cancelled, std::string_view caption);
    // The information lines of `slot` shown and its file extracted; says when it is damaged.
    std::optional<card::CardFile> extractForSave(int slot);
    bool writeDdcFile(const std::filesystem::path& target, int slot);
    // The pair NAME in `folder`, after checking NAME and asking before either member is
    // replaced.
    bool writePair(const std::filesystem::path& folder, const std::string& name, int slot);

    // Select/Refresh's transfer: 1 when the page was read.
    int connectAndRead();
    // One block of a page read, repeated until it reads; false when it gives up.
    bool readBlockForPage(int block, link::BlockDestination destination);
    // One block's pass of a commit, repeated until it is written; false when it gives up.
    bool commitBlock(int block, card::CardOrderPage& cardImage, card::DirtyMap& dirty);
    // At the start of each transfer the user asks for: a port that another program held
    // then is tried again, and not at every byte.
    void retryHeldPorts();
    // The adapter's status; none (told, and the link reset) when no adapter answers.
    std::optional<link::AdapterStatus> askAdapter();
    void reportConnectionFailed();  // status and box, with the port's story where known
    void keepBackupOfPage(const card::CardOrderPage& cardImage);  // a box when none could be taken
    bool takeWaitingCard();  // before a read: the card another program held, if now free
    int timeOut();           // the read's give-up path: status, link reset, result 0
    int commitTimedOut();    // the same for a commit, which also takes its progress window down
    // The card behind the link is another one now: the page in memory is forgotten.
    void cardChanged();
    bool switchCard(const CardLocation& location);  // with the questions and the reports
    // The backup's steps: what the folder holds under the page files' names, refused or asked
    // about before anything is read; then the pages read written; a failure says how far it got.
    bool confirmBackupFolder(const std::filesystem::path& folder, int pages);
    bool writeBackup(const std::filesystem::path& folder,
                     const std::vector<card::CardOrderPage>& cardImages);
    void reportBackupFailure(const std::string& failure, int pagesWritten, int pages);

    Screen& m_screen;
    link::CardLink& m_link;
    Clock m_clock;
    PortReporter m_portReporter;
    std::optional<std::filesystem::path> m_backupFolder;
    CardSource* m_cardSource = nullptr;

    std::optional<LoadedPage> m_loaded;
    int m_chosenPageIndex = 0;
    std::optional<FileOnPage> m_selection;
    int m_freeBlockCount = -1;
    std::optional<card::BlockCounts> m_counts;  // of the page listed
    int m_commitSteps = 0;                      // passes of the commit under way
    BoundTexts m_boundTexts;
    // The link's count of commits to the page in memory when this organiser last read or wrote it.
    unsigned m_commitsAtRead = 0;
    // Why the page read last has no backup (the system's words), until the user goes on anyway.
    std::optional<std::string> m_noBackupReason;
};

}  // namespace quorvane::app
