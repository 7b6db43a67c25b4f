#include <string>

#include "app/organizer.h"

// The PC pane's folder and "<--": the selected card file written into that folder as a .ddc
// file under its card name.
namespace quorvane::app {

namespace {
constexpr std::string_view CAPTION = "Copy file to PC";

// A card name is outside data: it may become a file name only when it cannot leave the
// folder or hide control characters in it.
bool usableAsPcFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const unsigned char c : name) {
        if (c == '/' || c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

// The window shows card names as Latin-1; the PC file gets the same characters in UTF-8.
std::string latin1ToUtf8(std::string_view bytes) {
    std::string text;
    for (const unsigned char c : bytes) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}
}  // namespace

void Organizer::pcDirectorySelected(const std::filesystem::path& directory) {
    currentPcDirectory = directory;
    m_screen.listPcFiles(currentPcDirectory);
    refreshBoundTexts();
}

void Organizer::copyFileToPc() {
    if (refuseWithoutSelection(CAPTION)) {
        return;
    }
    if (currentPcDirectory.empty()) {
        setStatus("No folder selected...");
        m_screen.messageBox("Choose a folder in the PC pane first.", CAPTION, BoxButtons::Ok,
                            BoxIcon::Warning);
        return;
    }
    if (!usableAsPcFileName(selectedName)) {
        setStatus("Action cancelled...");
        m_screen.messageBox("This file's name cannot be used as a PC file name.", CAPTION,
                            BoxButtons::Ok, BoxIcon::Warning);
        return;
    }
    if (m_screen.messageBox("Copy file to PC?", CAPTION, BoxButtons::YesNo, BoxIcon::Question) !=
        BoxAnswer::Yes) {
        setStatus("Action cancelled...");
        return;
    }
    const std::filesystem::path target = currentPcDirectory / latin1ToUtf8(selectedName);
    if (!confirmOverwrite(target) || !writeDdcFile(target, selectedEntry)) {
        return;
    }
    m_screen.selectPcPath(currentPcDirectory);
    m_screen.listPcFiles(currentPcDirectory);
}

}  // namespace quorvane::app
