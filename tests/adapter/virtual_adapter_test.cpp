// SPDX-License-Identifier: GPL-3.0-or-later
#include "adapter/virtual_adapter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/page_check.h"
#include "card/save_header.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"
#include "support/temp_folder.h"

namespace quorvane::adapter {
namespace {

constexpr std::uint16_t DATA = 0x378;
constexpr std::uint16_t STATUS = 0x379;
constexpr std::uint8_t LINE = 0x40;

std::vector<card::CardOrderPage> zeroPages(int count) {
    return std::vector<card::CardOrderPage>(static_cast<std::size_t>(count));
}

bool lineHigh(VirtualAdapter& adapter) {
    return (adapter.read(STATUS) & LINE) != 0;
}

TEST(VirtualAdapter, PlaysItsSideOfTheHandshakeByHandAtItsOwnAddressOnly) {
    VirtualAdapter adapter(zeroPages(4));
    EXPECT_EQ(adapter.read(0x279), 0xFF);
    adapter.write(0x278, 0x00);
    EXPECT_EQ(adapter.accessCount(), 0u);
    link::CardLink link(adapter);
    ASSERT_EQ(link::selectPage(link, 2), 0);

    // 0x20, most significant bit first; the line follows the clock.
    for (bool bit : {false, false, true, false, false, false, false, false}) {
        adapter.write(DATA, 0x00);
        EXPECT_FALSE(lineHigh(adapter));
        adapter.write(DATA, bit ? 0x01 : 0x00);
        adapter.write(DATA, bit ? 0x03 : 0x02);
        EXPECT_TRUE(lineHigh(adapter));
    }
    // A reply is due: the line stays up for the PC's confirming read, then drops.
    EXPECT_TRUE(lineHigh(adapter));
    EXPECT_FALSE(lineHigh(adapter));
    std::uint8_t reply = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(lineHigh(adapter)) << "bit " << i << " is ready";
        adapter.write(DATA, 0x00);
        const std::uint8_t status = adapter.read(STATUS);
        EXPECT_TRUE((status & LINE) != 0);
        reply = static_cast<std::uint8_t>((reply << 1) | ((status & 0x80) == 0 ? 1 : 0));
        adapter.write(DATA, 0x03);
    }
    EXPECT_EQ(reply, 0x02);
    EXPECT_TRUE(lineHigh(adapter)) << "ready again after the reply";
}

TEST(VirtualAdapter, StaysBusyAfterAPageChangeAndCarriesEveryCommandWhenSlow) {
    VirtualAdapter adapter(zeroPages(3));
    adapter.timing().pageChangeBusy = 1000;
    link::CardLink link(adapter);
    ASSERT_EQ(link.sendByte(link::CMD_SELECT_PAGE), 0);
    ASSERT_EQ(link.sendByte(1), 0);
    int busyPolls = 0;
    while (link.adapterBusy() && busyPolls <= 1000) {
        ++busyPolls;
    }
    EXPECT_EQ(busyPolls, 1000);
    EXPECT_EQ(adapter.selectedPage(), 1);
    link::endTransaction(link);

    adapter.timing().answerLatency = 17;
    link::AdapterStatus status;
    link::queryStatus(link, status);
    EXPECT_EQ(status.state, 0x00);
    EXPECT_EQ(status.pageCount, 3);
    EXPECT_EQ(link::selectPage(link, 2), 0);
    EXPECT_EQ(link::selectPage(link, 3), 0);  // beyond its pages: ignored
    EXPECT_EQ(link::querySelectedPage(link), 2);
    std::array<std::uint8_t, 512> block{};
    EXPECT_TRUE(link::readBlock(link, 255, block));
    EXPECT_EQ(link::writeBlock(link, 0, block), 512);
}

TEST(VirtualAdapter, StayingBusyFailsTheResetAndUnpluggedReadsAllOnesForEver) {
    VirtualAdapter busy(zeroPages(1));
    busy.faults().stayBusy = true;
    link::CardLink link(busy);
    EXPECT_FALSE(link.resetLink());
    EXPECT_EQ(link.sendByte(0x08), 1);

    VirtualAdapter adapter(zeroPages(1));
    adapter.faults().unplugAfterAccesses = 1;
    EXPECT_EQ(adapter.read(STATUS), LINE);
    adapter.write(DATA, 0x00);
    EXPECT_EQ(adapter.read(STATUS), 0xFF);
    EXPECT_EQ(adapter.read(STATUS), 0xFF);
    adapter.faults().unplugAfterAccesses.reset();
    EXPECT_EQ(adapter.read(STATUS), 0xFF);  // gone is gone
}

// A store whose saves succeed until `failing` is set, as a folder that fills up would.
class SwitchableStore final : public PageStore {
public:
    bool failing = false;
    int saves = 0;
    formats::WriteStatus save(int, const card::CardOrderPage&) override {
        ++saves;
        return failing ? formats::WriteStatus{formats::WriteResult::CannotWrite, ENOSPC}
                       : formats::WriteStatus{};
    }
};

TEST(VirtualAdapter, PageThatCannotBeSavedIsNotTakenAndTheEndOfItsTransactionTimesOut) {
    auto store = std::make_unique<SwitchableStore>();
    SwitchableStore& saves = *store;
    VirtualAdapter adapter(zeroPages(2), std::move(store));
    link::CardLink link(adapter);
    std::array<std::uint8_t, 512> data;
    data.fill(0xA7);

    saves.failing = true;
    ASSERT_EQ(link::writeBlock(link, 7, data), 512);
    EXPECT_EQ(link.sendByte(link::CMD_END_TRANSACTION), 1);
    EXPECT_TRUE(link.linkLost());
    EXPECT_EQ(saves.saves, 1);
    EXPECT_EQ(adapter.page(0), card::CardOrderPage{})
        << "the page goes back to what its file holds";

    // The adapter answers again once the PC resets the link, and saves what it can.
    EXPECT_TRUE(link.resetLink());
    saves.failing = false;
    ASSERT_EQ(link::writeBlock(link, 7, data), 512);
    EXPECT_EQ(link.sendByte(link::CMD_END_TRANSACTION), 0);
    EXPECT_FALSE(link.linkLost());
    EXPECT_EQ(adapter.page(0).bytes[7 * 512], 0xA7);
    link::endTransaction(link);  // nothing written since: nothing saved
    EXPECT_EQ(saves.saves, 2);
}

namespace fs = std::filesystem;

class VirtualCardFolder : public quorvane::testing::TempFolder {
protected:
    // A page file, which holds a page in card byte order.
    static card::CardOrderPage readFile(const fs::path& file) {
        card::CardOrderPage page{};
        std::ifstream(file, std::ios::binary)
            .read(reinterpret_cast<char*>(page.bytes.data()),
                  static_cast<std::streamsize>(page.bytes.size()));
        return page;
    }

    fs::path dir = folder / "virtual-card";
    FolderError error;
};

TEST_F(VirtualCardFolder, MissingFolderIsCreatedWithFourPagesAndSampleFiles) {
    auto adapter = VirtualAdapter::openDirectory(dir, error);
    ASSERT_NE(adapter, nullptr) << error.path;
    EXPECT_EQ(adapter->pageCount(), 4);
    for (const char* name : {"page-01.dcm", "page-02.dcm", "page-03.dcm", "page-04.dcm"}) {
        EXPECT_EQ(fs::file_size(dir / name), 131072u) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "page-05.dcm"));
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(readFile(dir / "page-02.dcm"), *pageImage);
    EXPECT_TRUE(card::enumerateFiles(*pageImage).empty());
    EXPECT_EQ(card::countBlocks(*pageImage).free, 200);

    // Page 1 holds the sample files, each with a save header.
    card::cardToPage(adapter->page(0), *pageImage);
    std::vector<std::string> names;
    for (int slot : card::enumerateFiles(*pageImage)) {
        const card::DirEntry entry = card::readSlot(*pageImage, slot);
        names.push_back(card::entryName(entry));
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

    // The samples are sound saves: a clean check, icons where there is room for them.
    EXPECT_TRUE(card::checkPage(*pageImage).clean());
    std::map<std::string, std::size_t> iconFrames;
    for (int slot : card::enumerateFiles(*pageImage)) {
        const auto icon = card::fileIcon(*pageImage, slot);
        iconFrames[card::entryName(card::readSlot(*pageImage, slot))] =
            icon ? icon->frames.size() : 0;
    }
    EXPECT_EQ(iconFrames, (std::map<std::string, std::size_t>{
                              {"PUZZLE___SYS", 3}, {"QUORVANE_001", 0}, {"RACEDATA_001", 1}}));
}

TEST_F(VirtualCardFolder, UsesConsecutivePagesFromPage01AndRefusesWhatIsNotACard) {
    fs::create_directories(dir);
    std::ofstream(dir / "notes.txt") << "mine";
    EXPECT_EQ(VirtualAdapter::openDirectory(dir, error), nullptr);
    EXPECT_EQ(error.problem, FolderProblem::NoFirstPage);
    EXPECT_FALSE(fs::exists(dir / "page-01.dcm"));  // a folder of other files is left alone

    card::PageBytes page{};
    page[0] = 0x5C;
    for (const char* name : {"page-01.dcm", "page-02.dcm", "page-04.dcm"}) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(page.data()),
                   static_cast<std::streamsize>(page.size()));
    }
    auto adapter = VirtualAdapter::openDirectory(dir, error);
    ASSERT_NE(adapter, nullptr) << error.path;
    EXPECT_EQ(adapter->pageCount(), 2);
    EXPECT_EQ(adapter->page(1).bytes[0], 0x5C);
    // While one program holds the card, a second is refused.
    EXPECT_EQ(VirtualAdapter::openDirectory(dir, error), nullptr);
    EXPECT_EQ(error.problem, FolderProblem::InUse);
    adapter.reset();

    std::ofstream(dir / "page-01.dcm") << "short";
    EXPECT_EQ(VirtualAdapter::openDirectory(dir, error), nullptr);
    EXPECT_EQ(error.problem, FolderProblem::NotAPageImage);
    EXPECT_EQ(error.path.filename(), "page-01.dcm");
}

TEST_F(VirtualCardFolder, PageWrittenInATransactionIsSavedWhenItEnds) {
    ASSERT_NE(VirtualAdapter::openDirectory(dir, error), nullptr) << error.path;
    // Page 3 is a link to a file kept elsewhere, as an emulator's card might be.
    const fs::path real = dir.parent_path() / "emulator-card.dcm";
    fs::rename(dir / "page-03.dcm", real);
    fs::create_symlink(real, dir / "page-03.dcm");
    {
        auto adapter = VirtualAdapter::openDirectory(dir, error);
        ASSERT_NE(adapter, nullptr) << error.path;
        link::CardLink link(*adapter);
        ASSERT_EQ(link::selectPage(link, 2), 0);
        std::array<std::uint8_t, 512> data;
        data.fill(0xA7);
        ASSERT_EQ(link::writeBlock(link, 40, data), 512);
        EXPECT_EQ(readFile(dir / "page-03.dcm").bytes[40 * 512], 0x00);
        link::endTransaction(link);
    }
    EXPECT_EQ(readFile(real).bytes[40 * 512], 0xA7);
    EXPECT_EQ(fs::read_symlink(dir / "page-03.dcm"), real) << "the link stays";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4)
        << "no temporary file is left behind";
    auto reopened = VirtualAdapter::openDirectory(dir, error);
    ASSERT_NE(reopened, nullptr) << error.path;
    EXPECT_EQ(reopened->page(2).bytes[40 * 512 + 511], 0xA7);
}

}  // namespace
}  // namespace quorvane::adapter
