// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/card_file_reader.h"

#include <string>
#include <vector>

#include "formats/input_file.h"
#include "formats/single_file.h"
#include "pc/name_lookup.h"
#include "pc/name_order.h"

namespace quorvane::formats {

namespace {

// A file's bytes as its reader got them: `opened` is Ok, or why they could not be had.
struct FileBytes {
    ReadResult opened = ReadResult::Ok;
    std::span<const std::uint8_t> bytes;
    std::uint64_t length = 0;  // the whole file's, which may be longer than `bytes`
};

FileBytes wholeBytes(std::span<const std::uint8_t> bytes) {
    return {ReadResult::Ok, bytes, bytes.size()};
}

FileBytes bytesOf(const FileStart& file) {
    return {file.result, file.bytes, file.length};
}

CardFileRefusal unreadable(ReadResult result) {
    return {CardFileProblem::Unreadable, result};
}

CardFileRefusal missingPartner(PairMember member) {
    return {CardFileProblem::MissingPartner, ReadResult::CannotOpen, member};
}

std::optional<CardFileRefusal> refusalOfChosen(ReadResult result) {
    if (result == ReadResult::Ok) {
        return std::nullopt;
    }
    return unreadable(result);
}

// A partner that cannot be opened counts as missing.
std::optional<CardFileRefusal> refusalOfPartner(ReadResult result, PairMember partner) {
    if (result == ReadResult::CannotOpen) {
        return missingPartner(partner);
    }
    return refusalOfChosen(result);
}

// `read` fills a CardFile from a .ddc or .dci and says how it went.
template <typename Read>
CardFileRead singleFile(Read read) {
    card::CardFile file;
    if (const ReadResult result = read(file); result != ReadResult::Ok) {
        return unreadable(result);
    }
    return file;
}

ReadResult vmiName(const FileBytes& vmi, CardFileName& name, std::uint16_t& mode) {
    if (vmi.opened != ReadResult::Ok) {
        return vmi.opened;
    }
    mode = parseVmiMode(vmi.bytes);
    return parseVmiName(vmi.bytes, name);
}

ReadResult vmsData(const FileBytes& vms, std::vector<std::uint8_t>& data, std::uint16_t& blocks) {
    return vms.opened == ReadResult::Ok ? parseVmsData(vms.bytes, vms.length, data, blocks)
                                        : vms.opened;
}

// The chosen member is refused before its partner is looked for when it is the .vmi, after the
// partner when it is the .vms: the .vmi names the file, so it is always read first.
CardFileRead pairFile(PairMember chosenMember, const FileBytes& chosen,
                      const std::optional<FileBytes>& partner, const LocalTime& now) {
    CardFileName name{};
    std::uint16_t mode = 0;
    std::uint16_t blocks = 0;
    card::CardFile file;
    if (chosenMember == PairMember::Vmi) {
        if (auto refused = refusalOfChosen(vmiName(chosen, name, mode))) {
            return *refused;
        }
        if (!partner) {
            return missingPartner(PairMember::Vms);
        }
        if (auto refused =
                refusalOfPartner(vmsData(*partner, file.data, blocks), PairMember::Vms)) {
            return *refused;
        }
    } else {
        if (!partner) {
            return missingPartner(PairMember::Vmi);
        }
        if (auto refused = refusalOfPartner(vmiName(*partner, name, mode), PairMember::Vmi)) {
            return *refused;
        }
        if (auto refused = refusalOfChosen(vmsData(chosen, file.data, blocks))) {
            return *refused;
        }
    }
    file.entry = buildPairEntry(name, blocks, now, mode);
    return file;
}

PairMember memberOf(CardFileKind kind) {
    return kind == CardFileKind::Vmi ? PairMember::Vmi : PairMember::Vms;
}

PairMember otherMember(PairMember member) {
    return member == PairMember::Vmi ? PairMember::Vms : PairMember::Vmi;
}

// A member read as much as its parse function looks at.
FileStart readMember(const std::filesystem::path& path, PairMember member) {
    return member == PairMember::Vmi ? readFileStart(path, VMI_READ_SIZE)
                                     : readFileStartAndLength(path, card::FILE_DATA_CAPACITY);
}

// The partner is looked for in the chosen file's folder by the lower-cased name that
// partnerName gives (an exact match wins over one that differs in case, as
// pc::findEntryIgnoringCase decides among several).
std::optional<std::filesystem::path> findPartner(const std::filesystem::path& chosen,
                                                 const std::string& lowerName,
                                                 PairMember chosenMember) {
    std::filesystem::path folder = chosen.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    return pc::findEntryIgnoringCase(folder, partnerName(lowerName, chosenMember));
}

CardFileRead readPair(const std::filesystem::path& path, const std::string& lowerName,
                      PairMember chosenMember, const LocalTime& now) {
    const FileStart chosen = readMember(path, chosenMember);
    const auto partnerPath = findPartner(path, lowerName, chosenMember);
    std::optional<FileStart> partner;
    if (partnerPath) {
        partner = readMember(*partnerPath, otherMember(chosenMember));
    }
    std::optional<FileBytes> partnerBytes;
    if (partner) {
        partnerBytes = bytesOf(*partner);
    }
    return pairFile(chosenMember, bytesOf(chosen), partnerBytes, now);
}

}  // namespace

CardFileKind cardFileKindOf(std::string_view fileName) {
    const std::string lowerName = pc::lowerAscii(fileName);
    const auto dot = lowerName.rfind('.');
    const std::string extension =
        dot == std::string::npos ? std::string() : lowerName.substr(dot + 1);
    if (extension == "ddc") {
        return CardFileKind::Ddc;
    }
    if (extension == "dci") {
        return CardFileKind::Dci;
    }
    if (extension == "vmi") {
        return CardFileKind::Vmi;
    }
    if (extension == "vms") {
        return CardFileKind::Vms;
    }
    return CardFileKind::Unsupported;
}

CardFileRead readCardFile(const std::filesystem::path& path, const LocalTime& now) {
    const std::string lowerName = pc::lowerAscii(path.filename().string());
    switch (const CardFileKind kind = cardFileKindOf(lowerName)) {
        case CardFileKind::Ddc:
            return singleFile([&](card::CardFile& file) { return readDdcFile(path, file); });
        case CardFileKind::Dci:
            return singleFile([&](card::CardFile& file) { return readDciFile(path, file); });
        case CardFileKind::Vmi:
        case CardFileKind::Vms:
            return readPair(path, lowerName, memberOf(kind), now);
        case CardFileKind::Unsupported:
            break;
    }
    return CardFileRefusal{CardFileProblem::UnsupportedType};
}

CardFileRead readCardFile(std::string_view fileName, std::span<const std::uint8_t> bytes,
                          std::optional<std::span<const std::uint8_t>> partnerBytes,
                          const LocalTime& now) {
    switch (const CardFileKind kind = cardFileKindOf(fileName)) {
        case CardFileKind::Ddc:
            return singleFile([&](card::CardFile& file) { return parseDdcFile(bytes, file); });
        case CardFileKind::Dci:
            return singleFile([&](card::CardFile& file) { return parseDciFile(bytes, file); });
        case CardFileKind::Vmi:
        case CardFileKind::Vms: {
            std::optional<FileBytes> partner;
            if (partnerBytes) {
                partner = wholeBytes(*partnerBytes);
            }
            return pairFile(memberOf(kind), wholeBytes(bytes), partner, now);
        }
        case CardFileKind::Unsupported:
            break;
    }
    return CardFileRefusal{CardFileProblem::UnsupportedType};
}

}  // namespace quorvane::formats
