#include "formats/vmi_vms.h"

#include <memory>

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
    std::unique_ptr<card::FileBuffer> buffer = std::make_unique<card::FileBuffer>();
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
    buffer->fill(0xEE);
    ASSERT_EQ(readVmsData(write("a.vms", Bytes(1000, 0x77)), *buffer, blocks), ReadResult::Ok);
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ((*buffer)[999], 0x77);
    EXPECT_TRUE(std::all_of(buffer->begin() + 1000, buffer->begin() + 1024,
                            [](std::uint8_t b) { return b == 0; }));
    for (const auto& [size, expected] : {std::pair{1, 1}, {512, 1}, {513, 2}}) {
        ASSERT_EQ(readVmsData(write("b.vms", Bytes(size, 0x77)), *buffer, blocks), ReadResult::Ok);
        EXPECT_EQ(blocks, expected) << size;
    }

    EXPECT_EQ(readVmsData(write("empty.vms", {}), *buffer, blocks), ReadResult::EmptyVms);
    EXPECT_EQ(readVmsData(folder / "none.vms", *buffer, blocks), ReadResult::CannotOpen);
    EXPECT_EQ(readVmsData(write("big.vms", Bytes(201 * 512, 0x42)), *buffer, blocks),
              ReadResult::TooManyBlocks);
    EXPECT_EQ(blocks, 201);
}

TEST(PairEntry, IsBuiltFromNameSizeAndPlainNumberTimeWithWeekdayFromMonday) {
    std::tm calendar{};
    calendar.tm_year = 126;  // 2026
    calendar.tm_mon = 11;    // December
    calendar.tm_mday = 6;
    calendar.tm_hour = 13;
    calendar.tm_min = 45;
    calendar.tm_sec = 30;
    calendar.tm_wday = 0;  // Sunday
    const card::DirEntry entry = buildPairEntry(SONIC_SYS, 3, localTimeFromTm(calendar));

    std::array<std::uint8_t, 32> bytes{};
    card::encodeDirEntry(entry, bytes);
    const std::array<std::uint8_t, 32> expected = {0x33, 0x00, 0x00, 0x00, 'S', 'O', 'N', 'I', 'C',
                                                   'A', 'D', 'V', '_', 'S', 'Y', 'S', 20, 26, 12, 6,
                                                   13, 45, 30, 6,  // century, year, month, day,
                                                                   // h, m, s, weekday
                                                   0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(bytes, expected);

    for (const auto& [tmWeekday, weekday] : {std::pair{1, 0}, {6, 5}}) {
        calendar.tm_wday = tmWeekday;
        EXPECT_EQ(localTimeFromTm(calendar).weekday, weekday) << tmWeekday;
    }
}

}  // namespace
}  // namespace quorvane::formats::testing
