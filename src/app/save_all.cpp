#include <algorithm>
#include <set>
#include <string>
#include <system_error>

#include "app/organizer.h"
#include "card/card_text.h"
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
    const std::vector<int> slots = card::enumerateFiles(m_pageImage);
    const bool showProgress = slots.size() > FILES_WITHOUT_PROGRESS;
    if (showProgress) {
        m_screen.progressCreate();
        m_screen.progressSetRange(0, static_cast<int>(slots.size()));
        m_screen.progressSetStep(1);
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
    for (const int slot : slots) {
        const std::string cardName = card::entryName(card::readSlot(m_pageImage, slot));
        text::SavedFile& file = files.emplace_back();
        file.cardName = card::printableUtf8(card::nameToUtf8(cardName));
        if (showProgress) {
            m_screen.progressStepIt();
        }
        if (card::extractFile(m_pageImage, slot, m_cardFile) != card::ExtractResult::Extracted) {
            file.skipped = text::SkipReason::Damaged;
            continue;
        }
        if (format == CopyFormat::VmiVmsPair) {
            if (m_cardFile.data.empty()) {
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
                formats::writePairFiles(folder, *name, m_cardFile);
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
        const formats::WriteStatus status = formats::writeDdcFile(folder / *name, m_cardFile);
        if (!status.ok()) {
            file.skipped = text::SkipReason::NotWritten;
            file.systemError = status.systemError;
        }
    }
    if (showProgress) {
        m_screen.progressDestroy();
    }
    return files;
}

bool Organizer::saveAllFilesCommand() {
    if (refuseWithoutPage(text::SAVE_ALL_CAPTION)) {
        return false;
    }
    const auto choice = m_screen.saveAllDialog(text::SAVE_ALL_FORMATS);
    if (!choice) {
        setStatus(text::CANCELLED);
        return false;
    }
    const std::vector<text::SavedFile> files = saveAllFiles(
        choice->folder, choice->format == 1 ? CopyFormat::VmiVmsPair : CopyFormat::Ddc);
    const bool anySkipped = std::any_of(files.begin(), files.end(),
                                        [](const text::SavedFile& file) { return file.skipped; });
    const bool anySaved = std::any_of(files.begin(), files.end(),
                                      [](const text::SavedFile& file) { return !file.skipped; });
    const std::string summary = text::saveAllSummary(choice->folder, files);
    tell(anySaved || files.empty() ? text::FILES_SAVED : text::FILES_NOT_SAVED,
         {summary, text::SAVE_ALL_CAPTION, BoxButtons::Ok,
          anySkipped ? BoxIcon::Warning : BoxIcon::Information});
    return !anySkipped;
}

}  // namespace quorvane::app
