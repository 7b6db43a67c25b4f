// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <system_error>

#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/pc_file_names.h"
#include "formats/single_file.h"
#include "formats/vmi_vms.h"
#include "pc/name_order.h"

// Save All Files: every file of the page into one folder, in one format.
namespace quorvane::app {

namespace {

// Above this many files the progress window shows how far the saving is.
constexpr std::size_t FILES_WITHOUT_PROGRESS = 8;

}  // namespace

std::vector<text::SavedFile> Organizer::saveAllFiles(const std::filesystem::path& folder,
                                                     CopyFormat format) {
    return saveFilesIn(card::enumerateFiles(loaded().page), folder, format);
}

std::vector<text::SavedFile> Organizer::saveFilesIn(const std::vector<int>& slots,
                                                    const std::filesystem::path& folder,
                                                    CopyFormat format) {
    const card::PageBytes& page = loaded().page;
    const bool showProgress = slots.size() > FILES_WITHOUT_PROGRESS;
    Progress& progress = m_screen.progress(ProgressKind::Window);
    if (showProgress) {
        progress.begin(static_cast<int>(slots.size()));
    }
    // The folder is read once; every file written joins the names taken. A name taken in
    // another case is taken for a pair: its partner is found whatever its case.
    std::set<std::string> names;
    std::set<std::string> lowerNames;
    const auto take = [&names, &lowerNames](const std::string& name) {
        names.insert(name);
        lowerNames.insert(pc::lowerAscii(name));
    };
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        take(it->path().filename().string());
    }
    const formats::NameTaken ddcTaken = [&names](const std::string& name) {
        return names.count(name) != 0;
    };
    const formats::NameTaken pairTaken = [&lowerNames](const std::string& name) {
        return lowerNames.count(pc::lowerAscii(name)) != 0;
    };
    std::vector<text::SavedFile> files;
    card::CardFile cardFile;
    for (const int slot : slots) {
        const std::string cardName = card::entryName(card::readSlot(page, slot));
        text::SavedFile& file = files.emplace_back();
        file.cardName = cardName;
        if (showProgress) {
            progress.advance(static_cast<int>(files.size()));
        }
        if (card::extractFile(page, slot, cardFile) != card::ExtractResult::Extracted) {
            file.skipped = text::SkipReason::Damaged;
            continue;
        }
        if (format == CopyFormat::VmiVmsPair) {
            if (cardFile.data.empty()) {
                file.skipped = text::SkipReason::NoData;
                continue;
            }
            const auto name = formats::freePairName(cardName, pairTaken);
            if (!name) {
                file.skipped = text::SkipReason::NoFreeName;
                continue;
            }
            file.fileName = *name + std::string(formats::VMS_EXTENSION);
            take(*name + std::string(formats::VMI_EXTENSION));
            take(file.fileName);
            const formats::PairWriteStatus status =
                formats::writePairFiles(folder, *name, cardFile);
            if (!status.ok()) {
                file.skipped = text::SkipReason::NotWritten;
                file.systemError = status.systemError;
            }
            continue;
        }
        if (!formats::usableAsPcFileName(cardName)) {
            file.skipped = text::SkipReason::NameUnusable;
            continue;
        }
        const auto name = formats::freeDdcFileName(cardName, ddcTaken);
        if (!name) {
            file.skipped = text::SkipReason::NoFreeName;
            continue;
        }
        file.fileName = *name;
        take(*name);
        const formats::WriteStatus status = formats::writeDdcFile(folder / *name, cardFile);
        if (!status.ok()) {
            file.skipped = text::SkipReason::NotWritten;
            file.systemError = status.systemError;
        }
    }
    if (showProgress) {
        progress.end();
    }
    return files;
}

bool Organizer::saveAll(const std::filesystem::path& folder, CopyFormat format) {
    if (refuseWithoutPage(text::SAVE_ALL_CAPTION)) {
        return false;
    }
    return tellSaved(folder, saveAllFiles(folder, format), text::SAVE_ALL_CAPTION);
}

std::vector<text::SavedFile> Organizer::writeFilesToPc(const std::vector<FileOnPage>& files,
                                                       const std::filesystem::path& folder,
                                                       CopyFormat format) {
    std::vector<int> slots;
    slots.reserve(files.size());
    for (const FileOnPage& file : files) {
        if (holds(file)) {
            slots.push_back(file.slot);
        }
    }
    return saveFilesIn(slots, folder, format);
}

bool Organizer::saveFiles(const std::vector<FileOnPage>& files, const std::filesystem::path& folder,
                          CopyFormat format) {
    if (refuseWithoutPage(text::COPY_TO_PC_CAPTION) ||
        refuseWithoutFiles(files, text::COPY_TO_PC_CAPTION)) {
        return false;
    }
    return tellSaved(folder, writeFilesToPc(files, folder, format), text::COPY_TO_PC_CAPTION);
}

bool Organizer::tellSaved(const std::filesystem::path& folder,
                          const std::vector<text::SavedFile>& files, std::string_view caption) {
    const bool anySkipped = std::any_of(files.begin(), files.end(),
                                        [](const text::SavedFile& file) { return file.skipped; });
    const bool anySaved = std::any_of(files.begin(), files.end(),
                                      [](const text::SavedFile& file) { return !file.skipped; });
    const std::string summary = text::saveAllSummary(folder, files);
    tell(anySaved || files.empty() ? text::FILES_SAVED : text::FILES_NOT_SAVED,
         {summary, caption, BoxButtons::Ok, anySkipped ? BoxIcon::Warning : BoxIcon::Information});
    return !anySkipped;
}

}  // namespace quorvane::app
