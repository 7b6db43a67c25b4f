// SPDX-License-Identifier: GPL-3.0-or-later
// The .vmi/.vms pair parsers on arbitrary bytes, alone and as readCardFile reads the pair: the
// first input byte splits the rest into the .vmi and the .vms.
#include <algorithm>
#include <cstring>
#include <variant>

#include "formats/card_file_reader.h"
#include "formats/vmi_vms.h"
#include "fuzz_check.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::span<const std::uint8_t> rest(data + 1, size - 1);
    std::size_t vmiSize = std::min<std::size_t>(rest.size(), std::size_t{data[0]} * 2);
    std::span<const std::uint8_t> vmi = rest.first(vmiSize);
    std::span<const std::uint8_t> vms = rest.subspan(vmiSize);

    formats::CardFileName name{};
    formats::ReadResult nameResult = formats::parseVmiName(vmi, name);
    QUORVANE_FUZZ_CHECK((nameResult == formats::ReadResult::Ok) ==
                        (vmiSize >= formats::VMI_MIN_SIZE));
    if (nameResult == formats::ReadResult::Ok) {
        QUORVANE_FUZZ_CHECK(
            std::memcmp(name.data(), rest.data() + formats::VMI_NAME_OFFSET, name.size()) == 0);
    }

    std::vector<std::uint8_t> buffer(3, 0xEE);
    std::uint16_t blocks = 0;
    formats::ReadResult dataResult = formats::parseVmsData(vms, vms.size(), buffer, blocks);
    std::size_t vmsSize = vms.size();
    if (vmsSize == 0) {
        QUORVANE_FUZZ_CHECK(dataResult == formats::ReadResult::EmptyVms);
    } else if (dataResult == formats::ReadResult::Ok) {
        // Rounded up to whole blocks, zero padded, nothing lost.
        QUORVANE_FUZZ_CHECK(blocks == (vmsSize + card::BLOCK_SIZE - 1) / card::BLOCK_SIZE);
        QUORVANE_FUZZ_CHECK(buffer.size() == std::size_t{blocks} * card::BLOCK_SIZE);
        QUORVANE_FUZZ_CHECK(std::memcmp(buffer.data(), rest.data() + vmiSize, vmsSize) == 0);
        QUORVANE_FUZZ_CHECK(std::all_of(buffer.begin() + static_cast<long>(vmsSize), buffer.end(),
                                        [](std::uint8_t b) { return b == 0; }));
        const std::uint16_t mode = formats::parseVmiMode(vmi);
        card::DirEntry entry = formats::buildPairEntry(name, blocks, formats::LocalTime{}, mode);
        QUORVANE_FUZZ_CHECK(entry.fileType == ((mode & formats::VMI_MODE_GAME) != 0
                                                   ? card::GAME_FILE_TYPE
                                                   : formats::PAIR_FILE_TYPE));
        QUORVANE_FUZZ_CHECK(entry.headerOffset < std::max<std::uint16_t>(blocks, 1));
        QUORVANE_FUZZ_CHECK(entry.sizeInBlocks == blocks);
    } else {
        QUORVANE_FUZZ_CHECK(dataResult == formats::ReadResult::TooManyBlocks);
        QUORVANE_FUZZ_CHECK(vmsSize > card::FILE_DATA_CAPACITY);
        QUORVANE_FUZZ_CHECK(buffer.size() == card::FILE_DATA_CAPACITY);
    }

    // Either member chosen, the pair reads as one card file, or the first refusal: the .vmi's.
    for (const char* chosen : {"x.vmi", "x.VMS"}) {
        const bool vmiChosen = chosen[2] == 'v';
        const formats::CardFileRead read = formats::readCardFile(
            chosen, vmiChosen ? vmi : vms, vmiChosen ? vms : vmi, formats::LocalTime{});
        if (const auto* file = std::get_if<card::CardFile>(&read)) {
            QUORVANE_FUZZ_CHECK(nameResult == formats::ReadResult::Ok &&
                                dataResult == formats::ReadResult::Ok);
            QUORVANE_FUZZ_CHECK(file->entry.fileName == name && file->data == buffer);
            QUORVANE_FUZZ_CHECK(file->entry.sizeInBlocks == blocks);
        } else {
            const formats::ReadResult first =
                nameResult != formats::ReadResult::Ok ? nameResult : dataResult;
            QUORVANE_FUZZ_CHECK(std::get<formats::CardFileRefusal>(read).read == first);
        }
    }

    // A .vms that ends before the length it gave is a failed read that leaves the count alone.
    if (vmsSize > 0) {
        std::size_t cut = std::min(vmsSize, card::FILE_DATA_CAPACITY) - 1;
        std::uint16_t untouched = 0xBEEF;
        QUORVANE_FUZZ_CHECK(formats::parseVmsData(vms.first(cut), vmsSize, buffer, untouched) ==
                            formats::ReadResult::ReadFailed);
        QUORVANE_FUZZ_CHECK(untouched == 0xBEEF);
    }

    // A .vmi built from an entry and data off a card stays within both, whatever they hold.
    if (vmiSize >= card::DIR_ENTRY_SIZE) {
        const card::DirEntry entry = card::decodeDirEntry(vmi.first<card::DIR_ENTRY_SIZE>());
        const formats::VmiBytes built = formats::buildVmi(entry, vms, "FUZZ");
        QUORVANE_FUZZ_CHECK(std::memcmp(built.data() + formats::VMI_NAME_OFFSET,
                                        entry.fileName.data(), entry.fileName.size()) == 0);
        QUORVANE_FUZZ_CHECK(built[formats::VMI_DATE_OFFSET + 7] < 7);  // weekday
        QUORVANE_FUZZ_CHECK(built[formats::VMI_CHECKSUM_OFFSET] == ('F' & 'S'));
    }

    // Partner names never leave the folder the chosen file is in.
    std::string chosen(reinterpret_cast<const char*>(rest.data()),
                       std::min<std::size_t>(rest.size(), 40));
    for (auto member : {formats::PairMember::Vmi, formats::PairMember::Vms}) {
        std::string partner = formats::partnerName(chosen, member);
        QUORVANE_FUZZ_CHECK(partner.size() >= 4);
    }
    return 0;
}
