#include "formats/page_file.h"

#include <memory>

#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "temp_folder.h"

namespace quorvane::formats::testing {
namespace {

class PageFile : public TempFolder {
protected:
    std::unique_ptr<card::PageBytes> cardImage = std::make_unique<card::PageBytes>();
    std::unique_ptr<card::PageBytes> pageImage = std::make_unique<card::PageBytes>();
};

TEST_F(PageFile, ExportHoldsTheCardImageInCardByteOrder) {
    (*pageImage)[0] = 0x01;
    (*pageImage)[1] = 0x02;
    (*pageImage)[2] = 0x03;
    (*pageImage)[3] = 0x04;
    card::SetFatEntry(*pageImage, 0, card::FAT_FREE);
    card::SetFatEntry(*pageImage, 1, card::FAT_FREE);
    card::PageToCard(*pageImage, *cardImage);

    const std::filesystem::path path = folder / "page.dcm";
    ASSERT_TRUE(WritePageFile(path, *cardImage).ok());
    const Bytes file = Read(path);
    ASSERT_EQ(file.size(), 131072u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(Bytes(file.begin() + 130048, file.begin() + 130052), (Bytes{0xFF, 0xFC, 0xFF, 0xFC}));
    EXPECT_TRUE(std::equal(file.begin(), file.end(), cardImage->begin()));
}

TEST_F(PageFile, ImportTakesTheFirst131072Bytes) {
    Bytes bytes(131072 + 10, 0);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i / 512);
    }
    ASSERT_EQ(ReadPageFile(Write("p.dcm", bytes), *cardImage), ReadResult::Ok);
    EXPECT_TRUE(std::equal(cardImage->begin(), cardImage->end(), bytes.begin()));
}

TEST_F(PageFile, RefusedImportLeavesTheCardImageUnchanged) {
    cardImage->fill(0x3C);
    const auto before = std::make_unique<card::PageBytes>(*cardImage);
    EXPECT_EQ(ReadPageFile(Write("short.dcm", Bytes(131071, 0x01)), *cardImage),
              ReadResult::PageFileTooShort);
    EXPECT_EQ(ReadPageFile(folder / "none.dcm", *cardImage), ReadResult::CannotOpen);
    std::filesystem::create_directory(folder / "folder.dcm");
    EXPECT_EQ(ReadPageFile(folder / "folder.dcm", *cardImage), ReadResult::ReadFailed);
    EXPECT_EQ(*cardImage, *before);
}

}  // namespace
}  // namespace quorvane::formats::testing
