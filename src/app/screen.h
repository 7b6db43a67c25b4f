#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "card/save_header.h"

// What the organiser's handlers ask of the main window. The Qt window implements it; tests
// use a recording screen with scripted answers.
namespace quorvane::app {

// The six texts pushed to the window together. The status is UTF-8, as the program makes every
// message (a card name in it decoded where it entered); the information lines hold bytes as the
// card has them, which the front end decodes (card::infoLineToUtf8).
struct BoundTexts {
    std::string status;
    std::string info1;
    std::string info2;
    std::string info3;
    std::string blocksUsed;
    std::string blocksFree;
    bool operator==(const BoundTexts&) const = default;
};

enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { Error, Warning, Question, Information };  // exclamation = Warning
enum class BoxAnswer { Ok, Yes, No };
// Where Save All Files writes, and in which of the formats it offered.
struct SaveAllChoice {
    std::filesystem::path folder;
    std::size_t format = 0;  // index into the formats offered
};

// How the user left the page check's report.
enum class PageCheckAnswer { Close, FreeLostBlocks };

// A message box as the user sees it: its text, caption and details in UTF-8.
struct MessageBox {
    std::string_view text;
    std::string_view caption;
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::Warning;
    std::string_view details = {};  // shown on request; empty = none
};

// One row of the card file list. `name` holds the entry's name bytes; `icon` the file's icon
// (null: none), which the screen keeps for as long as it shows the row.
struct CardRow {
    std::string_view name;
    unsigned sizeInBlocks = 0;
    const card::SaveIcon* icon = nullptr;
};

struct FileFilter {
    std::string_view description;  // "DC Memory Card File (*.ddc)"
    std::string_view patterns;     // "*.ddc" or "*.vmi;*.vms"
};

class Screen {
public:
    virtual ~Screen() = default;

    virtual void showBoundTexts(const BoundTexts& texts) = 0;
    virtual BoxAnswer messageBox(const MessageBox& box) = 0;

    // File dialogs open in the process's current directory with an empty name (the open dialog
    // in `startFolder` where one is given); confirming one makes the chosen file's folder
    // current. They return the chosen path or nothing (Cancel). The save dialog asks itself
    // before it replaces an existing file, and appends `defaultSuffix` (without dot) to a name
    // typed without one.
    virtual std::optional<std::filesystem::path> openFileDialog(
        std::span<const FileFilter> filters, const std::filesystem::path& startFolder) = 0;
    virtual std::optional<std::filesystem::path> saveFileDialog(std::span<const FileFilter> filters,
                                                                std::string_view defaultSuffix) = 0;

    // The main window's progress bar.
    virtual void setProgressRange(int lower, int upper) = 0;
    virtual void setProgressPos(int position) = 0;

    // The progress window of a commit. While it is shown the main window is disabled;
    // progressStepIt and progressSetPos first let the window process waiting events.
    virtual bool progressCreate() = 0;
    virtual void progressSetRange(int lower, int upper) = 0;
    virtual void progressSetStep(int step) = 0;
    virtual void progressStepIt() = 0;
    virtual void progressSetPos(int position) = 0;
    virtual void progressDestroy() = 0;

    // The card file list.
    virtual void clearCardList() = 0;
    virtual void appendCardRow(const CardRow& row) = 0;
    // The selected file's icon beside its information lines (null: none).
    virtual void showFileIcon(const card::SaveIcon* icon) = 0;

    virtual void showPageNumber(int pageNumber) = 0;  // 1-based
    // The name of the card image the window works on (UTF-8); empty: the card it started with.
    virtual void showCardName(std::string_view name) = 0;
    virtual void showPageCaption(std::string_view caption) = 0;
    virtual void enableEditCommands() = 0;
    // Repaint the whole window at once, without taking user input.
    virtual void repaintNow() = 0;

    // A folder to save every file of the page in, and one of `formats`; nothing = cancelled.
    virtual std::optional<SaveAllChoice> saveAllDialog(std::span<const FileFilter> formats) = 0;

    // The page check's report, which the user can copy; `canFreeLostBlocks` offers the repair.
    virtual PageCheckAnswer showPageCheck(std::string_view report, bool canFreeLostBlocks) = 0;

    // The PC pane of the two-pane layout (no-ops where the layout has none).
    virtual bool selectPcPath(const std::filesystem::path& path) = 0;
    virtual void listPcFiles(const std::filesystem::path& directory) = 0;
};

}  // namespace quorvane::app
