#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/screen.h"
#include "app/texts.h"
#include "card/card_file.h"
#include "card/page_layout.h"
#include "formats/vmi_vms.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"
#include "link/system_port.h"

// The organiser without a toolkit: the state of the run and every command handler.
namespace quorvane::app {

class CardSource;
struct CardLocation;

// "The file could not be written:", the path and why: the system's reason, or what the path
// leads to where the writer refused it.
std::string writeFailureMessage(const std::filesystem::path& target,
                                const formats::WriteStatus& status);

// Bounds on work that would otherwise repeat for ever on a dead or failing adapter.
inline constexpr int MAX_BLOCK_READ_ATTEMPTS = 16;
inline constexpr int MAX_BLOCK_WRITE_ATTEMPTS = 8;

class Organizer {
public:
    using Clock = std::function<formats::LocalTime()>;
    // How a port address is reached, for the details of a failed connection; the front end
    // that opened the machine's ports gives it.
    using PortReporter = std::function<std::optional<link::PortReport>(std::uint16_t base)>;

    Organizer(Screen& screen, link::CardLink& link, Clock clock = formats::currentLocalTime);
    Organizer(const Organizer&) = delete;
    Organizer& operator=(const Organizer&) = delete;

    // How a card file goes to the PC: a .ddc (as it always did), or a .vmi/.vms pair.
    enum class CopyFormat { Ddc, VmiVmsPair };

    void setPortReporter(PortReporter reporter) { m_portReporter = std::move(reporter); }
    // Where every page read is kept (app/backups.h); none keeps no backups.
    void setBackupFolder(std::optional<std::filesystem::path> folder) {
        m_backupFolder = std::move(folder);
    }
    const std::optional<std::filesystem::path>& backupFolder() const { return m_backupFolder; }

    // --- The window ---
    void openWindow();  // the window's opening steps (texts, page 1, caption, link reset)
    void setStatus(std::string_view text);
    void refreshBoundTexts();
    void enableEditCommands();

    // --- Card file list ---
    void listFiles();
    void selectFile(std::string_view rowName);  // a row became selected
    void showFileInfo(int slot);

    // Each command below that returns a bool says whether it did what it was asked: the
    // window reads the outcome from the screen, the command line from the result.

    // --- Page transfer ---
    void stepPage(int delta);
    bool selectAndRefresh();
    int connectAndRead();
    int commitPage(bool confirm);
    void selectPort(std::uint16_t address);
    // Asks the adapter how many pages it holds, for a front end that needs the number before a
    // read; none when no adapter answered.
    std::optional<int> countPages();

    // --- Edits and files ---
    bool deleteFileCommand();
    bool deleteAllCommand();
    bool addFile();
    bool saveFile();
    bool importPageFile();
    bool importPageFileFrom(const std::filesystem::path& dialogFolder);
    // The import of a file the front end already has: the file is checked before the warning.
    bool importPageFileAt(const std::filesystem::path& file);
    bool exportPageFile();

    // --- Backup ---
    // Reads every page of the card and writes it to `folder` as page-01.dcm upward, the
    // virtual card's layout, so that the folder opens as a virtual card.
    bool backupCard(const std::filesystem::path& folder);

    // --- Tools ---
    // Checks the page in memory and shows the report; offers to free lost blocks, which is an
    // edit committed at once like any other.
    void checkPageCommand();
    // The import, its dialog opened in the backups folder.
    void restoreFromBackupCommand();
    // Every file of the page into a folder the user chooses, in the format chosen; a summary
    // says what was written and what was skipped. False when any file was skipped.
    bool saveAllFilesCommand();
    // The same without questions: what became of each file, in listing order.
    std::vector<text::SavedFile> saveAllFiles(const std::filesystem::path& folder,
                                              CopyFormat format);
    // Card images as the card: the link must run over `source`'s port.
    void setCardSource(CardSource* source) { m_cardSource = source; }
    void openCardImageCommand();
    void closeCardImageCommand();
    bool onCardImage() const;
    bool canSwitchCards() const { return m_cardSource != nullptr; }
    // The card behind the link is another one now (a card image was opened or closed): the
    // page in memory belongs to the old card and is forgotten.
    void cardChanged();

    // --- PC pane ---
    void pcDirectorySelected(const std::filesystem::path& directory);
    void copyFileToPc();
    // How "<--" writes a card file: under the card name, or as a pair named after it.
    void setCopyFormat(CopyFormat format) { m_copyFormat = format; }

    // --- The state of the run, for the window and for tests to read ---
    const card::CardOrderPage& cardImage() const { return m_cardImage; }
    const card::PageBytes& pageImage() const { return m_pageImage; }
    const card::CardFile& cardFile() const { return m_cardFile; }
    const card::DirtyMap& dirtyMap() const { return m_dirtyMap; }
    int selectedEntry() const { return m_selectedEntry; }
    const std::string& selectedName() const { return m_selectedName; }
    int freeBlockCount() const { return m_freeBlockCount; }
    int currentPageIndex() const { return m_currentPageIndex; }
    const std::filesystem::path& currentPcDirectory() const { return m_currentPcDirectory; }
    const BoundTexts& boundTexts() const { return m_boundTexts; }
    bool pageLoaded() const { return m_pageLoaded; }

private:
    // Tests reach the state through this seam (tests/support/organizer_probe.h) to set up a
    // page without the transfers that would cost each case its time.
    friend class OrganizerProbe;

    BoxAnswer show(const text::Box& box);
    // The status line, then the box: the order every refusal keeps.
    void tell(std::string_view status, const text::Box& box);
    // Asks `question`; any answer but Yes ends the command with "Action cancelled...".
    bool confirmed(const text::Box& question);
    // The commit that follows every edit; one that fails leaves the edit pending and ends the
    // command with "Action cancelled...".
    bool commitEdit();
    void blankInfoLines();

    // --- Shared by the edit and file commands ---
    bool refuseWithoutPage(std::string_view caption);
    bool refuseReadOnly(std::string_view caption);
    bool confirmWithoutBackup(std::string_view caption);
    // Both, before an edit that removes files (delete, import, freeing lost blocks).
    bool mayRemoveFiles(std::string_view caption);
    // An import's file, read and checked before the user is asked anything about it; none when
    // it cannot be used (told).
    struct ImportImage;
    std::optional<ImportImage> readImportFile(const std::filesystem::path& chosen);
    // The questions about what the file holds; false when one is answered No.
    bool confirmImportImage(const std::filesystem::path& chosen, ImportImage& image);
    bool writeImportedPage(const card::CardOrderPage& imported);
    bool refuseWithoutSelection(std::string_view caption);
    bool selectionIsCurrent() const;
    bool confirmOverwrite(std::initializer_list<std::filesystem::path> targets);
    void reportWriteFailure(const std::filesystem::path& target, const formats::WriteStatus& status,
                            std::string_view statusText, std::string_view caption);
    // A target that is no file (a folder, FIFO, ...) is refused with `notWritten` and its box;
    // one reached through a symbolic link is written only after a question that names where the
    // link leads (`cancelled` on any answer but Yes). True when the write may go ahead.
    bool acceptWriteTarget(const std::filesystem::path& target, std::string_view notWritten,
                           std::string_view cancelled, std::string_view caption);
    // showFileInfo and extractFile of `slot` into the file buffer; says when it is damaged.
    bool extractForSave(int slot);
    // The same and the .ddc write of `slot`; reports its own failures.
    bool writeDdcFile(const std::filesystem::path& target, int slot);
    // The same as a .vmi/.vms pair NAME in `folder`, after checking NAME and asking before
    // either member is replaced.
    bool writePair(const std::filesystem::path& folder, const std::string& name, int slot);
    void relistAfterEdit();

    // One block of a page read, repeated until it reads; false when it gives up.
    bool readBlockForPage(int block, link::BlockDestination destination);
    // One block's pass of a commit, repeated until it is written; false when it gives up.
    bool commitBlock(int block);
    // The adapter's status; none (told, and the link reset) when no adapter answers.
    // At the start of each transfer the user asks for: a port that another program held
    // then is tried again, and not at every byte.
    void retryHeldPorts();
    std::optional<link::AdapterStatus> askAdapter();
    void reportConnectionFailed();  // status and box, with the port's story where known
    void keepBackupOfPage();        // after a read: a box when no backup could be taken
    bool takeWaitingCard();         // before a read: the card another program held, if now free
    int timeOut();                  // the read's give-up path: status, link reset, result 0
    int commitTimedOut();  // the same for a commit, which also takes its progress window down
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
    CopyFormat m_copyFormat = CopyFormat::Ddc;
    CardSource* m_cardSource = nullptr;

    card::CardOrderPage m_cardImage{};
    card::PageBytes m_pageImage{};
    card::CardFile m_cardFile;
    card::DirtyMap m_dirtyMap{};
    card::BlockBytes m_verifyBuffer{};
    int m_selectedEntry = -1;
    std::string m_selectedName;  // name bytes of the selected row, at most 12
    int m_freeBlockCount = -1;
    int m_currentPageIndex = 0;
    std::filesystem::path m_currentPcDirectory;
    BoundTexts m_boundTexts;
    bool m_pageLoaded = false;  // a page has been read or imported
    // Why the page read last has no backup (the system's words), until the user goes on anyway.
    std::optional<std::string> m_noBackupReason;
};

}  // namespace quorvane::app
