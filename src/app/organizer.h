#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/screen.h"
#include "card/ddc_image.h"
#include "card/page_layout.h"
#include "formats/vmi_vms.h"
#include "link/card_link.h"

// The organiser without a toolkit: the state of the run and every command handler.
namespace quorvane::app {

inline constexpr int MAX_PAGES = 16;

// Bounds on work that would otherwise repeat for ever on a dead or failing adapter.
inline constexpr int MAX_BLOCK_READ_ATTEMPTS = 16;
inline constexpr int MAX_BLOCK_WRITE_ATTEMPTS = 8;

class Organizer {
public:
    using Clock = std::function<formats::LocalTime()>;

    Organizer(Screen& screen, link::CardLink& link, Clock clock = formats::currentLocalTime);
    Organizer(const Organizer&) = delete;
    Organizer& operator=(const Organizer&) = delete;

    // --- The state of the run ---
    card::PageBytes cardImage{};
    card::PageBytes pageImage{};
    card::FileBuffer fileBuffer{};
    card::DirtyMap dirtyMap{};
    card::BlockBytes verifyBuffer{};
    int selectedEntry = -1;
    std::string selectedName;  // name bytes of the selected row, at most 12
    int freeBlockCount = -1;
    int currentPageIndex = 0;
    std::filesystem::path currentPcDirectory;
    BoundTexts boundTexts;
    bool pageLoaded = false;  // a page has been read or imported

    // --- The window ---
    void openWindow();  // the window's opening steps (texts, page 1, caption, link reset)
    void setStatus(std::string_view text);
    void refreshBoundTexts();
    void enableEditCommands();

    // --- Card file list ---
    void listFiles();
    void selectFile(std::string_view rowName);  // a row became selected
    void showFileInfo(int slot);

    // --- Page transfer ---
    void stepPage(int delta);
    void selectAndRefresh();
    int connectAndRead();
    int commitPage(bool confirm);
    void selectPort(std::uint16_t address);

    // --- Edits and files ---
    void deleteFileCommand();
    void deleteAllCommand();
    void addFile();
    void saveFile();
    void importPageFile();
    void exportPageFile();

    // --- PC pane ---
    void pcDirectorySelected(const std::filesystem::path& directory);
    void copyFileToPc();

    Screen& screen() { return m_screen; }
    link::CardLink& cardLink() { return m_link; }

private:
    // --- Shared by the edit and file commands ---
    bool refuseWithoutPage(std::string_view caption);
    bool refuseWithoutSelection(std::string_view caption);
    bool selectionIsCurrent() const;
    bool confirmOverwrite(const std::filesystem::path& target);
    void reportWriteFailure(const std::filesystem::path& target, int systemError,
                            std::string_view statusText, std::string_view caption);
    // showFileInfo, extractFile and the .ddc write of `slot`; reports its own failures.
    bool writeDdcFile(const std::filesystem::path& target, int slot);
    void relistAfterEdit();

    // One block of a page read, repeated until it reads; false when it gives up.
    bool readBlockForPage(int block, std::span<std::uint8_t, card::BLOCK_SIZE> destination);
    // One block's pass of a commit, repeated until it is written; false when it gives up.
    bool commitBlock(int block);
    int timeOut();         // the read's give-up path: status, link reset, result 0
    int commitTimedOut();  // the same for a commit, which also takes its progress window down

    Screen& m_screen;
    link::CardLink& m_link;
    Clock m_clock;
};

}  // namespace quorvane::app
