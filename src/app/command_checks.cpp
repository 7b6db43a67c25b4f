#include <cstring>
#include <string>
#include <system_error>

#include "app/organizer.h"
#include "card/dir_entry.h"

// Checks and reports shared by the commands that edit the page or write PC files.
namespace quorvane::app {

namespace {
constexpr std::string_view NO_PAGE_STATUS = "No page read...";
constexpr std::string_view NO_PAGE_TEXT = "Read a page from the Memory card first (Select/Refresh).";
constexpr std::string_view OVERWRITE_CAPTION = "Copy file to PC";
}  // namespace

// Before the first read or import the images hold no page: an edit would build a directory
// and FAT on nothing and commit them over the card's own.
bool Organizer::refuseWithoutPage(std::string_view caption) {
    if (pageLoaded) {
        return false;
    }
    setStatus(NO_PAGE_STATUS);
    m_screen.messageBox(NO_PAGE_TEXT, caption, BoxButtons::Ok, BoxIcon::Warning);
    return true;
}

bool Organizer::refuseWithoutSelection(std::string_view caption) {
    if (selectionIsCurrent()) {
        return false;
    }
    setStatus("No file selected...");
    m_screen.messageBox("No File Selected", caption, BoxButtons::Ok, BoxIcon::Warning);
    return true;
}

// The row still names the file in its slot. After a delete whose commit failed the slot is
// free (and an add may since have taken it): it then no longer holds the selected file.
bool Organizer::selectionIsCurrent() const {
    if (selectedEntry < 0 || selectedEntry >= card::DIR_SLOT_COUNT) {
        return false;
    }
    const card::DirEntry entry = card::readSlot(pageImage, selectedEntry);
    return entry.inUse() && card::entryName(entry) == selectedName;
}

// True when the target does not exist yet or the user agrees to replace it.
bool Organizer::confirmOverwrite(const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(target, error))) {
        return true;
    }
    if (m_screen.messageBox("File Already exists, Overwrite?", OVERWRITE_CAPTION, BoxButtons::YesNo,
                            BoxIcon::Question) == BoxAnswer::Yes) {
        return true;
    }
    setStatus("Action cancelled...");
    return false;
}

void Organizer::reportWriteFailure(const std::filesystem::path& target, int systemError,
                                   std::string_view statusText, std::string_view caption) {
    setStatus(statusText);
    std::string text = "The file could not be written:\n" + target.string();
    if (systemError != 0) {
        text += "\n";
        text += std::strerror(systemError);
    }
    m_screen.messageBox(text, caption, BoxButtons::Ok, BoxIcon::Error);
}

void Organizer::relistAfterEdit() {
    m_screen.clearCardList();
    listFiles();
    selectedEntry = -1;
}

}  // namespace quorvane::app
