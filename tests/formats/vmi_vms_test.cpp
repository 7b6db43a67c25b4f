// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/vmi_vms.h"

#include <cerrno>
#include <memory>

#include "support/small_file_system.h"
#include "support/temp_folder.h"

namespace quorvane::formats::testing {
namespace {

using namespace quorvane::testing;

const CardFileName SONIC_SYS = {'S', 'O', 'N', 'I', 'C', 'A', 'D', 'V', '_', 'S', 'Y', 'S'};

TEST(PartnerName, ChangesTheFirstVmiOrVmsOfTheBaseNameAndTheExtension) {
    EXPECT_EQ(partnerName("race.vmi", PairMember::Vmi), "race.vms");
    EXPECT_EQ(partnerName("race_vmi.vmi", PairMember::Vmi), "race_vms.vms");
    EXPECT_EQ(partnerName("vmivmi.vmi", PairMember::Vmi), "vmsvmi.vms");
    EXPECT_EQ(partnerName("game.vms", PairMember::Vms), "game.vmi");
    EXPECT_EQ(partnerName("my.vms.save.vms", PairMember::Vms), "my.vmi.save.vmi");
    EXPECT_EQ(partnerName("noextension", PairMember::Vms), "noextension.vmi");
}

class PairFiles : public TempFolder {
protected:
    std::vector<std::uint8_t> data;
    std::uint16_t blocks = 0xBEEF;
};

TEST_F(PairFiles, VmiNameIsTwelveBytesAtOffset88OfAtLeast100) {
    Bytes vmi(100, 0x20);
    std::copy(SONIC_SYS.begin(), SONIC_SYS.end(), vmi.begin() + 88);
    CardFileName read{};
    ASSERT_EQ(readVmiName(write("a.vmi", vmi), read), ReadResult::Ok);
    EXPECT_EQ(read, SONIC_SYS);
    vmi.resize(99);
    EXPECT_EQ(readVmiName(write("c.vmi", vmi), read), ReadResult::VmiTooShort);
    EXPECT_EQ(readVmiName(folder / "none.vmi", read), ReadResult::CannotOpen);
}

// A .vms that is not a whole number of blocks keeps every byte: its last block is padded.
TEST_F(PairFiles, VmsLengthIsRoundedUpToWholeBlocksPaddedWithZeros) {
    data.assign(2000, 0xEE);
    ASSERT_EQ(readVmsData(write("a.vms", Bytes(1000, 0x77)), data, blocks), ReadResult::Ok);
    EXPECT_EQ(blocks, 2);
    ASSERT_EQ(data.size(), 1024u);
    EXPECT_EQ(data[999], 0x77);
    EXPECT_TRUE(
        std::all_of(data.begin() + 1000, data.end(), [](std::uint8_t b) { return b == 0; }));
    for (const auto& [size, expected] : {std::pair{1, 1}, {512, 1}, {513, 2}}) {
        ASSERT_EQ(readVmsData(write("b.vms", Bytes(size, 0x77)), data, blocks), ReadResult::Ok);
        EXPECT_EQ(blocks, expected) << size;
    }

    EXPECT_EQ(readVmsData(write("empty.vms", {}), data, blocks), ReadResult::EmptyVms);
    EXPECT_EQ(readVmsData(folder / "none.vms", data, blocks), ReadResult::CannotOpen);
    EXPECT_EQ(readVmsData(write("big.vms", Bytes(201 * 512, 0x42)), data, blocks),
              ReadResult::TooManyBlocks);
    EXPECT_EQ(blocks, 201);
    EXPECT_EQ(data.size(), 102400u);  // never more than a page's user blocks
}

TEST(PairEntry, IsBuiltFromNameSizeAndBcdTimeWithWeekdayFromMonday) {
    std::tm calendar{};
    calendar.tm_year = 126;  // 2026
    calendar.tm_mon = 11;    // December
    calendar.tm_mday = 6;
    calendar.tm_hour = 13;
    calendar.tm_min = 45;
    calendar.tm_sec = 30;
    calendar.tm_wday = 0;  // Sunday
    const card::DirEntry entry = buildPairEntry(SONIC_SYS, 3, localTimeFromTm(calendar), 0);

    std::array<std::uint8_t, 32> bytes{};
    card::encodeDirEntry(entry, bytes);
    const std::array<std::uint8_t, 32> expected = {
        0x33, 0x00, 0x00, 0x00, 'S',  'O',  'N',  'I',  'C',  'A',  'D',  'V',
        '_',  'S',  'Y',  'S',  0x20, 0x26, 0x12, 0x06, 0x13, 0x45, 0x30,
        0x06,  // century, year, month, day, h, m, s, weekday
        0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(bytes, expected);

    for (const auto& [tmWeekday, weekday] : {std::pair{1, 0}, {6, 5}}) {
        calendar.tm_wday = tmWeekday;
        EXPECT_EQ(localTimeFromTm(calendar).weekday, weekday) << tmWeekday;
    }
    // The .vmi's mode: a game keeps its save header in block 1, copy protection its flag.
    const card::DirEntry game =
        buildPairEntry(SONIC_SYS, 13, LocalTime{}, VMI_MODE_GAME | VMI_MODE_COPY_PROTECTED);
    EXPECT_EQ(std::tuple(game.fileType, game.copyFlag, game.headerOffset),
              std::tuple(std::uint8_t{0xCC}, std::uint8_t{0xFF}, std::uint16_t{1}));
    // Across a midnight and a new year: every field its two decimal digits.
    const LocalTime beforeMidnight{2099, 12, 31, 23, 59, 59, 3};
    const LocalTime afterMidnight{2100, 1, 1, 0, 0, 0, 4};
    EXPECT_EQ(buildPairEntry(SONIC_SYS, 1, beforeMidnight, 0).timeStamp,
              (std::array<std::uint8_t, 8>{0x20, 0x99, 0x12, 0x31, 0x23, 0x59, 0x59, 0x03}));
    EXPECT_EQ(buildPairEntry(SONIC_SYS, 1, afterMidnight, 0).timeStamp,
              (std::array<std::uint8_t, 8>{0x21, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x04}));
}

TEST(PairName, IsOneToEightCapitalsDigitsOrUnderscores) {
    for (const char* valid : {"A", "RACE", "RACEDATA", "SAVE_01", "_", "12345678"}) {
        EXPECT_TRUE(isValidPairName(valid)) << valid;
    }
    for (const char* invalid :
         {"", "RACEDATA1", "race", "Race", "A-B", "A B", "A.B", "A/B", "\xC9T\xC9"}) {
        EXPECT_FALSE(isValidPairName(invalid)) << invalid;
    }
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes text(std::string_view letters, std::size_t size) {
    Bytes field(size, 0);
    std::copy(letters.begin(), letters.end(), field.begin());
    return field;
}

// A game file as extractFile gives it: its entry, then block 0 of 0x40s and block 1 of 0x41s,
// which holds its save header.
card::CardFile gameFile(std::uint16_t blocks = 2) {
    const Bytes entry = joined({{0xCC, 0xFF, 0x00, 0x00},
                                text("RACEDATA_001", 12),
                                {0x20, 0x26, 0x12, 0x07, 0x09, 0x15, 0x30, 0x00},  // a Monday
                                {static_cast<std::uint8_t>(blocks), 0x00, 0x01, 0x00},
                                {0, 0, 0, 0}});
    card::CardFile file{card::decodeDirEntry(std::span<const std::uint8_t, 32>(entry.data(), 32)),
                        {}};
    for (std::uint16_t k = 0; k < blocks; ++k) {
        file.data.insert(file.data.end(), 512, static_cast<std::uint8_t>(0x40 + k));
    }
    const std::string_view description = "Lap times";
    std::copy(description.begin(), description.end(), file.data.begin() + 512 + 16);
    file.data[512 + 16 + description.size()] = 0;
    return file;
}

TEST(PairVmi, HoldsTheEntryHeaderAndNameInItsOwnLayout) {
    const card::CardFile file = gameFile();
    const VmiBytes vmi = buildVmi(file.entry, file.data, "RACE");
    const Bytes expected = joined({
        {'R' & 'S', 'A' & 'E', 'C' & 'G', 'E' & 'A'},  // checksum
        text("Lap times", 32),                         // up to the header's zero byte
        text("Quorvane", 32),
        {0xEA, 0x07, 12, 7, 9, 15, 30, 1},  // 2026-12-07 09:15:30, Monday counted from Sunday
        {0x00, 0x00, 0x01, 0x00},           // version 0, file number 1
        text("RACE", 8),
        text("RACEDATA_001", 12),
        {0x03, 0x00, 0x00, 0x00},  // game, copy protected
        {0x00, 0x04, 0x00, 0x00},  // 1024 bytes of .vms
    });
    EXPECT_EQ(Bytes(vmi.begin(), vmi.end()), expected);
}

TEST(PairVmi, TakesWhatTheCardGivesWithoutGuessing) {
    const card::CardFile file = gameFile();
    card::DirEntry entry = file.entry;
    entry.fileType = 0x33;
    entry.copyFlag = 0x00;
    entry.headerOffset = 2;  // past the file: no header, no description
    // Plain numbers, as this program stamped pairs before its stamps were BCD: a nibble over 9
    // gives them away, and they are read as the numbers they are (6 is the card's Sunday).
    entry.timeStamp = {20, 26, 12, 6, 13, 45, 30, 6};
    const VmiBytes vmi = buildVmi(entry, file.data, "AB");

    EXPECT_EQ(Bytes(vmi.begin(), vmi.begin() + 4), (Bytes{'A' & 'S', 'B' & 'E', 0, 0}));
    EXPECT_EQ(Bytes(vmi.begin() + 4, vmi.begin() + 36), Bytes(32, 0));
    EXPECT_EQ(Bytes(vmi.begin() + 0x44, vmi.begin() + 0x4C),
              (Bytes{0xEA, 0x07, 12, 6, 13, 45, 30, 0}));  // 2026-12-06 13:45:30, a Sunday
    EXPECT_EQ(Bytes(vmi.begin() + 0x64, vmi.begin() + 0x66), (Bytes{0x00, 0x00}));
}

class PairWriting : public TempFolder {
protected:
    card::CardFile file = gameFile();
};

TEST_F(PairWriting, PairReadsBackWithTheSameCardNameAndBlocks) {
    const PairWriteStatus status = writePairFiles(folder, "RACE", file);
    ASSERT_TRUE(status.ok()) << static_cast<int>(status.result) << " " << status.path;
    EXPECT_EQ(names(), (std::vector<std::string>{"RACE.vmi", "RACE.vms"}));
    EXPECT_EQ(read(folder / "RACE.vmi").size(), 108u);

    CardFileName name{};
    ASSERT_EQ(readVmiName(folder / "RACE.vmi", name), ReadResult::Ok);
    EXPECT_EQ(name, (CardFileName{'R', 'A', 'C', 'E', 'D', 'A', 'T', 'A', '_', '0', '0', '1'}));
    std::vector<std::uint8_t> readBack;
    std::uint16_t blocks = 0;
    ASSERT_EQ(readVmsData(folder / "RACE.vms", readBack, blocks), ReadResult::Ok);
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(readBack, file.data);
}

TEST_F(PairWriting, InvalidNameWritesNothing) {
    for (const char* name : {"race", "", "RACEDATA1", "../RACE"}) {
        EXPECT_EQ(writePairFiles(folder, name, file).result, PairWriteResult::BadName) << name;
    }
    EXPECT_TRUE(names().empty());
}

TEST_F(PairWriting, FailedVmsTakesTheNewVmiAwayAgain) {
    std::filesystem::create_directory(folder / "RACE.vms");
    const PairWriteStatus status = writePairFiles(folder, "RACE", file);
    EXPECT_EQ(status.result, PairWriteResult::NotWritten);
    EXPECT_EQ(status.write, WriteResult::NotAFile);
    EXPECT_EQ(status.systemError, EISDIR);
    EXPECT_EQ(status.path, folder / "RACE.vms");
    EXPECT_EQ(names(), std::vector<std::string>{"RACE.vms"});
    EXPECT_TRUE(std::filesystem::is_directory(folder / "RACE.vms"));
}

TEST_F(PairWriting, VmiThatCannotBeReadBackIsLeftAloneAndNothingIsWritten) {
    // A folder where the .vmi would go: it could not be put back, so nothing is replaced.
    std::filesystem::create_directory(folder / "RACE.vmi");
    const PairWriteStatus status = writePairFiles(folder, "RACE", file);
    EXPECT_EQ(status.result, PairWriteResult::CannotReadOld);
    EXPECT_EQ(status.systemError, EISDIR);
    EXPECT_EQ(status.path, folder / "RACE.vmi");
    EXPECT_EQ(names(), std::vector<std::string>{"RACE.vmi"});
}

TEST_F(PairWriting, FailedVmsPutsBackTheVmiThatWasThere) {
    write("RACE.vmi", Bytes{'m', 'i', 'n', 'e'});
    file = gameFile(3);
    PairWriteStatus status;
    {
        const FileSizeLimit fullAfter1024Bytes(1024);
        ASSERT_TRUE(fullAfter1024Bytes.set());
        status = writePairFiles(folder, "RACE", file);
    }
    EXPECT_EQ(status.result, PairWriteResult::NotWritten);
    EXPECT_EQ(status.write, WriteResult::CannotWrite);
    EXPECT_EQ(status.systemError, EFBIG);
    EXPECT_EQ(status.path, folder / "RACE.vms");
    EXPECT_EQ(read(folder / "RACE.vmi"), (Bytes{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(names(), std::vector<std::string>{"RACE.vmi"});
}

}  // namespace
}  // namespace quorvane::formats::testing
