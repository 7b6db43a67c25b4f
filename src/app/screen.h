// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "card/file_system.h"
#include "card/listing.h"
#include "card/save_header.h"

// What the organiser's operations ask of a front end (Screen), and what the window's commands
// ask of the window besides (WindowScreen). The Qt window implements both, the command line
// Screen; tests use a recording screen with scripted answers.
namespace quorvane::app {

// Which page the window points at and which one its list shows.
struct PageShown {
    int chosenPage = 1;  // the page number field, 1-based
    int listedPage = 0;  // the page last read or imported, 1-based; 0: none yet
    // The card image the window works on (UTF-8); empty: the card it started with.
    std::string cardName;
    bool operator==(const PageShown&) const = default;
};

// What the window shows around its list, pushed together at every refresh: the status line,
// the selected file's information lines, icon and eyecatch, and the page. The status is UTF-8, as
// the program makes every message (a card name in it decoded where it entered); the information
// lines hold bytes as the card has them, which the front end decodes (card::infoLineToUtf8).
struct BoundTexts {
    std::string status;
    std::string info1;
    std::string info2;
    std::string info3;
    // The selected file's icon beside its information lines; null: none.
    std::shared_ptr<const card::SaveIcon> icon;
    std::shared_ptr<const card::Eyecatch> eyecatch;  // beside the icon; null: none
    PageShown page;
    bool operator==(const BoundTexts&) const = default;
};

// One row of the card file list. `name` holds the entry's name bytes.
struct CardRow {
    int slot = -1;
    std::string name;
    unsigned sizeInBlocks = 0;
    card::FileInfoLines info;                    // the file's information lines, as bytes
    std::shared_ptr<const card::SaveIcon> icon;  // null: none
    bool eyecatch = false;                       // the file has one, shown when it is selected
};

// The files of the page in memory, as one value: it replaces whatever list was shown.
struct Listing {
    std::vector<CardRow> rows;
    std::optional<card::BlockCounts> counts;  // none: no page (the counts show empty)
};

enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { Error, Warning, Question, Information };  // exclamation = Warning
enum class BoxAnswer { Ok, Yes, No };

// A message box as the user sees it: a question when its buttons are Yes and No. Its text,
// caption and details are UTF-8.
struct MessageBox {
    std::string_view text;
    std::string_view caption;
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::Warning;
    std::string_view details = {};  // shown on request; empty = none
    // What the box is about (a file's name), which the command line, where no selection shows
    // it, adds after the text; the window shows the text as it stands. Empty = nothing named.
    std::string_view subject = {};
};

// Work the user waits for: a page read or written (the main window's bar), or a commit or a
// long save (the progress window, which holds the main window disabled while it is shown).
enum class ProgressKind { Transfer, Window };

class Progress {
public:
    virtual ~Progress() = default;
    // Starts at 0 of `steps`.
    virtual void begin(int steps) = 0;
    // `done` of the steps: the window lets waiting events run first.
    virtual void advance(int done) = 0;
    virtual void end() = 0;
};

class Screen {
public:
    virtual ~Screen() = default;

    virtual void showTexts(const BoundTexts& texts) = 0;
    virtual void showListing(const Listing& listing) = 0;
    // A box the user acknowledges (Ok) or a question (Yes or No).
    virtual BoxAnswer ask(const MessageBox& box) = 0;
    virtual Progress& progress(ProgressKind kind) = 0;
};

struct FileFilter {
    std::string_view description;  // "DC Memory Card File (*.ddc)"
    std::string_view patterns;     // "*.ddc" or "*.vmi;*.vms"
};

// Where Save All Files writes, and in which of the formats it offered.
struct SaveAllChoice {
    std::filesystem::path folder;
    std::size_t format = 0;  // index into the formats offered
};

// How the user left the page check's report.
enum class PageCheckAnswer { Close, FreeLostBlocks };

// What only the window does: the dialogs where the user chooses files, the page check's report
// and the PC pane.
class WindowScreen : public Screen {
public:
    // File dialogs open in the process's current directory with an empty name (the open dialog
    // in `startFolder` where one is given); confirming one makes the chosen file's folder
    // current. They return the chosen path or nothing (Cancel). The save dialog asks itself
    // before it replaces an existing file, and appends `defaultSuffix` (without dot) to a name
    // typed without one.
    virtual std::optional<std::filesystem::path> chooseFileToOpen(
        std::span<const FileFilter> filters, const std::filesystem::path& startFolder) = 0;
    virtual std::optional<std::filesystem::path> chooseFileToSave(
        std::span<const FileFilter> filters, std::string_view defaultSuffix) = 0;
    // A folder to save every file of the page in, and one of `formats`; nothing = cancelled.
    virtual std::optional<SaveAllChoice> chooseSaveAll(std::span<const FileFilter> formats) = 0;
    // The page check's report, which the user can copy; `canFreeLostBlocks` offers the repair.
    virtual PageCheckAnswer showPageCheck(std::string_view report, bool canFreeLostBlocks) = 0;
    // The PC pane shows `folder` again (selected in the tree, its files listed), after a
    // command wrote into it.
    virtual void showPcFolder(const std::filesystem::path& folder) = 0;
    // The slots of every row selected in the card list (Shift and Ctrl select several).
    virtual std::vector<int> selectedSlots() const = 0;
};

}  // namespace quorvane::app
