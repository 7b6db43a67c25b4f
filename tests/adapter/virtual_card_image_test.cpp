// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <tuple>

#include "adapter/virtual_adapter.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"
#include "support/temp_folder.h"

namespace quorvane::adapter {
namespace {

using namespace quorvane::testing;

constexpr std::size_t PAGE = 131072;
constexpr std::size_t ROOT = 255 * 512;

// A raw image whose root block names block 254 (FE 00 at 0x46) as its FAT, and whose first
// bytes show the order they were taken in.
Bytes rawFormattedImage() {
    Bytes raw(PAGE, 0);
    raw[0] = 0x01;
    raw[1] = 0x02;
    raw[2] = 0x03;
    raw[3] = 0x04;
    raw[ROOT + 0x44] = 0xFF;
    raw[ROOT + 0x46] = 0xFE;
    return raw;
}

class VirtualCardImage : public TempFolder {
protected:
    ImageError error;
};

TEST_F(VirtualCardImage, RawImageIsAOnePageCardInCardOrder) {
    const auto file = write("card.VMU", rawFormattedImage());
    const ImageCard image = VirtualAdapter::openImage(file, std::nullopt, error);
    ASSERT_NE(image.adapter, nullptr) << static_cast<int>(error.problem);
    EXPECT_EQ(image.adapter->pageCount(), 1);
    EXPECT_EQ(image.order, formats::ImageOrder::FileSystem);
    EXPECT_EQ(image.orderCheck, formats::OrderCheck::FormattedAsChosen);
    const card::CardOrderPage& page = image.adapter->page(0);
    EXPECT_EQ(Bytes(page.bytes.begin(), page.bytes.begin() + 4), (Bytes{0x04, 0x03, 0x02, 0x01}));
}

TEST_F(VirtualCardImage, RenamedImageIsTold) {
    const auto file = write("card.dcm", rawFormattedImage());
    ImageCard image = VirtualAdapter::openImage(file, std::nullopt, error);
    ASSERT_NE(image.adapter, nullptr);
    EXPECT_EQ(image.order, formats::ImageOrder::Card);
    EXPECT_EQ(image.orderCheck, formats::OrderCheck::FormattedOnlyInOtherOrder);
    EXPECT_EQ(VirtualAdapter::openImage(file, std::nullopt, error).adapter, nullptr);
    EXPECT_EQ(error.problem, ImageProblem::InUse);

    image.adapter.reset();
    image = VirtualAdapter::openImage(file, formats::ImageOrder::FileSystem, error);
    ASSERT_NE(image.adapter, nullptr);
    EXPECT_EQ(image.order, formats::ImageOrder::FileSystem);
    EXPECT_EQ(image.orderCheck, formats::OrderCheck::FormattedAsChosen);
    EXPECT_EQ(image.adapter->page(0).bytes[0], 0x04);
}

TEST_F(VirtualCardImage, RefusesAnUnknownKindAnythingButOnePageAndAMissingFile) {
    const auto unknown = write("card.img", rawFormattedImage());
    EXPECT_EQ(VirtualAdapter::openImage(unknown, std::nullopt, error).adapter, nullptr);
    EXPECT_EQ(error.problem, ImageProblem::UnknownKind);
    EXPECT_EQ(error.path, unknown);

    for (const std::size_t size : {PAGE - 1, PAGE + 1, std::size_t{0}}) {
        const auto file = write("card.bin", Bytes(size, 0));
        error = {};
        EXPECT_EQ(VirtualAdapter::openImage(file, std::nullopt, error).adapter, nullptr) << size;
        EXPECT_EQ(error.problem, ImageProblem::NotExactlyOnePage) << size;
        EXPECT_EQ(error.path, file);
    }

    error = {};
    EXPECT_EQ(VirtualAdapter::openImage(folder / "none.dcm", std::nullopt, error).adapter, nullptr);
    EXPECT_EQ(error.problem, ImageProblem::CannotRead);
    EXPECT_EQ(error.systemError, ENOENT);
    EXPECT_EQ(error.path, folder / "none.dcm");
}

TEST_F(VirtualCardImage, PageWrittenInATransactionIsSavedInTheFilesOwnOrder) {
    // The PC sends blocks in card order.
    std::array<std::uint8_t, 512> data{};
    data[0] = 0xA1;
    data[1] = 0xA2;
    data[2] = 0xA3;
    data[3] = 0xA4;
    const Bytes original = rawFormattedImage();
    std::filesystem::create_directories(folder / "emu");
    std::filesystem::create_symlink("emu/real.bin", folder / "link.bin");
    // name, the file written (through a link for link.bin), the bytes at block 40
    for (const auto& [name, real, expected] :
         {std::tuple{"card.bin", "card.bin", Bytes{0xA4, 0xA3, 0xA2, 0xA1}},
          std::tuple{"card.dcm", "card.dcm", Bytes{0xA1, 0xA2, 0xA3, 0xA4}},
          std::tuple{"link.bin", "emu/real.bin", Bytes{0xA4, 0xA3, 0xA2, 0xA1}}}) {
        const auto file = write(real, original);
        const ImageCard image = VirtualAdapter::openImage(folder / name, std::nullopt, error);
        ASSERT_NE(image.adapter, nullptr) << name;
        link::CardLink link(*image.adapter);
        ASSERT_EQ(link::writeBlock(link, 40, data), 512);
        EXPECT_EQ(read(file)[40 * 512], 0x00) << "saved before the transaction ended";
        link::endTransaction(link);
        EXPECT_FALSE(link.linkLost());

        const Bytes saved = read(file);
        ASSERT_EQ(saved.size(), PAGE);
        EXPECT_EQ(Bytes(saved.begin() + 40 * 512, saved.begin() + 40 * 512 + 4), expected) << name;
        EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 40 * 512, original.begin()))
            << name << ": the rest of the page is as it was";
        // The file that took the name was locked before it did.
        EXPECT_EQ(VirtualAdapter::openImage(folder / real, std::nullopt, error).adapter, nullptr);
        EXPECT_EQ(error.problem, ImageProblem::InUse) << name;
    }
    EXPECT_EQ(std::filesystem::read_symlink(folder / "link.bin"), "emu/real.bin");
    EXPECT_EQ(names(), (std::vector<std::string>{"card.bin", "card.dcm", "emu", "link.bin"}))
        << "no temporary file is left behind";
    EXPECT_EQ(fileNamesIn(folder / "emu"), std::vector<std::string>{"real.bin"});
}

}  // namespace
}  // namespace quorvane::adapter
