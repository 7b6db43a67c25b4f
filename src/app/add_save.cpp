#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/single_file.h"
#include "formats/vmi_vms.h"

// Add File: a PC file (.ddc, .dci or a .vmi/.vms pair) becomes a new file of the page, which is
// committed at once. Save File: the selected card file becomes a .ddc file on the PC.
namespace quorvane::app {

namespace {
constexpr std::string_view kAddCaption = "Copy file to DC Memory pack.";
constexpr std::string_view kAddFileCaption = "Add a file to DC Memory pack.";
constexpr std::string_view kSaveCaption = "Copy file to PC";
constexpr std::string_view kCancelled = "Action cancelled...";

const std::array<FileFilter, 3> kAddFilters{{
    {"DC Memory Card File (*.ddc)", "*.ddc"},
    {"DC Memory Card File (*.dci)", "*.dci"},
    {"DC Memory Card File (*.vmi,*.vms)", "*.vmi;*.vms"},
}};
const std::array<FileFilter, 1> kSaveFilters{{{"DC Memory Card File (*.ddc)", "*.ddc"}}};

using formats::PairMember;
using formats::ReadResult;

enum class SourceKind { DdcFile, VmiVmsPair, DciFile, Unsupported };

// ASCII only: the window's locale must not change how an extension or a partner is named.
std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

std::string ExtensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

SourceKind KindOf(const std::string& lowerExtension) {
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

void RefuseFile(Organizer& organizer, std::string_view text, std::string_view caption) {
    organizer.SetStatus(kCancelled);
    organizer.screen().messageBox(text, caption, BoxButtons::Ok, BoxIcon::Warning);
}

void ReportWontFit(Organizer& organizer) {
    organizer.SetStatus("This file won't fit on this page...");
    organizer.screen().messageBox("This file won't fit on this page.", kAddCaption, BoxButtons::Ok,
                                  BoxIcon::Warning);
}

void ReportRefusedRead(Organizer& organizer, ReadResult result) {
    switch (result) {
        case ReadResult::CannotOpen:
            // The status line is left as it was for a file that cannot be opened.
            organizer.screen().messageBox("File Not Found.", kAddFileCaption, BoxButtons::Ok,
                                          BoxIcon::Warning);
            return;
        case ReadResult::WrongTag:
            RefuseFile(organizer, "This is not a Dreamcast file", kAddCaption);
            return;
        case ReadResult::TooManyBlocks:
            ReportWontFit(organizer);
            return;
        case ReadResult::FreeEntryType:
            RefuseFile(organizer,
                       "This file's directory entry is marked free; it is not a usable "
                       "Dreamcast file.",
                       kAddCaption);
            return;
        case ReadResult::VmiTooShort:
            RefuseFile(organizer, "The VMI file is too short to hold a file name.", kAddCaption);
            return;
        case ReadResult::EmptyVms:
            RefuseFile(organizer, "The VMS file is empty.", kAddCaption);
            return;
        case ReadResult::ReadFailed:
            RefuseFile(organizer, "The file could not be read.", kAddFileCaption);
            return;
        case ReadResult::TooShortForHeader:
        case ReadResult::TooShortForData:
        case ReadResult::PageFileTooShort:
        case ReadResult::Ok:
            break;
    }
    RefuseFile(organizer, "This file is damaged: it is shorter than its header or its blocks.",
               kAddCaption);
}

void ReportMissingPartner(Organizer& organizer, PairMember missing) {
    RefuseFile(organizer,
               missing == PairMember::Vms ? "Cannot find corresponding VMS file."
                                          : "Cannot find corresponding VMI file.",
               kAddFileCaption);
}

// Both members are looked for in the chosen file's folder, the partner by the lower-cased
// name that PartnerName gives (an exact match wins over one that differs in case).
std::optional<std::filesystem::path> FindPartner(const std::filesystem::path& chosen,
                                                 const std::string& lowerName,
                                                 PairMember chosenMember) {
    std::filesystem::path folder = chosen.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    return formats::FindFileIgnoringCase(folder, formats::PartnerName(lowerName, chosenMember));
}

// A refused read is reported; a pair partner that cannot be opened counts as missing.
bool AcceptRead(Organizer& organizer, ReadResult result,
                std::optional<PairMember> partner = std::nullopt) {
    if (result == ReadResult::Ok) {
        return true;
    }
    if (result == ReadResult::CannotOpen && partner) {
        ReportMissingPartner(organizer, *partner);
    } else {
        ReportRefusedRead(organizer, result);
    }
    return false;
}

bool ReadPair(Organizer& organizer, const std::filesystem::path& chosen,
              const std::string& lowerName, const Organizer::Clock& clock, card::DirEntry& entry) {
    const PairMember chosenMember =
        ExtensionOf(lowerName) == "vmi" ? PairMember::Vmi : PairMember::Vms;
    const PairMember partnerMember =
        chosenMember == PairMember::Vmi ? PairMember::Vms : PairMember::Vmi;
    formats::CardFileName name{};
    std::uint16_t blocks = 0;
    if (chosenMember == PairMember::Vmi &&
        !AcceptRead(organizer, formats::ReadVmiName(chosen, name))) {
        return false;
    }
    const auto partner = FindPartner(chosen, lowerName, chosenMember);
    if (!partner) {
        ReportMissingPartner(organizer, partnerMember);
        return false;
    }
    if (chosenMember == PairMember::Vmi) {
        if (!AcceptRead(organizer, formats::ReadVmsData(*partner, organizer.FileBuffer, blocks),
                        partnerMember)) {
            return false;
        }
    } else if (!AcceptRead(organizer, formats::ReadVmiName(*partner, name), partnerMember) ||
               !AcceptRead(organizer, formats::ReadVmsData(chosen, organizer.FileBuffer, blocks))) {
        return false;
    }
    entry = formats::BuildPairEntry(name, blocks, clock());
    return true;
}

// Reads the chosen file into `entry` and FileBuffer; every refusal is reported here and leaves
// the page as it was.
bool ReadAddSource(Organizer& organizer, const std::filesystem::path& chosen,
                   const Organizer::Clock& clock, card::DirEntry& entry) {
    const std::string lowerName = LowerCase(chosen.filename().string());
    switch (KindOf(ExtensionOf(lowerName))) {
        case SourceKind::DdcFile:
            return AcceptRead(organizer, formats::ReadDdcFile(chosen, entry, organizer.FileBuffer));
        case SourceKind::VmiVmsPair:
            return ReadPair(organizer, chosen, lowerName, clock, entry);
        case SourceKind::DciFile:
            return AcceptRead(organizer, formats::ReadDciFile(chosen, entry, organizer.FileBuffer));
        case SourceKind::Unsupported:
            break;
    }
    RefuseFile(organizer,
               "This file type is not supported. Choose a .ddc, .dci, .vmi or .vms file.",
               kAddCaption);
    return false;
}

}  // namespace

void Organizer::AddFile() {
    if (refuseWithoutPage(kAddCaption)) {
        return;
    }
    const auto chosen = m_screen.openFileDialog(kAddFilters);
    if (!chosen) {
        return;
    }
    card::DirEntry entry;
    if (!ReadAddSource(*this, *chosen, m_clock, entry)) {
        return;
    }
    if (!card::FitsOnPage(entry.sizeInBlocks, FreeBlockCount)) {
        ReportWontFit(*this);
        return;
    }
    // FreeBlockCount trusts the directory; after an add whose commit failed the FAT can hold
    // fewer free blocks than it claims, and the store then refuses without changing anything.
    switch (card::StoreNewFile(PageImage, DirtyMap, entry, FileBuffer)) {
        case card::StoreResult::Stored:
            break;
        case card::StoreResult::FreeEntryType:
            ReportRefusedRead(*this, ReadResult::FreeEntryType);
            return;
        case card::StoreResult::NoFreeSlot:
        case card::StoreResult::NotEnoughBlocks:
            ReportWontFit(*this);
            return;
    }
    m_screen.repaintNow();
    if (commitPage(false) == 0) {
        SetStatus(kCancelled);
        return;
    }
    relistAfterEdit();
}

bool Organizer::WriteDdcFile(const std::filesystem::path& target, int slot) {
    ShowFileInfo(slot);
    if (card::ExtractFile(PageImage, slot, FileBuffer) != card::ExtractResult::Extracted) {
        RefuseFile(*this, "This file is damaged on the card and cannot be saved.", kSaveCaption);
        return false;
    }
    const formats::WriteStatus status = formats::WriteDdcFile(target, FileBuffer);
    if (!status.ok()) {
        reportWriteFailure(target, status.systemError, "File not saved...", kSaveCaption);
        return false;
    }
    return true;
}

void Organizer::SaveFile() {
    if (refuseWithoutSelection(kSaveCaption)) {
        return;
    }
    const auto target = m_screen.saveFileDialog(kSaveFilters, "ddc");
    if (!target) {
        SetStatus(kCancelled);
        return;
    }
    if (!confirmOverwrite(*target) || !WriteDdcFile(*target, SelectedEntry)) {
        return;
    }
    SetStatus("File saved...");
}

}  // namespace quorvane::app
