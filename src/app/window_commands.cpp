// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_commands.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "card/card_text.h"
#include "card/page_check.h"
#include "formats/pc_file_names.h"
#include "pc/name_order.h"

namespace quorvane::app {

namespace {

// The Save All dialog's second format is the pair.
CopyFormat copyFormatOf(const SaveAllChoice& choice) {
    return choice.format == 1 ? CopyFormat::VmiVmsPair : CopyFormat::Ddc;
}

// The name's extension chooses the format, whichever filter the dialog showed.
PcTarget targetNamed(const std::filesystem::path& chosen) {
    if (pc::lowerAscii(chosen.extension().string()) == formats::VMS_EXTENSION) {
        return {chosen.parent_path(), chosen.stem().string(), CopyFormat::VmiVmsPair};
    }
    return {chosen.parent_path(), chosen.filename().string(), CopyFormat::Ddc};
}

}  // namespace

void WindowCommands::tell(std::string_view status, const MessageBox& box) {
    m_organizer.setStatus(status);
    m_screen.ask(box);
}

bool WindowCommands::addFile() {
    if (m_organizer.refuseWithoutPage(text::COPY_TO_CARD_CAPTION) ||
        m_organizer.refuseUnwritable(text::COPY_TO_CARD_CAPTION)) {
        return false;
    }
    const auto chosen = m_screen.chooseFileToOpen(text::ADD_FILTERS, {});
    return chosen && m_organizer.addFile(*chosen);
}

bool WindowCommands::saveFile() {
    // Several files need a folder, not a file name: Save All's choice of folder and format.
    const std::vector<FileOnPage> several = m_organizer.filesInSlots(m_screen.selectedSlots());
    if (several.size() > 1) {
        const auto choice = m_screen.chooseSaveAll(text::SAVE_ALL_FORMATS);
        if (!choice) {
            m_organizer.setStatus(text::CANCELLED);
            return false;
        }
        return m_organizer.saveFiles(several, choice->folder, copyFormatOf(*choice));
    }
    const std::optional<FileOnPage>& selected = m_organizer.selection();
    if (m_organizer.refuseWithoutFile(selected, text::COPY_TO_PC_CAPTION)) {
        return false;
    }
    const auto chosen = m_screen.chooseFileToSave(text::SAVE_FILTERS, "ddc");
    if (!chosen) {
        m_organizer.setStatus(text::CANCELLED);
        return false;
    }
    return m_organizer.saveFile(*selected, targetNamed(*chosen));
}

bool WindowCommands::deleteFile() {
    const std::vector<FileOnPage> several = m_organizer.filesInSlots(m_screen.selectedSlots());
    if (several.size() > 1) {
        return m_organizer.deleteFiles(several);
    }
    const std::optional<FileOnPage>& selected = m_organizer.selection();
    if (!selected) {
        tell(text::NO_FILE_SELECTED_STATUS, text::noFileSelected(text::DELETE_CAPTION));
        return false;
    }
    return m_organizer.deleteFile(*selected);
}

bool WindowCommands::copyFileToPc(const std::filesystem::path& folder) {
    const std::vector<FileOnPage> several = m_organizer.filesInSlots(m_screen.selectedSlots());
    if (several.size() > 1) {
        return copyFilesToPc(several, folder);
    }
    const std::optional<FileOnPage>& selected = m_organizer.selection();
    if (m_organizer.refuseWithoutFile(selected, text::COPY_TO_PC_CAPTION)) {
        return false;
    }
    if (folder.empty()) {
        tell(text::NO_FOLDER_STATUS, text::NO_FOLDER);
        return false;
    }
    if (!formats::usableAsPcFileName(selected->name)) {
        tell(text::CANCELLED, text::UNUSABLE_PC_NAME);
        return false;
    }
    if (m_screen.ask(text::COPY_QUESTION) != BoxAnswer::Yes) {
        m_organizer.setStatus(text::CANCELLED);
        return false;
    }
    const PcTarget target =
        m_copyFormat == CopyFormat::VmiVmsPair
            ? PcTarget{folder, formats::pairNameOf(selected->name).value_or(""), m_copyFormat}
            : PcTarget{folder, card::nameToUtf8(selected->name), m_copyFormat};
    if (!m_organizer.writeFileToPc(*selected, target)) {
        return false;
    }
    m_screen.showPcFolder(folder);
    return true;
}

bool WindowCommands::copyFilesToPc(const std::vector<FileOnPage>& files,
                                   const std::filesystem::path& folder) {
    if (folder.empty()) {
        tell(text::NO_FOLDER_STATUS, text::NO_FOLDER);
        return false;
    }
    const std::string question = text::copyFilesQuestion(namesOf(files));
    if (m_screen.ask({question, text::COPY_TO_PC_CAPTION, BoxButtons::YesNo, BoxIcon::Question}) !=
        BoxAnswer::Yes) {
        m_organizer.setStatus(text::CANCELLED);
        return false;
    }
    const bool allSaved = m_organizer.saveFiles(files, folder, m_copyFormat);
    m_screen.showPcFolder(folder);
    return allSaved;
}

bool WindowCommands::importPageFile() {
    return importPageFileFrom({});
}

bool WindowCommands::restoreFromBackup() {
    std::filesystem::path folder;
    if (const auto& backups = m_organizer.backupFolder()) {
        // A folder that does not exist yet would open the dialog somewhere else.
        std::error_code ignored;
        std::filesystem::create_directories(*backups, ignored);
        folder = *backups;
    }
    return importPageFileFrom(folder);
}

bool WindowCommands::importPageFileFrom(const std::filesystem::path& dialogFolder) {
    if (m_organizer.refuseWithoutPage(text::IMPORT_CAPTION) ||
        !m_organizer.mayRemoveFiles(text::IMPORT_CAPTION)) {
        return false;
    }
    if (m_screen.ask(text::IMPORT_WARNING) != BoxAnswer::Yes) {
        m_organizer.setStatus(text::CANCELLED);
        return false;
    }
    const auto chosen = m_screen.chooseFileToOpen(text::IMPORT_FILTERS, dialogFolder);
    return chosen && m_organizer.importPage(*chosen, ImportWarning::AlreadyAsked);
}

bool WindowCommands::exportPageFile() {
    if (m_organizer.refuseWithoutPage(text::EXPORT_CAPTION)) {
        return false;
    }
    const auto chosen = m_screen.chooseFileToSave(text::EXPORT_FILTERS, "dcm");
    if (!chosen) {
        m_organizer.setStatus(text::EXPORT_CANCELLED);
        return false;
    }
    // The name's extension chooses the order: a raw image for .bin and .vmu, else a .dcm.
    return m_organizer.exportPage(
        *chosen, formats::imageOrderOf(*chosen).value_or(formats::ImageOrder::Card));
}

bool WindowCommands::saveAllFiles() {
    if (m_organizer.refuseWithoutPage(text::SAVE_ALL_CAPTION)) {
        return false;
    }
    const auto choice = m_screen.chooseSaveAll(text::SAVE_ALL_FORMATS);
    if (!choice) {
        m_organizer.setStatus(text::CANCELLED);
        return false;
    }
    return m_organizer.saveAll(choice->folder, copyFormatOf(*choice));
}

void WindowCommands::checkPage() {
    if (m_organizer.refuseWithoutPage(text::CHECK_CAPTION)) {
        return;
    }
    const LoadedPage& loaded = *m_organizer.loadedPage();
    const card::PageCheck check = card::checkPage(loaded.page);
    const std::string report = text::pageCheckReport(check, loaded.page, loaded.pageIndex + 1);
    if (m_screen.showPageCheck(report, !check.lostBlocks.empty()) ==
        PageCheckAnswer::FreeLostBlocks) {
        m_organizer.freeLostBlocks();
    }
}

bool WindowCommands::openCardImage() {
    if (!m_organizer.canSwitchCards()) {
        return false;
    }
    const auto chosen = m_screen.chooseFileToOpen(text::IMAGE_FILTERS, {});
    return chosen && m_organizer.openCardImage(*chosen);
}

bool WindowCommands::formatPage() {
    return m_organizer.formatPage();
}

bool WindowCommands::newCardImage() {
    const auto chosen = m_screen.chooseFileToSave(text::EXPORT_FILTERS, "dcm");
    if (!chosen) {
        m_organizer.setStatus(text::CANCELLED);
        return false;
    }
    return m_organizer.newCardImage(
        *chosen, formats::imageOrderOf(*chosen).value_or(formats::ImageOrder::Card));
}

}  // namespace quorvane::app
