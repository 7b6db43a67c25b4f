#include "formats/single_file.h"

#include <memory>

#include "card/file_system.h"
#include "temp_folder.h"

namespace quorvane::formats::testing {
namespace {

// A 32-byte entry "SAVE" of `blocks` blocks, firstBlock 7, written out byte by byte.
Bytes EntryBytes(std::uint8_t fileType, std::uint16_t blocks) {
    return {fileType,
            0x00,
            0x07,
            0x00,
            'S',
            'A',
            'V',
            'E',
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0x20,
            0x26,
            0x12,
            0x06,
            0x13,
            0x45,
            0x30,
            0x06,
            static_cast<std::uint8_t>(blocks & 0xFF),
            static_cast<std::uint8_t>(blocks >> 8),
            0x00,
            0x00,
            0x00,
            0x00,
            0x00,
            0x00};
}

Bytes Ddc(std::uint8_t fileType, std::uint16_t blocks, std::size_t dataBytes) {
    Bytes bytes = {'C', 'F', 'U', 0x00};
    const Bytes entry = EntryBytes(fileType, blocks);
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    AppendFill(bytes, dataBytes, 0x5A);
    return bytes;
}

Bytes Dci(std::uint8_t fileType, std::uint16_t blocks, std::size_t dataBytes) {
    Bytes bytes = EntryBytes(fileType, blocks);
    AppendFill(bytes, dataBytes, 0x5A);
    return bytes;
}

class SingleFile : public TempFolder {
protected:
    std::unique_ptr<card::FileBuffer> buffer = std::make_unique<card::FileBuffer>();
    card::DirEntry entry;

    void SetUp() override {
        TempFolder::SetUp();
        entry.fileType = 0x99;  // marks an entry no reader has touched
    }
};

TEST_F(SingleFile, DdcGivesEntryAndDataAndIgnoresTheFourthTagByte) {
    Bytes bytes = Ddc(0x33, 2, 0);
    bytes[3] = 0x7F;
    AppendFill(bytes, 512, 0x11);
    AppendFill(bytes, 512, 0x22);
    AppendFill(bytes, 10, 0x33);  // trailing bytes beyond the blocks are harmless

    ASSERT_EQ(ReadDdcFile(Write("a.ddc", bytes), entry, *buffer), ReadResult::Ok);
    EXPECT_EQ(entry.fileType, 0x33);
    EXPECT_EQ(entry.firstBlock, 7);
    EXPECT_EQ(card::EntryName(entry), "SAVE");
    EXPECT_EQ(entry.timeStamp[1], 0x26);
    EXPECT_EQ(entry.sizeInBlocks, 2);
    EXPECT_EQ((*buffer)[0], 0x11);
    EXPECT_EQ((*buffer)[1023], 0x22);
}

TEST_F(SingleFile, DdcRefusalsSayWhyAndLeaveTheEntryAlone) {
    Bytes lowerCase = Ddc(0x33, 1, 512);
    lowerCase[0] = 'c';
    lowerCase[1] = 'f';
    lowerCase[2] = 'u';
    Bytes tagOnly = Ddc(0x33, 1, 0);
    tagOnly.resize(35);
    struct Case {
        const char* what;
        Bytes bytes;
        ReadResult expected;
    };
    const Case cases[] = {
        {"two bytes", {'C', 'F'}, ReadResult::TooShortForHeader},
        {"lower-case tag", lowerCase, ReadResult::WrongTag},
        {"other tag, three bytes", {'C', 'F', 'X'}, ReadResult::WrongTag},
        {"tag without a whole entry", tagOnly, ReadResult::TooShortForHeader},
        {"free entry type", Ddc(0x00, 1, 512), ReadResult::FreeEntryType},
        {"more blocks than a page", Ddc(0x33, 201, 201 * 512), ReadResult::TooManyBlocks},
        {"data shorter than the blocks", Ddc(0x33, 2, 1023), ReadResult::TooShortForData},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadDdcFile(Write("x.ddc", c.bytes), entry, *buffer), c.expected) << c.what;
        EXPECT_EQ(entry.fileType, 0x99) << c.what;
    }
    EXPECT_EQ(ReadDdcFile(folder / "missing.ddc", entry, *buffer), ReadResult::CannotOpen);
}

TEST_F(SingleFile, DdcReadsNoMoreThanTheDataArea) {
    const Bytes bytes = Ddc(0x33, 200, 102400 + 4096);
    ASSERT_EQ(ReadDdcFile(Write("full.ddc", bytes), entry, *buffer), ReadResult::Ok);
    EXPECT_EQ((*buffer)[102399], 0x5A);
    EXPECT_EQ(entry.sizeInBlocks, 200);
}

TEST_F(SingleFile, DciDataIsTurnedBackFromCardOrder) {
    Bytes bytes = EntryBytes(0x33, 3);
    Append(bytes, {0x04, 0x03, 0x02, 0x01});
    AppendFill(bytes, 3 * 512 - 8, 0x00);
    Append(bytes, {0xDD, 0xCC, 0xBB, 0xAA});
    ASSERT_EQ(bytes.size(), 1568u);

    ASSERT_EQ(ReadDciFile(Write("a.dci", bytes), entry, *buffer), ReadResult::Ok);
    EXPECT_EQ(entry.sizeInBlocks, 3);
    EXPECT_EQ(Bytes(buffer->begin(), buffer->begin() + 4), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(Bytes(buffer->begin() + 1532, buffer->begin() + 1536),
              (Bytes{0xAA, 0xBB, 0xCC, 0xDD}));
}

TEST_F(SingleFile, DciRefusalsSayWhyAndLeaveTheEntryAlone) {
    Bytes shortHeader = EntryBytes(0x33, 1);
    shortHeader.resize(31);
    struct Case {
        const char* what;
        Bytes bytes;
        ReadResult expected;
    };
    const Case cases[] = {
        {"31 bytes", shortHeader, ReadResult::TooShortForHeader},
        {"free entry type", Dci(0x00, 1, 512), ReadResult::FreeEntryType},
        {"more blocks than a page", Dci(0x33, 201, 201 * 512), ReadResult::TooManyBlocks},
        {"data shorter than the blocks", Dci(0x33, 3, 1535), ReadResult::TooShortForData},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadDciFile(Write("x.dci", c.bytes), entry, *buffer), c.expected) << c.what;
        EXPECT_EQ(entry.fileType, 0x99) << c.what;
    }
    EXPECT_EQ(ReadDciFile(folder / "missing.dci", entry, *buffer), ReadResult::CannotOpen);
}

class SavedFile : public SingleFile {
protected:
    std::unique_ptr<card::PageBytes> page = std::make_unique<card::PageBytes>();
    card::DirtyMap dirty{};

    void SetUp() override {
        SingleFile::SetUp();
        card::FormatPage(*page);
    }

    card::DirEntry StoreFile(std::uint16_t blocks) {
        for (std::size_t i = 0; i < std::size_t{blocks} * 512; ++i) {
            (*buffer)[i] = static_cast<std::uint8_t>(i % 251);
        }
        card::DirEntry stored;
        stored.fileType = 0x33;
        stored.copyFlag = 0xFF;
        stored.fileName = {'R', 'O', 'U', 'N', 'D', 'T', 'R', 'I', 'P', '.', 'S', 'V'};
        stored.timeStamp = {0x20, 0x26, 0x12, 0x07, 0x06, 0x30, 0x00, 0x00};
        stored.sizeInBlocks = blocks;
        stored.headerOffset = 0x0080;
        stored.reservedTail = {1, 2, 3, 4};
        EXPECT_EQ(card::StoreNewFile(*page, dirty, stored, *buffer), card::StoreResult::Stored);
        return stored;
    }
};

TEST_F(SavedFile, DdcIsTagEntryAndBlocks1572BytesForThreeAnd36ForNone) {
    StoreFile(3);
    ASSERT_EQ(card::ExtractFile(*page, 207, *buffer), card::ExtractResult::Extracted);
    const std::filesystem::path path = folder / "three.ddc";
    ASSERT_TRUE(WriteDdcFile(path, *buffer).ok());

    const Bytes written = Read(path);
    ASSERT_EQ(written.size(), 1572u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 8),
              (Bytes{0x43, 0x46, 0x55, 0x00, 0x33, 0xFF, 0xC7, 0x00}));  // firstBlock 199
    EXPECT_EQ(written[36 + 512], 512 % 251);

    StoreFile(0);
    ASSERT_EQ(card::ExtractFile(*page, 206, *buffer), card::ExtractResult::Extracted);
    ASSERT_TRUE(WriteDdcFile(path, *buffer).ok());
    EXPECT_EQ(Read(path).size(), 36u);
}

TEST_F(SavedFile, SavingAndAddingAgainGivesTheSameEntryAndData) {
    const card::DirEntry original = StoreFile(5);
    const Bytes originalData(buffer->begin(), buffer->begin() + 5 * 512);
    ASSERT_EQ(card::ExtractFile(*page, 207, *buffer), card::ExtractResult::Extracted);
    const std::filesystem::path path = folder / "trip.ddc";
    ASSERT_TRUE(WriteDdcFile(path, *buffer).ok());

    buffer->fill(0);
    ASSERT_EQ(ReadDdcFile(path, entry, *buffer), ReadResult::Ok);
    EXPECT_EQ(entry, original);
    EXPECT_EQ(Bytes(buffer->begin(), buffer->begin() + 5 * 512), originalData);

    // Stored again beside the original, only firstBlock differs.
    ASSERT_EQ(card::StoreNewFile(*page, dirty, entry, *buffer), card::StoreResult::Stored);
    card::DirEntry again = card::ReadSlot(*page, 206);
    EXPECT_EQ(again.firstBlock, 194);
    again.firstBlock = original.firstBlock;
    EXPECT_EQ(again, original);
    ASSERT_EQ(card::ExtractFile(*page, 206, *buffer), card::ExtractResult::Extracted);
    EXPECT_EQ(Bytes(buffer->begin() + 36, buffer->begin() + 36 + 5 * 512), originalData);
}

TEST_F(SingleFile, DdcImageNeverReachesPastTheBuffer) {
    buffer->fill(0);
    (*buffer)[28] = 0xFF;  // sizeInBlocks 0xFFFF from a refused extraction
    (*buffer)[29] = 0xFF;
    EXPECT_EQ(DdcImage(*buffer).size(), card::FILE_BUFFER_SIZE);
}

}  // namespace
}  // namespace quorvane::formats::testing
