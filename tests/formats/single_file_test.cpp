// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/single_file.h"

#include <memory>
#include <tuple>

#include "card/byte_order.h"
#include "card/file_system.h"
#include "formats/page_file.h"
#include "support/temp_folder.h"

namespace quorvane::formats::testing {
namespace {

using namespace quorvane::testing;

// A .dci: the entry "SAVE" of `blocks` blocks, firstBlock 7, then `dataBytes` of 0x5A.
Bytes dci(std::uint8_t fileType, std::uint16_t blocks, std::size_t dataBytes) {
    Bytes bytes = {fileType, 0x00, 0x07, 0x00, 'S',  'A',  'V',  'E',  0, 0, 0, 0, 0, 0, 0, 0,
                   0x20,     0x26, 0x12, 0x06, 0x13, 0x45, 0x30, 0x06, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes[24] = static_cast<std::uint8_t>(blocks & 0xFF);
    bytes[25] = static_cast<std::uint8_t>(blocks >> 8);
    bytes.insert(bytes.end(), dataBytes, 0x5A);
    return bytes;
}

// The same behind the tag "CFU\0".
Bytes ddc(std::uint8_t fileType, std::uint16_t blocks, std::size_t dataBytes) {
    Bytes bytes = {'C', 'F', 'U', 0x00};
    const Bytes rest = dci(fileType, blocks, dataBytes);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

class SingleFile : public TempFolder {
protected:
    std::unique_ptr<card::PageBytes> page = std::make_unique<card::PageBytes>();
    card::CardFile file{.entry = {.fileType = 0x99},
                        .data = {}};  // marks a file no reader has touched
    const card::DirEntry& entry = file.entry;
};

TEST_F(SingleFile, DdcGivesEntryAndDataAndIgnoresTheFourthTagByte) {
    Bytes bytes = ddc(0x33, 2, 0);
    bytes[3] = 0x7F;
    bytes.insert(bytes.end(), 512, 0x11);
    bytes.insert(bytes.end(), 512, 0x22);
    bytes.insert(bytes.end(), 10, 0x33);  // trailing bytes beyond the blocks are harmless

    ASSERT_EQ(readDdcFile(write("a.ddc", bytes), file), ReadResult::Ok);
    EXPECT_EQ(std::tie(entry.fileType, entry.firstBlock, entry.timeStamp[1], entry.sizeInBlocks),
              std::tuple(0x33, 7, 0x26, 2));
    EXPECT_EQ(card::entryName(entry), "SAVE");
    ASSERT_EQ(file.data.size(), 1024u);  // the blocks, not the bytes after them
    EXPECT_EQ(file.data[0], 0x11);
    EXPECT_EQ(file.data[1023], 0x22);

    // A whole page of data, and more, keeps only the file's blocks.
    ASSERT_EQ(readDdcFile(write("full.ddc", ddc(0x33, 200, 102400 + 4096)), file), ReadResult::Ok);
    EXPECT_EQ(file.data.size(), 102400u);
    EXPECT_EQ(file.data[102399], 0x5A);
}

TEST_F(SingleFile, DciDataIsTurnedBackFromCardOrder) {
    Bytes bytes = dci(0x33, 3, 0);
    bytes.insert(bytes.end(), {0x04, 0x03, 0x02, 0x01});
    bytes.insert(bytes.end(), 3 * 512 - 8, 0x00);
    bytes.insert(bytes.end(), {0xDD, 0xCC, 0xBB, 0xAA});

    ASSERT_EQ(readDciFile(write("a.dci", bytes), file), ReadResult::Ok);
    EXPECT_EQ(entry.sizeInBlocks, 3);
    ASSERT_EQ(file.data.size(), 1536u);
    EXPECT_EQ(Bytes(file.data.begin(), file.data.begin() + 4), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(Bytes(file.data.begin() + 1532, file.data.end()), (Bytes{0xAA, 0xBB, 0xCC, 0xDD}));
}

TEST_F(SingleFile, RefusalsSayWhyAndLeaveTheEntryAlone) {
    Bytes lowerCase = ddc(0x33, 1, 512);
    std::copy_n("cfu", 3, lowerCase.begin());
    using Reader = ReadResult (*)(const std::filesystem::path&, card::CardFile&);
    struct Case {
        const char* what;
        Reader read;
        Bytes bytes;
        ReadResult expected;
    };
    const Case cases[] = {
        {".ddc of two bytes", readDdcFile, {'C', 'F'}, ReadResult::TooShortForHeader},
        {"lower-case tag", readDdcFile, lowerCase, ReadResult::WrongTag},
        {"other tag, three bytes", readDdcFile, {'C', 'F', 'X'}, ReadResult::WrongTag},
        {"tag without a whole entry", readDdcFile, cut(ddc(0x33, 1, 0), 35),
         ReadResult::TooShortForHeader},
        {".ddc free entry type", readDdcFile, ddc(0, 1, 512), ReadResult::FreeEntryType},
        {".ddc of 201 blocks", readDdcFile, ddc(0x33, 201, 201 * 512), ReadResult::TooManyBlocks},
        {".ddc data short", readDdcFile, ddc(0x33, 2, 1023), ReadResult::TooShortForData},
        {".dci of 31 bytes", readDciFile, cut(dci(0x33, 1, 0), 31), ReadResult::TooShortForHeader},
        {".dci free entry type", readDciFile, dci(0, 1, 512), ReadResult::FreeEntryType},
        {".dci of 201 blocks", readDciFile, dci(0x33, 201, 201 * 512), ReadResult::TooManyBlocks},
        {".dci data short", readDciFile, dci(0x33, 3, 1535), ReadResult::TooShortForData},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.read(write("x", c.bytes), file), c.expected) << c.what;
        EXPECT_EQ(file, (card::CardFile{.entry = {.fileType = 0x99}, .data = {}})) << c.what;
    }
    EXPECT_EQ(readDdcFile(folder / "missing.ddc", file), ReadResult::CannotOpen);
    EXPECT_EQ(readDciFile(folder / "missing.dci", file), ReadResult::CannotOpen);
}

TEST_F(SingleFile, SavedDdcIsTagEntryAndBlocksAndAddsBackAsTheSameFile) {
    card::formatPage(*page);
    card::DirtyMap dirty{};
    Bytes data(3 * 512);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i % 251);
    }
    const card::DirEntry original{
        .fileType = 0x33,
        .copyFlag = 0xFF,
        .fileName = {'R', 'O', 'U', 'N', 'D', 'T', 'R', 'I', 'P', '.', 'S', 'V'},
        .timeStamp = {0x20, 0x26, 0x12, 0x07, 0x06, 0x30, 0x00, 0x00},
        .sizeInBlocks = 3,
        .headerOffset = 0x0080,
        .reservedTail = {1, 2, 3, 4}};
    file = {original, data};
    ASSERT_EQ(card::storeNewFile(*page, dirty, file), card::StoreResult::Stored);
    const card::DirEntry stored = file.entry;
    ASSERT_EQ(card::extractFile(*page, 207, file), card::ExtractResult::Extracted);
    const std::filesystem::path path = folder / "three.ddc";
    ASSERT_TRUE(writeDdcFile(path, file).ok());

    const Bytes written = read(path);
    ASSERT_EQ(written.size(), 1572u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 8),
              (Bytes{0x43, 0x46, 0x55, 0x00, 0x33, 0xFF, 0xC7, 0x00}));  // firstBlock 199
    EXPECT_EQ(Bytes(written.begin() + 36, written.end()), data);

    // Added again beside the original: only firstBlock differs, the data is identical.
    file = {};
    ASSERT_EQ(readDdcFile(path, file), ReadResult::Ok);
    EXPECT_EQ(file.entry, stored);
    ASSERT_EQ(card::storeNewFile(*page, dirty, file), card::StoreResult::Stored);
    card::DirEntry again = card::readSlot(*page, 206);
    EXPECT_EQ(again.firstBlock, 196);
    again.firstBlock = 199;
    EXPECT_EQ(again, stored);
    ASSERT_EQ(card::extractFile(*page, 206, file), card::ExtractResult::Extracted);
    EXPECT_EQ(file.data, data);

    file = {original, {}};
    file.entry.sizeInBlocks = 0;
    ASSERT_EQ(card::storeNewFile(*page, dirty, file), card::StoreResult::Stored);
    ASSERT_EQ(card::extractFile(*page, 205, file), card::ExtractResult::Extracted);
    ASSERT_TRUE(writeDdcFile(path, file).ok());
    EXPECT_EQ(read(path).size(), 36u);
}

TEST_F(SingleFile, PageFileHoldsTheCardImageInCardByteOrder) {
    const Bytes first = {0x01, 0x02, 0x03, 0x04};
    std::copy(first.begin(), first.end(), page->begin());
    card::setFatEntry(*page, 0, card::FAT_FREE);
    card::setFatEntry(*page, 1, card::FAT_FREE);
    auto cardImage = std::make_unique<card::CardOrderPage>();
    card::pageToCard(*page, *cardImage);

    const std::filesystem::path path = folder / "page.dcm";
    ASSERT_TRUE(writePageFile(path, *cardImage).ok());
    const Bytes bytes = read(path);
    ASSERT_EQ(bytes.size(), 131072u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(Bytes(bytes.begin() + 130048, bytes.begin() + 130052),
              (Bytes{0xFF, 0xFC, 0xFF, 0xFC}));

    // Import takes the first 131072 bytes; a refused one leaves the card image unchanged.
    Bytes longer(131072 + 10, 0);
    for (std::size_t i = 0; i < longer.size(); ++i) {
        longer[i] = static_cast<std::uint8_t>(i / 512);
    }
    ASSERT_EQ(readPageFile(write("p.dcm", longer), *cardImage), ReadResult::Ok);
    EXPECT_TRUE(std::equal(cardImage->bytes.begin(), cardImage->bytes.end(), longer.begin()));
    const auto before = std::make_unique<card::CardOrderPage>(*cardImage);
    EXPECT_EQ(readPageFile(write("short.dcm", Bytes(131071, 0x01)), *cardImage),
              ReadResult::PageFileTooShort);
    EXPECT_EQ(readPageFile(folder / "none.dcm", *cardImage), ReadResult::CannotOpen);
    std::filesystem::create_directory(folder / "folder.dcm");
    EXPECT_EQ(readPageFile(folder / "folder.dcm", *cardImage), ReadResult::NotAFile);
    EXPECT_EQ(*cardImage, *before);
}

}  // namespace
}  // namespace quorvane::formats::testing
