#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/single_file.h"
#include "formats/vmi_vms.h"
#include "pc/name_lookup.h"

// Add File: a PC file (.ddc, .dci or a .vmi/.vms pair) becomes a new file of the page, which is
// committed at once. Save File: the selected card file becomes a .ddc file on the PC.
namespace quorvane::app {

namespace {
constexpr std::string_view ADD_CAPTION = "Copy file to DC Memory pack.";
constexpr std::string_view ADD_FILE_CAPTION = "Add a file to DC Memory pack.";
constexpr std::string_view SAVE_CAPTION = "Copy file to PC";
constexpr std::string_view CANCELLED = "Action cancelled...";

const std::array<FileFilter, 3> ADD_FILTERS{{
    {"DC Memory Card File (*.ddc)", "*.ddc"},
    {"DC Memory Card File (*.dci)", "*.dci"},
    {"DC Memory Card File (*.vmi,*.vms)", "*.vmi;*.vms"},
}};
const std::array<FileFilter, 1> SAVE_FILTERS{{{"DC Memory Card File (*.ddc)", "*.ddc"}}};

using formats::PairMember;
using formats::ReadResult;

enum class SourceKind { DdcFile, VmiVmsPair, DciFile, Unsupported };

// ASCII only: the window's locale must not change how an extension or a partner is named.
std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

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

void refuseFile(Organizer& organizer, std::string_view text, std::string_view caption) {
    organizer.setStatus(CANCELLED);
    organizer.screen().messageBox(text, caption, BoxButtons::Ok, BoxIcon::Warning);
}

void reportWontFit(Organizer& organizer) {
    organizer.setStatus("This file won't fit on this page...");
    organizer.screen().messageBox("This file won't fit on this page.", ADD_CAPTION, BoxButtons::Ok,
                                  BoxIcon::Warning);
}

void reportRefusedRead(Organizer& organizer, ReadResult result) {
    switch (result) {
        case ReadResult::CannotOpen:
            // The status line is left as it was for a file that cannot be opened.
            organizer.screen().messageBox("File Not Found.", ADD_FILE_CAPTION, BoxButtons::Ok,
                                          BoxIcon::Warning);
            return;
        case ReadResult::WrongTag:
            refuseFile(organizer, "This is not a Dreamcast file", ADD_CAPTION);
            return;
        case ReadResult::TooManyBlocks:
            reportWontFit(organizer);
            return;
        case ReadResult::FreeEntryType:
            refuseFile(organizer,
                       "This file's directory entry is marked free; it is not a usable "
                       "Dreamcast file.",
                       ADD_CAPTION);
            return;
        case ReadResult::VmiTooShort:
            refuseFile(organizer, "The VMI file is too short to hold a file name.", ADD_CAPTION);
            return;
        case ReadResult::EmptyVms:
            refuseFile(organizer, "The VMS file is empty.", ADD_CAPTION);
            return;
        case ReadResult::ReadFailed:
            refuseFile(organizer, "The file could not be read.", ADD_FILE_CAPTION);
            return;
        case ReadResult::TooShortForHeader:
        case ReadResult::TooShortForData:
        case ReadResult::PageFileTooShort:
        case ReadResult::Ok:
            break;
    }
    refuseFile(organizer, "This file is damaged: it is shorter than its header or its blocks.",
               ADD_CAPTION);
}

void reportMissingPartner(Organizer& organizer, PairMember missing) {
    refuseFile(organizer,
               missing == PairMember::Vms ? "Cannot find corresponding VMS file."
                                          : "Cannot find corresponding VMI file.",
               ADD_FILE_CAPTION);
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

// A refused read is reported; a pair partner that cannot be opened counts as missing.
bool acceptRead(Organizer& organizer, ReadResult result,
                std::optional<PairMember> partner = std::nullopt) {
    if (result == ReadResult::Ok) {
        return true;
    }
    if (result == ReadResult::CannotOpen && partner) {
        reportMissingPartner(organizer, *partner);
    } else {
        reportRefusedRead(organizer, result);
    }
    return false;
}

bool readPair(Organizer& organizer, const std::filesystem::path& chosen,
              const std::string& lowerName, const Organizer::Clock& clock, card::DirEntry& entry) {
    const PairMember chosenMember =
        extensionOf(lowerName) == "vmi" ? PairMember::Vmi : PairMember::Vms;
    const PairMember partnerMember =
        chosenMember == PairMember::Vmi ? PairMember::Vms : PairMember::Vmi;
    formats::CardFileName name{};
    std::uint16_t blocks = 0;
    if (chosenMember == PairMember::Vmi &&
        !acceptRead(organizer, formats::readVmiName(chosen, name))) {
        return false;
    }
    const auto partner = findPartner(chosen, lowerName, chosenMember);
    if (!partner) {
        reportMissingPartner(organizer, partnerMember);
        return false;
    }
    if (chosenMember == PairMember::Vmi) {
        if (!acceptRead(organizer, formats::readVmsData(*partner, organizer.fileBuffer, blocks),
                        partnerMember)) {
            return false;
        }
    } else if (!acceptRead(organizer, formats::readVmiName(*partner, name), partnerMember) ||
               !acceptRead(organizer, formats::readVmsData(chosen, organizer.fileBuffer, blocks))) {
        return false;
    }
    entry = formats::buildPairEntry(name, blocks, clock());
    return true;
}

// Reads the chosen file into `entry` and FileBuffer; every refusal is reported here and leaves
// the page as it was.
bool readAddSource(Organizer& organizer, const std::filesystem::path& chosen,
                   const Organizer::Clock& clock, card::DirEntry& entry) {
    const std::string lowerName = lowerCase(chosen.filename().string());
    switch (kindOf(extensionOf(lowerName))) {
        case SourceKind::DdcFile:
            return acceptRead(organizer, formats::readDdcFile(chosen, entry, organizer.fileBuffer));
        case SourceKind::VmiVmsPair:
            return readPair(organizer, chosen, lowerName, clock, entry);
        case SourceKind::DciFile:
            return acceptRead(organizer, formats::readDciFile(chosen, entry, organizer.fileBuffer));
        case SourceKind::Unsupported:
            break;
    }
    refuseFile(organizer,
               "This file type is not supported. Choose a .ddc, .dci, .vmi or .vms file.",
               ADD_CAPTION);
    return false;
}

}  // namespace

void Organizer::addFile() {
    if (refuseWithoutPage(ADD_CAPTION)) {
        return;
    }
    const auto chosen = m_screen.openFileDialog(ADD_FILTERS);
    if (!chosen) {
        return;
    }
    card::DirEntry entry;
    if (!readAddSource(*this, *chosen, m_clock, entry)) {
        return;
    }
    if (!card::fitsOnPage(entry.sizeInBlocks, freeBlockCount)) {
        reportWontFit(*this);
        return;
    }
    // FreeBlockCount trusts the directory; after an add whose commit failed the FAT can hold
    // fewer free blocks than it claims, and the store then refuses without changing anything.
    switch (card::storeNewFile(pageImage, dirtyMap, entry, fileBuffer)) {
        case card::StoreResult::Stored:
            break;
        case card::StoreResult::FreeEntryType:
            reportRefusedRead(*this, ReadResult::FreeEntryType);
            return;
        case card::StoreResult::NoFreeSlot:
        case card::StoreResult::NotEnoughBlocks:
            reportWontFit(*this);
            return;
    }
    m_screen.repaintNow();
    if (commitPage(false) == 0) {
        setStatus(CANCELLED);
        return;
    }
    relistAfterEdit();
}

bool Organizer::writeDdcFile(const std::filesystem::path& target, int slot) {
    showFileInfo(slot);
    if (card::extractFile(pageImage, slot, fileBuffer) != card::ExtractResult::Extracted) {
        refuseFile(*this, "This file is damaged on the card and cannot be saved.", SAVE_CAPTION);
        return false;
    }
    const formats::WriteStatus status = formats::writeDdcFile(target, fileBuffer);
    if (!status.ok()) {
        reportWriteFailure(target, status.systemError, "File not saved...", SAVE_CAPTION);
        return false;
    }
    return true;
}

void Organizer::saveFile() {
    if (refuseWithoutSelection(SAVE_CAPTION)) {
        return;
    }
    const auto target = m_screen.saveFileDialog(SAVE_FILTERS, "ddc");
    if (!target) {
        setStatus(CANCELLED);
        return;
    }
    if (!confirmOverwrite(*target) || !writeDdcFile(*target, selectedEntry)) {
        return;
    }
    setStatus("File saved...");
}

}  // namespace quorvane::app
