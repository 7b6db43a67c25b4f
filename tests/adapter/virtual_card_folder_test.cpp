#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "adapter/virtual_adapter.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"

namespace quorvane::adapter {
namespace {

namespace fs = std::filesystem;

class VirtualCardFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "quorvane-card-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        dir = root / "virtual-card";
    }
    void TearDown() override { fs::remove_all(root); }

    static card::PageBytes ReadFile(const fs::path& file) {
        card::PageBytes bytes{};
        std::ifstream(file, std::ios::binary)
            .read(reinterpret_cast<char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    fs::path root;
    fs::path dir;
    std::string error;
};

TEST_F(VirtualCardFolder, MissingFolderIsCreatedWithFourPagesAndSampleFiles) {
    auto adapter = VirtualAdapter::OpenDirectory(dir, error);
    ASSERT_NE(adapter, nullptr) << error;
    EXPECT_EQ(adapter->pageCount(), 4);
    for (const char* name : {"page-01.dcm", "page-02.dcm", "page-03.dcm", "page-04.dcm"}) {
        EXPECT_EQ(fs::file_size(dir / name), 131072u) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "page-05.dcm"));
    auto pageImage = std::make_unique<card::PageBytes>();
    card::CardToPage(ReadFile(dir / "page-02.dcm"), *pageImage);
    EXPECT_TRUE(card::EnumerateFiles(*pageImage).empty());
    EXPECT_EQ(card::CountBlocks(*pageImage).free, 200);

    // Page 1 holds the sample files, each with a save header.
    card::CardToPage(adapter->page(0), *pageImage);
    std::vector<std::string> names;
    for (int slot : card::EnumerateFiles(*pageImage)) {
        const card::DirEntry entry = card::ReadSlot(*pageImage, slot);
        names.push_back(card::EntryName(entry));
        ASSERT_LT(entry.firstBlock, 200);
        const auto* header = pageImage->data() + entry.firstBlock * 512;
        EXPECT_EQ(std::string(header + 48, header + 56), "QUORVANE") << names.back();
        if (names.back() == "QUORVANE_001") {
            EXPECT_EQ(std::string(header, header + 16), "QUORVANE SAMPLE1");
            EXPECT_EQ(std::string(header + 16, header + 44), "Sample save made by Quorvane");
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"PUZZLE___SYS", "QUORVANE_001", "RACEDATA_001"}));
}

TEST_F(VirtualCardFolder, UsesConsecutivePagesFromPage01AndRefusesWhatIsNotACard) {
    fs::create_directories(dir);
    std::ofstream(dir / "notes.txt") << "mine";
    EXPECT_EQ(VirtualAdapter::OpenDirectory(dir, error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(dir / "page-01.dcm"));  // a folder of other files is left alone

    card::PageBytes page{};
    page[0] = 0x5C;
    for (const char* name : {"page-01.dcm", "page-02.dcm", "page-04.dcm"}) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(page.data()),
                   static_cast<std::streamsize>(page.size()));
    }
    auto adapter = VirtualAdapter::OpenDirectory(dir, error);
    ASSERT_NE(adapter, nullptr) << error;
    EXPECT_EQ(adapter->pageCount(), 2);
    EXPECT_EQ(adapter->page(1)[0], 0x5C);

    std::ofstream(dir / "page-01.dcm") << "short";
    EXPECT_EQ(VirtualAdapter::OpenDirectory(dir, error), nullptr);
    EXPECT_NE(error.find("page-01.dcm"), std::string::npos) << error;
}

TEST_F(VirtualCardFolder, PageWrittenInATransactionIsSavedWhenItEnds) {
    {
        auto adapter = VirtualAdapter::OpenDirectory(dir, error);
        ASSERT_NE(adapter, nullptr) << error;
        link::CardLink link(*adapter);
        ASSERT_EQ(link::selectPage(link, 2), 0);
        std::array<std::uint8_t, 512> data;
        data.fill(0xA7);
        ASSERT_EQ(link::writeBlock(link, 40, data), 512);
        EXPECT_EQ(ReadFile(dir / "page-03.dcm")[40 * 512], 0x00);
        link::endTransaction(link);
    }
    EXPECT_EQ(ReadFile(dir / "page-03.dcm")[40 * 512], 0xA7);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4)
        << "no temporary file is left behind";
    auto reopened = VirtualAdapter::OpenDirectory(dir, error);
    ASSERT_NE(reopened, nullptr) << error;
    EXPECT_EQ(reopened->page(2)[40 * 512 + 511], 0xA7);
}

}  // namespace
}  // namespace quorvane::adapter
