// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus of the fuzz targets: formatted pages, pages with files, and files of
// each PC format, all made by the program's own code.
//   make_fuzz_corpus <corpus folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "card/byte_order.h"
#include "card/card_file.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/save_header.h"
#include "formats/single_file.h"
#include "formats/vmi_vms.h"

using namespace quorvane;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void write(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

card::DirEntry makeEntry(const std::string& name, std::uint16_t blocks) {
    card::DirEntry entry;
    entry.fileType = 0x33;
    for (std::size_t i = 0; i < name.size() && i < 12; ++i) {
        entry.fileName[i] = static_cast<std::uint8_t>(name[i]);
    }
    entry.timeStamp = {20, 26, 12, 7, 9, 30, 0, 0};
    entry.sizeInBlocks = blocks;
    return entry;
}

// A formatted page with three files, one of them with a save header in its first block.
std::unique_ptr<card::PageBytes> pageWithFiles() {
    auto page = std::make_unique<card::PageBytes>();
    card::formatPage(*page);
    const std::string header = "QUORVANE SAMPLE1Sample save made by Quorvane    QUORVANE";
    card::DirtyMap dirty{};
    for (auto [name, blocks] :
         {std::pair{"RACEDATA_001", 3}, {"PUZZLE___SYS", 1}, {"QUORVANE_001", 5}}) {
        card::CardFile file{makeEntry(name, static_cast<std::uint16_t>(blocks)),
                            std::vector<std::uint8_t>(std::size_t(blocks) * card::BLOCK_SIZE)};
        std::copy(header.begin(), header.end(), file.data.begin());
        card::storeNewFile(*page, dirty, file);
    }
    return page;
}

Bytes pageBytesOf(const card::PageBytes& page) {
    return Bytes(page.begin(), page.end());
}

Bytes entryBytes(const card::DirEntry& entry) {
    Bytes bytes(card::DIR_ENTRY_SIZE);
    card::encodeDirEntry(
        entry, std::span<std::uint8_t, card::DIR_ENTRY_SIZE>(bytes.data(), card::DIR_ENTRY_SIZE));
    return bytes;
}

// Operation header of fuzz_page_operations: kind, slot (2 bytes), entry (32), fill, padding.
Bytes operation(int kind, int slot, const card::DirEntry& entry) {
    Bytes op{static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(slot + 2), 0};
    Bytes e = entryBytes(entry);
    op.insert(op.end(), e.begin(), e.end());
    op.resize(40, 0x11);
    return op;
}

Bytes systemArea(const card::PageBytes& page) {
    return Bytes(page.begin() + static_cast<long>(card::DIR_OFFSET), page.end());
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus <corpus folder>\n");
        return 2;
    }
    const fs::path root = argv[1];

    auto formatted = std::make_unique<card::PageBytes>();
    card::formatPage(*formatted);
    auto withFiles = pageWithFiles();
    auto cardOrder = std::make_unique<card::CardOrderPage>();
    card::pageToCard(*withFiles, *cardOrder);

    write(root / "fuzz_page_file" / "formatted.dcm", pageBytesOf(*formatted));
    write(root / "fuzz_page_file" / "with_files.dcm", pageBytesOf(cardOrder->bytes));
    write(root / "fuzz_page_file" / "short.dcm", Bytes(100, 0xFC));

    // Whole-card images: the first byte chooses the order (0 card, 1 file-system).
    write(root / "fuzz_image_file" / "with_files.dcm",
          concat(Bytes{0}, pageBytesOf(cardOrder->bytes)));
    write(root / "fuzz_image_file" / "with_files.bin", concat(Bytes{1}, pageBytesOf(*withFiles)));
    write(root / "fuzz_image_file" / "renamed.bin",
          concat(Bytes{1}, pageBytesOf(cardOrder->bytes)));
    write(root / "fuzz_image_file" / "short.vmu", concat(Bytes{1}, Bytes(100, 0xFC)));

    const card::DirEntry newFile = makeEntry("NEWFILE_0001", 2);
    for (int kind = 0; kind < 5; ++kind) {
        write(root / "fuzz_page_operations" / ("formatted-" + std::to_string(kind)),
              concat(operation(kind, 207, newFile), systemArea(*formatted)));
        for (int slot : {205, 206, 207}) {
            write(root / "fuzz_page_operations" /
                      ("files-" + std::to_string(kind) + "-" + std::to_string(slot)),
                  concat(operation(kind, slot, newFile), systemArea(*withFiles)));
        }
    }

    // .ddc and .dci of a 2-block file, and a short one.
    Bytes blocks(2 * card::BLOCK_SIZE);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        blocks[i] = static_cast<std::uint8_t>(i);
    }
    const Bytes tag(formats::DDC_TAG.begin(), formats::DDC_TAG.end());
    Bytes ddc = concat(concat(tag, entryBytes(newFile)), blocks);
    write(root / "fuzz_single_file" / "two_blocks.ddc", ddc);
    Bytes reversed(blocks.size());
    card::reverseGroups(blocks, reversed);
    write(root / "fuzz_single_file" / "two_blocks.dci", concat(entryBytes(newFile), reversed));
    write(root / "fuzz_single_file" / "header_only",
          Bytes(ddc.begin(), ddc.begin() + formats::DDC_DATA_OFFSET));

    // .vmi/.vms: the first byte sets the .vmi length in 2-byte steps.
    Bytes vmi(formats::VMI_READ_SIZE, 0);
    const std::string name = "RACEDATA_001";
    std::copy(name.begin(), name.end(), vmi.begin() + formats::VMI_NAME_OFFSET);
    write(root / "fuzz_vmi_vms" / "pair", concat(concat(Bytes{64}, vmi), Bytes(700, 0x5A)));
    write(root / "fuzz_vmi_vms" / "short_vmi",
          concat(concat(Bytes{40}, Bytes(80, 1)), Bytes(512, 2)));

    // Save headers: the virtual card's sample saves, entry then data along the chain.
    auto samples = std::make_unique<card::PageBytes>();
    card::cardToPage(adapter::makeSamplePages().front(), *samples);
    for (int slot : card::enumerateFiles(*samples)) {
        const card::DirEntry entry = card::readSlot(*samples, slot);
        const Bytes data = card::chainData(*samples, card::followChain(*samples, slot).blocks);
        write(root / "fuzz_save_header" / card::entryName(entry), concat(entryBytes(entry), data));
    }

    // Eyecatches of each type after one icon, entry then data.
    for (std::size_t type = 1; type < card::EYECATCH_SIZES.size(); ++type) {
        const std::size_t end =
            card::SAVE_HEADER_SIZE + card::ICON_BYTES + card::EYECATCH_SIZES[type];
        const auto saveBlocks =
            static_cast<std::uint16_t>((end + card::BLOCK_SIZE - 1) / card::BLOCK_SIZE);
        Bytes data(std::size_t{saveBlocks} * card::BLOCK_SIZE);
        for (std::size_t i = card::PALETTE_OFFSET; i < end; ++i) {
            data[i] = static_cast<std::uint8_t>(i * 13);
        }
        card::writeLe16(data, card::ICON_COUNT_OFFSET, 1);
        card::writeLe16(data, card::EYECATCH_TYPE_OFFSET, static_cast<std::uint16_t>(type));
        const std::string saveName = "EYECATCH_00" + std::to_string(type);
        write(root / "fuzz_eyecatch" / ("type-" + std::to_string(type)),
              concat(entryBytes(makeEntry(saveName, saveBlocks)), data));
    }

    // Adapter commands: command, operand, then status bytes (low 3 bits repeat the byte).
    Bytes handshake;
    for (int i = 0; i < 64; ++i) {
        handshake.push_back(0x00);
        handshake.push_back(0x40);
        handshake.push_back(0xC0);
    }
    for (int command = 0; command < 8; ++command) {
        write(root / "fuzz_adapter_commands" / ("command-" + std::to_string(command)),
              concat(Bytes{static_cast<std::uint8_t>(command), 37}, handshake));
    }
    return 0;
}
