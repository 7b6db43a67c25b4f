#include "formats/vmi_vms.h"

#include <memory>

#include "temp_folder.h"

namespace quorvane::formats::testing {
namespace {

TEST(PartnerName, ChangesTheFirstVmiOrVmsOfTheBaseNameAndTheExtension) {
    EXPECT_EQ(PartnerName("race.vmi", PairMember::Vmi), "race.vms");
    EXPECT_EQ(PartnerName("race_vmi.vmi", PairMember::Vmi), "race_vms.vms");
    EXPECT_EQ(PartnerName("vmivmi.vmi", PairMember::Vmi), "vmsvmi.vms");
    EXPECT_EQ(PartnerName("game.vms", PairMember::Vms), "game.vmi");
    EXPECT_EQ(PartnerName("my.vms.save.vms", PairMember::Vms), "my.vmi.save.vmi");
    EXPECT_EQ(PartnerName("noextension", PairMember::Vms), "noextension.vmi");
}

using PairFiles = TempFolder;

TEST_F(PairFiles, PartnerIsFoundWithoutRegardToCaseButAnExactNameWins) {
    Write("Game.VMI", {});
    EXPECT_EQ(FindFileIgnoringCase(folder, "game.vmi"), folder / "Game.VMI");
    EXPECT_EQ(FindFileIgnoringCase(folder, "game.vms"), std::nullopt);

    Write("game.vmi", {});
    EXPECT_EQ(FindFileIgnoringCase(folder, "game.vmi"), folder / "game.vmi");
    EXPECT_EQ(FindFileIgnoringCase(folder / "absent", "game.vmi"), std::nullopt);
}

TEST_F(PairFiles, VmiNameIsTwelveBytesAtOffset88) {
    Bytes vmi(128, 0x20);
    const Bytes name = {'S', 'O', 'N', 'I', 'C', 'A', 'D', 'V', '_', 'S', 'Y', 'S'};
    std::copy(name.begin(), name.end(), vmi.begin() + 88);
    CardFileName read{};
    ASSERT_EQ(ReadVmiName(Write("a.vmi", vmi), read), ReadResult::Ok);
    EXPECT_EQ(Bytes(read.begin(), read.end()), name);

    vmi.resize(100);
    ASSERT_EQ(ReadVmiName(Write("b.vmi", vmi), read), ReadResult::Ok);
    vmi.resize(99);
    EXPECT_EQ(ReadVmiName(Write("c.vmi", vmi), read), ReadResult::VmiTooShort);
    EXPECT_EQ(ReadVmiName(folder / "none.vmi", read), ReadResult::CannotOpen);
}

class VmsData : public TempFolder {
protected:
    std::unique_ptr<card::FileBuffer> buffer = std::make_unique<card::FileBuffer>();
    std::uint16_t blocks = 0xBEEF;
};

TEST_F(VmsData, PartBlockIsRoundedUpAndPaddedWithZeros) {
    buffer->fill(0xEE);
    ASSERT_EQ(ReadVmsData(Write("a.vms", Bytes(1000, 0x77)), *buffer, blocks), ReadResult::Ok);
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ((*buffer)[999], 0x77);
    for (std::size_t i = 1000; i < 1024; ++i) {
        EXPECT_EQ((*buffer)[i], 0) << i;
    }

    ASSERT_EQ(ReadVmsData(Write("b.vms", Bytes(1, 0x77)), *buffer, blocks), ReadResult::Ok);
    EXPECT_EQ(blocks, 1);
    ASSERT_EQ(ReadVmsData(Write("c.vms", Bytes(512, 0x77)), *buffer, blocks), ReadResult::Ok);
    EXPECT_EQ(blocks, 1);
}

TEST_F(VmsData, EmptyMissingAndOversizedFilesAreRefused) {
    EXPECT_EQ(ReadVmsData(Write("empty.vms", {}), *buffer, blocks), ReadResult::EmptyVms);
    EXPECT_EQ(ReadVmsData(folder / "none.vms", *buffer, blocks), ReadResult::CannotOpen);

    Bytes big(201 * 512, 0x42);
    EXPECT_EQ(ReadVmsData(Write("big.vms", big), *buffer, blocks), ReadResult::TooManyBlocks);
    EXPECT_EQ(blocks, 201);
    EXPECT_EQ((*buffer)[102399], 0x42);
}

TEST(PairEntry, IsBuiltFromNameSizeAndPlainNumberTime) {
    const CardFileName name = {'S', 'O', 'N', 'I', 'C', 'A', 'D', 'V', '_', 'S', 'Y', 'S'};
    const LocalTime sunday{2026, 12, 6, 13, 45, 30, 6};
    const card::DirEntry entry = BuildPairEntry(name, 3, sunday);

    std::array<std::uint8_t, 32> bytes{};
    card::EncodeDirEntry(entry, bytes);
    const std::array<std::uint8_t, 32> expected = {0x33, 0x00, 0x00, 0x00, 'S', 'O', 'N', 'I', 'C',
                                                   'A', 'D', 'V', '_', 'S', 'Y', 'S', 20, 26, 12, 6,
                                                   13, 45, 30, 6,  // century, year, month, day,
                                                                   // hour, minute, second, day
                                                   0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(bytes, expected);
}

TEST(PairEntry, WeekdayCountsFromMonday) {
    std::tm calendar{};
    calendar.tm_year = 126;  // 2026
    calendar.tm_mon = 11;    // December
    calendar.tm_mday = 6;
    calendar.tm_wday = 0;  // Sunday
    LocalTime time = LocalTimeFromTm(calendar);
    EXPECT_EQ(time.weekday, 6);
    EXPECT_EQ(time.year, 2026);
    EXPECT_EQ(time.month, 12);

    calendar.tm_wday = 1;  // Monday
    EXPECT_EQ(LocalTimeFromTm(calendar).weekday, 0);
    calendar.tm_wday = 6;  // Saturday
    EXPECT_EQ(LocalTimeFromTm(calendar).weekday, 5);
}

}  // namespace
}  // namespace quorvane::formats::testing
