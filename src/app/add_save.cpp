#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "app/organizer.h"
#include "card/file_system.h"
#include "formats/card_file_reader.h"
#include "formats/pc_file_names.h"
#include "formats/single_file.h"
#include "formats/vmi_vms.h"
#include "pc/name_order.h"

// Add File: a PC file (.ddc, .dci or a .vmi/.vms pair) becomes a new file of the page, which is
// committed at once. Save File: the selected card file becomes a .ddc file on the PC.
namespace quorvane::app {

namespace {

using formats::CardFileProblem;
using formats::PairMember;
using formats::ReadResult;

// How a refused add is told: the status line first (empty: left as it was), then the box.
struct Refusal {
    std::string_view status;
    text::Box box;
};
const Refusal WONT_FIT{text::WONT_FIT_STATUS, text::WONT_FIT};
const Refusal UNFORMATTED_PAGE{text::NOT_FORMATTED, text::NOT_FORMATTED_ADD};

Refusal refusalOf(ReadResult result) {
    switch (result) {
        case ReadResult::CannotOpen:
            return {{}, text::FILE_NOT_FOUND};
        case ReadResult::WrongTag:
            return {text::CANCELLED, text::NOT_A_DREAMCAST_FILE};
        case ReadResult::TooManyBlocks:
            return WONT_FIT;
        case ReadResult::FreeEntryType:
            return {text::CANCELLED, text::FREE_ENTRY_TYPE};
        case ReadResult::VmiTooShort:
            return {text::CANCELLED, text::VMI_TOO_SHORT};
        case ReadResult::EmptyVms:
            return {text::CANCELLED, text::EMPTY_VMS};
        case ReadResult::ReadFailed:
            return {text::CANCELLED, text::CANNOT_READ_ADDED};
        case ReadResult::NotAFile:
            return {text::CANCELLED, text::NOT_A_FILE_ADDED};
        case ReadResult::TooShortForHeader:
        case ReadResult::TooShortForData:
        case ReadResult::PageFileTooShort:
        case ReadResult::Ok:
            break;
    }
    return {text::CANCELLED, text::DAMAGED_FILE};
}

Refusal missingPartner(PairMember missing) {
    return {text::CANCELLED,
            missing == PairMember::Vms ? text::NO_VMS_PARTNER : text::NO_VMI_PARTNER};
}

Refusal refusalOf(const formats::CardFileRefusal& refusal) {
    switch (refusal.problem) {
        case CardFileProblem::Unreadable:
            return refusalOf(refusal.read);
        case CardFileProblem::MissingPartner:
            return missingPartner(refusal.missing);
        case CardFileProblem::UnsupportedType:
            break;
    }
    return {text::CANCELLED, text::UNSUPPORTED_TYPE};
}

// Reads the chosen file into `file`, or says why it cannot be added.
std::optional<Refusal> readAddSource(const std::filesystem::path& chosen,
                                     const Organizer::Clock& clock, card::CardFile& file) {
    formats::CardFileRead read = formats::readCardFile(chosen, clock());
    if (const auto* refusal = std::get_if<formats::CardFileRefusal>(&read)) {
        return refusalOf(*refusal);
    }
    file = std::move(std::get<card::CardFile>(read));
    return std::nullopt;
}

}  // namespace

bool Organizer::addFile(const std::filesystem::path& file) {
    if (refuseWithoutPage(text::COPY_TO_CARD_CAPTION) ||
        refuseReadOnly(text::COPY_TO_CARD_CAPTION)) {
        return false;
    }
    card::CardFile cardFile;
    std::optional<Refusal> refused = readAddSource(file, m_clock, cardFile);
    if (!refused && !pageFormatted()) {
        refused = UNFORMATTED_PAGE;
    }
    if (!refused && !card::fitsOnPage(cardFile.entry.sizeInBlocks, m_freeBlockCount)) {
        refused = WONT_FIT;
    }
    // The free count trusts the directory; after an add whose commit failed the FAT can hold
    // fewer free blocks than it claims, and the store then refuses without changing anything.
    if (!refused) {
        switch (card::storeNewFile(loaded().page, loaded().dirty, cardFile)) {
            case card::StoreResult::Stored:
                break;
            case card::StoreResult::FreeEntryType:
                refused = refusalOf(ReadResult::FreeEntryType);
                break;
            case card::StoreResult::NoFreeSlot:
            case card::StoreResult::NotEnoughBlocks:
                refused = WONT_FIT;
                break;
        }
    }
    if (refused) {
        if (!refused->status.empty()) {
            setStatus(refused->status);
        }
        show(refused->box);
        return false;
    }
    if (!commitEdit()) {
        return false;
    }
    relistAfterEdit();
    return true;
}

std::optional<card::CardFile> Organizer::extractForSave(int slot) {
    assignInfoLines(slot);
    card::CardFile cardFile;
    if (card::extractFile(loaded().page, slot, cardFile) != card::ExtractResult::Extracted) {
        tell(text::CANCELLED, text::DAMAGED_ON_CARD);
        return std::nullopt;
    }
    return cardFile;
}

bool Organizer::writeDdcFile(const std::filesystem::path& target, int slot) {
    const std::optional<card::CardFile> cardFile = extractForSave(slot);
    if (!cardFile) {
        return false;
    }
    const formats::WriteStatus status = formats::writeDdcFile(target, *cardFile);
    if (!status.ok()) {
        reportWriteFailure(target, status, text::FILE_NOT_SAVED, text::COPY_TO_PC_CAPTION);
        return false;
    }
    return true;
}

bool Organizer::writePair(const std::filesystem::path& folder, const std::string& name, int slot) {
    if (!formats::isValidPairName(name)) {
        const std::string message = text::badPairName(name);
        tell(text::CANCELLED,
             {message, text::COPY_TO_PC_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
        return false;
    }
    const card::DirEntry entry = card::readSlot(loaded().page, slot);
    if (entry.sizeInBlocks == 0) {
        const std::string message = text::pairWithoutData(card::entryName(entry));
        tell(text::CANCELLED,
             {message, text::COPY_TO_PC_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
        return false;
    }
    // Either member already there is the pair being replaced: one question for both.
    if (!confirmOverwrite({folder / (name + std::string(formats::VMS_EXTENSION)),
                           folder / (name + std::string(formats::VMI_EXTENSION))})) {
        return false;
    }
    const std::optional<card::CardFile> cardFile = extractForSave(slot);
    if (!cardFile) {
        return false;
    }
    const formats::PairWriteStatus status = formats::writePairFiles(folder, name, *cardFile);
    if (!status.ok()) {
        reportWriteFailure(status.path, {status.write, status.systemError}, text::FILE_NOT_SAVED,
                           text::COPY_TO_PC_CAPTION);
        return false;
    }
    return true;
}

bool Organizer::writeFileToPc(const FileOnPage& file, const PcTarget& target) {
    if (refuseWithoutFile(file, text::COPY_TO_PC_CAPTION)) {
        return false;
    }
    if (target.format == CopyFormat::VmiVmsPair) {
        return writePair(target.folder, target.name, file.slot);
    }
    const std::filesystem::path path = target.folder / target.name;
    return confirmOverwrite({path}) && writeDdcFile(path, file.slot);
}

bool Organizer::saveFile(const FileOnPage& file, const PcTarget& target) {
    if (!writeFileToPc(file, target)) {
        return false;
    }
    setStatus(text::FILE_SAVED);
    return true;
}

}  // namespace quorvane::app
