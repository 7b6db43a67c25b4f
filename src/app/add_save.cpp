#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/pc_file_names.h"
#include "formats/single_file.h"
#include "formats/vmi_vms.h"
#include "pc/name_lookup.h"
#include "pc/name_order.h"

// Add File: a PC file (.ddc, .dci or a .vmi/.vms pair) becomes a new file of the page, which is
// committed at once. Save File: the selected card file becomes a .ddc file on the PC.
namespace quorvane::app {

namespace {

using formats::PairMember;
using formats::ReadResult;

enum class SourceKind { DdcFile, VmiVmsPair, DciFile, Unsupported };

// How a refused add is told: the status line first (empty: left as it was), then the box.
struct Refusal {
    std::string_view status;
    text::Box box;
};
const Refusal WONT_FIT{text::WONT_FIT_STATUS, text::WONT_FIT};

std::string extensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

SourceKind kindOf(const std::string& lowerExtension) {
    if (lowerExtension == "ddc") {
        return SourceKind::DdcFile;
    }
    if (lowerExtension == "vmi" || lowerExtension == "vms") {
        return SourceKind::VmiVmsPair;
    }
    if (lowerExtension == "dci") {
        return SourceKind::DciFile;
    }
    return SourceKind::Unsupported;
}

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

// Both members are looked for in the chosen file's folder, the partner by the lower-cased
// name that partnerName gives (an exact match wins over one that differs in case, as
// pc::findEntryIgnoringCase decides among several).
std::optional<std::filesystem::path> findPartner(const std::filesystem::path& chosen,
                                                 const std::string& lowerName,
                                                 PairMember chosenMember) {
    std::filesystem::path folder = chosen.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    return pc::findEntryIgnoringCase(folder, formats::partnerName(lowerName, chosenMember));
}

// A pair partner that cannot be opened counts as missing.
std::optional<Refusal> refusalOfRead(ReadResult result,
                                     std::optional<PairMember> partner = std::nullopt) {
    if (result == ReadResult::Ok) {
        return std::nullopt;
    }
    if (result == ReadResult::CannotOpen && partner) {
        return missingPartner(*partner);
    }
    return refusalOf(result);
}

std::optional<Refusal> readPair(const std::filesystem::path& chosen, const std::string& lowerName,
                                const Organizer::Clock& clock, card::FileBuffer& fileBuffer,
                                card::DirEntry& entry) {
    const PairMember chosenMember =
        extensionOf(lowerName) == "vmi" ? PairMember::Vmi : PairMember::Vms;
    const PairMember partnerMember =
        chosenMember == PairMember::Vmi ? PairMember::Vms : PairMember::Vmi;
    formats::CardFileName name{};
    std::uint16_t blocks = 0;
    if (chosenMember == PairMember::Vmi) {
        if (auto refused = refusalOfRead(formats::readVmiName(chosen, name))) {
            return refused;
        }
    }
    const auto partner = findPartner(chosen, lowerName, chosenMember);
    if (!partner) {
        return missingPartner(partnerMember);
    }
    if (chosenMember == PairMember::Vmi) {
        if (auto refused =
                refusalOfRead(formats::readVmsData(*partner, fileBuffer, blocks), partnerMember)) {
            return refused;
        }
    } else {
        if (auto refused = refusalOfRead(formats::readVmiName(*partner, name), partnerMember)) {
            return refused;
        }
        if (auto refused = refusalOfRead(formats::readVmsData(chosen, fileBuffer, blocks))) {
            return refused;
        }
    }
    entry = formats::buildPairEntry(name, blocks, clock());
    return std::nullopt;
}

// Reads the chosen file into `entry` and fileBuffer, or says why it cannot be added.
std::optional<Refusal> readAddSource(const std::filesystem::path& chosen,
                                     const Organizer::Clock& clock, card::FileBuffer& fileBuffer,
                                     card::DirEntry& entry) {
    const std::string lowerName = pc::lowerAscii(chosen.filename().string());
    switch (kindOf(extensionOf(lowerName))) {
        case SourceKind::DdcFile:
            return refusalOfRead(formats::readDdcFile(chosen, entry, fileBuffer));
        case SourceKind::VmiVmsPair:
            return readPair(chosen, lowerName, clock, fileBuffer, entry);
        case SourceKind::DciFile:
            return refusalOfRead(formats::readDciFile(chosen, entry, fileBuffer));
        case SourceKind::Unsupported:
            break;
    }
    return Refusal{text::CANCELLED, text::UNSUPPORTED_TYPE};
}

}  // namespace

bool Organizer::addFile(const std::filesystem::path& file) {
    if (refuseWithoutPage(text::COPY_TO_CARD_CAPTION) ||
        refuseReadOnly(text::COPY_TO_CARD_CAPTION)) {
        return false;
    }
    card::DirEntry entry;
    auto fileBuffer = std::make_unique<card::FileBuffer>();
    std::optional<Refusal> refused = readAddSource(file, m_clock, *fileBuffer, entry);
    if (!refused && !card::fitsOnPage(entry.sizeInBlocks, m_freeBlockCount)) {
        refused = WONT_FIT;
    }
    // The free count trusts the directory; after an add whose commit failed the FAT can hold
    // fewer free blocks than it claims, and the store then refuses without changing anything.
    if (!refused) {
        switch (card::storeNewFile(loaded().page, loaded().dirty, entry, *fileBuffer)) {
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

std::unique_ptr<card::FileBuffer> Organizer::extractForSave(int slot) {
    assignInfoLines(slot);
    auto fileBuffer = std::make_unique<card::FileBuffer>();
    if (card::extractFile(loaded().page, slot, *fileBuffer) != card::ExtractResult::Extracted) {
        tell(text::CANCELLED, text::DAMAGED_ON_CARD);
        return nullptr;
    }
    return fileBuffer;
}

bool Organizer::writeDdcFile(const std::filesystem::path& target, int slot) {
    const auto fileBuffer = extractForSave(slot);
    if (!fileBuffer) {
        return false;
    }
    const formats::WriteStatus status = formats::writeDdcFile(target, *fileBuffer);
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
    // Either member already there is the pair being replaced: one question for both.
    if (!confirmOverwrite({folder / (name + std::string(formats::VMS_EXTENSION)),
                           folder / (name + std::string(formats::VMI_EXTENSION))})) {
        return false;
    }
    const auto fileBuffer = extractForSave(slot);
    if (!fileBuffer) {
        return false;
    }
    const formats::PairWriteStatus status = formats::writePairFiles(folder, name, *fileBuffer);
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
