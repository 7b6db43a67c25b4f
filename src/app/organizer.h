#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/screen.h"
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

    Organizer(Screen& screen, link::CardLink& link, Clock clock = formats::CurrentLocalTime);
    Organizer(const Organizer&) = delete;
    Organizer& operator=(const Organizer&) = delete;

    // --- The state of the run ---
    card::PageBytes CardImage{};
    card::PageBytes PageImage{};
    card::FileBuffer FileBuffer{};
    card::DirtyMap DirtyMap{};
    card::BlockBytes VerifyBuffer{};
    int SelectedEntry = -1;
    std::string SelectedName;  // name bytes of the selected row, at most 12
    int FreeBlockCount = -1;
    int currentPageIndex = 0;
    std::filesystem::path currentPcDirectory;
    BoundTexts boundTexts;
    bool pageLoaded = false;  // a page has been read or imported

    // --- The window ---
    void openWindow();  // the window's opening steps (texts, page 1, caption, link reset)
    void SetStatus(std::string_view text);
    void RefreshBoundTexts();
    void EnableEditCommands();

    // --- Card file list ---
    void ListFiles();
    void SelectFile(std::string_view rowName);  // a row became selected
    void ShowFileInfo(int slot);

    // --- Page transfer ---
    void stepPage(int delta);
    void selectAndRefresh();
    int connectAndRead();
    int commitPage(bool confirm);
    void selectPort(std::uint16_t address);

    // --- Edits and files ---
    void deleteFileCommand();
    void deleteAllCommand();
    void AddFile();
    void SaveFile();
    void ImportPageFile();
    void ExportPageFile();

    // --- PC pane ---
    void pcDirectorySelected(const std::filesystem::path& directory);
    void CopyFileToPc();

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
    // ShowFileInfo, ExtractFile and the .ddc write of `slot`; reports its own failures.
    bool WriteDdcFile(const std::filesystem::path& target, int slot);
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
