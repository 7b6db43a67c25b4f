// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/image_file.h"

#include <algorithm>
#include <memory>

#include "support/temp_folder.h"

namespace quorvane::formats::testing {
namespace {

using namespace quorvane::testing;

constexpr std::size_t PAGE = 131072;
constexpr std::size_t ROOT = 255 * 512;

TEST(ImageOrderOf, DcmIsCardOrderBinAndVmuAreRawWhateverTheCase) {
    EXPECT_EQ(imageOrderOf("saves/page-01.dcm"), ImageOrder::Card);
    EXPECT_EQ(imageOrderOf("PAGE.DCM"), ImageOrder::Card);
    EXPECT_EQ(imageOrderOf("card.bin"), ImageOrder::FileSystem);
    EXPECT_EQ(imageOrderOf("card.Bin"), ImageOrder::FileSystem);
    EXPECT_EQ(imageOrderOf("slot_a1.VMU"), ImageOrder::FileSystem);
    for (const char* other :
         {"race.vmi", "race.vms", "save.ddc", "card.bin.bak", "card", ".bin", "dcm", "card.bi"}) {
        EXPECT_EQ(imageOrderOf(other), std::nullopt) << other;
    }
    EXPECT_EQ(otherOrder(ImageOrder::Card), ImageOrder::FileSystem);
    EXPECT_EQ(otherOrder(ImageOrder::FileSystem), ImageOrder::Card);
}

class ImageFiles : public TempFolder {
protected:
    std::unique_ptr<card::CardOrderPage> cardImage = std::make_unique<card::CardOrderPage>();
};

TEST_F(ImageFiles, RawImageIsReadWithEveryFourByteGroupReversedIntoTheCardImage) {
    Bytes raw(PAGE, 0);
    const Bytes start{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    std::copy(start.begin(), start.end(), raw.begin());
    raw[PAGE - 1] = 0x9A;
    ASSERT_EQ(readCardImage(write("card.bin", raw), ImageOrder::FileSystem, *cardImage),
              ReadResult::Ok);
    EXPECT_EQ(Bytes(cardImage->bytes.begin(), cardImage->bytes.begin() + 8),
              (Bytes{0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05}));
    EXPECT_EQ(cardImage->bytes[PAGE - 4], 0x9A);

    // A .dcm is the card order already.
    ASSERT_EQ(readCardImage(write("card.dcm", raw), ImageOrder::Card, *cardImage), ReadResult::Ok);
    EXPECT_EQ(Bytes(cardImage->bytes.begin(), cardImage->bytes.begin() + 8), start);
}

TEST_F(ImageFiles, ShortImageIsRefusedUntouchedAndALongerOneGivesItsFirstPage) {
    for (const ImageOrder order : {ImageOrder::Card, ImageOrder::FileSystem}) {
        cardImage->bytes.fill(0x5E);
        EXPECT_EQ(readCardImage(write("short", Bytes(PAGE - 1, 0x11)), order, *cardImage),
                  ReadResult::PageFileTooShort);
        EXPECT_EQ(cardImage->bytes[0], 0x5E);
        EXPECT_EQ(cardImage->bytes[PAGE - 1], 0x5E);

        Bytes longer(PAGE + 512, 0x22);
        longer[PAGE] = 0x33;
        ASSERT_EQ(readCardImage(write("long", longer), order, *cardImage), ReadResult::Ok);
        EXPECT_TRUE(std::all_of(cardImage->bytes.begin(), cardImage->bytes.end(),
                                [](std::uint8_t b) { return b == 0x22; }));
    }
    EXPECT_EQ(readCardImage(folder / "none.bin", ImageOrder::FileSystem, *cardImage),
              ReadResult::CannotOpen);
}

TEST_F(ImageFiles, CardImageIsWrittenAsARawImageInFileSystemOrder) {
    cardImage->bytes.fill(0);
    const Bytes start{0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05};
    std::copy(start.begin(), start.end(), cardImage->bytes.begin());
    cardImage->bytes[PAGE - 4] = 0x9A;

    ASSERT_TRUE(writeCardImage(folder / "card.vmu", ImageOrder::FileSystem, *cardImage).ok());
    const Bytes raw = read(folder / "card.vmu");
    ASSERT_EQ(raw.size(), PAGE);
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 8),
              (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}));
    EXPECT_EQ(raw[PAGE - 1], 0x9A);

    ASSERT_TRUE(writeCardImage(folder / "card.dcm", ImageOrder::Card, *cardImage).ok());
    EXPECT_EQ(read(folder / "card.dcm"), Bytes(cardImage->bytes.begin(), cardImage->bytes.end()));
    EXPECT_EQ(names(), (std::vector<std::string>{"card.dcm", "card.vmu"}));
}

// A formatted card's root block names block 254 (FE 00) as its FAT at offset 0x46.
TEST_F(ImageFiles, RootBlockTellsAnImageRenamedToTheOtherOrder) {
    Bytes raw(PAGE, 0);
    raw[ROOT + 0x44] = 0xFF;
    raw[ROOT + 0x46] = 0xFE;
    Bytes dcm(PAGE, 0);  // the same root in card order: the group 0x44..0x47 reversed
    dcm[ROOT + 0x45] = 0xFE;
    dcm[ROOT + 0x47] = 0xFF;

    const auto checkOf = [&](const Bytes& bytes, ImageOrder order) {
        EXPECT_EQ(parseCardImage(bytes, order, *cardImage), ReadResult::Ok);
        return checkImageOrder(*cardImage);
    };
    EXPECT_EQ(checkOf(raw, ImageOrder::FileSystem), OrderCheck::FormattedAsChosen);
    EXPECT_EQ(checkOf(raw, ImageOrder::Card), OrderCheck::FormattedOnlyInOtherOrder);
    EXPECT_EQ(checkOf(dcm, ImageOrder::Card), OrderCheck::FormattedAsChosen);
    EXPECT_EQ(checkOf(dcm, ImageOrder::FileSystem), OrderCheck::FormattedOnlyInOtherOrder);
    EXPECT_EQ(checkOf(Bytes(PAGE, 0), ImageOrder::FileSystem), OrderCheck::NotFormatted);
    // FE at 0x46 alone is not enough: the 16-bit value there must be 254, not 0xFFFE.
    raw[ROOT + 0x47] = 0xFF;
    EXPECT_EQ(checkOf(raw, ImageOrder::FileSystem), OrderCheck::NotFormatted);
}

}  // namespace
}  // namespace quorvane::formats::testing
