// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include "app/organizer.h"
#include "app/screen.h"

// The window's commands: what each asks in its dialogs, then the organiser's operation with
// the answers. The command line calls the operations with what the user typed instead.
namespace quorvane::app {

class WindowCommands {
public:
    WindowCommands(Organizer& organizer, WindowScreen& screen)
        : m_organizer(organizer), m_screen(screen) {}

    // How "<--" writes a card file: under the card name, or as a pair named after it.
    void setCopyFormat(CopyFormat format) { m_copyFormat = format; }

    bool addFile();
    bool saveFile();
    bool deleteFile();
    // "<--": the selected file into the PC pane's folder (empty: none chosen yet); several
    // selected rows go together, after one question, with a summary.
    bool copyFileToPc(const std::filesystem::path& folder);
    bool importPageFile();
    // The import, its dialog opened in the backups folder.
    bool restoreFromBackup();
    bool exportPageFile();
    bool saveAllFiles();
    // The page in memory checked and the report shown; it offers to free lost blocks.
    void checkPage();
    bool openCardImage();
    // The page read formatted after the question naming it.
    bool formatPage();
    // A formatted empty card image written where the save dialog says, in the order its name
    // chooses.
    bool newCardImage();

private:
    // The status line, then the box, as the organiser tells its refusals.
    void tell(std::string_view status, const MessageBox& box);
    bool importPageFileFrom(const std::filesystem::path& dialogFolder);
    bool copyFilesToPc(const std::vector<FileOnPage>& files, const std::filesystem::path& folder);

    Organizer& m_organizer;
    WindowScreen& m_screen;
    CopyFormat m_copyFormat = CopyFormat::Ddc;
};

}  // namespace quorvane::app
