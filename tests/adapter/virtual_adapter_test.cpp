#include "adapter/virtual_adapter.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/adapter_commands.h"
#include "link/card_link.h"

namespace quorvane::adapter {
namespace {

constexpr std::uint16_t DATA = 0x378;
constexpr std::uint16_t STATUS = 0x379;
constexpr std::uint8_t LINE = 0x40;

std::vector<card::PageBytes> ZeroPages(int count) {
    return std::vector<card::PageBytes>(static_cast<std::size_t>(count));
}

bool LineHigh(VirtualAdapter& adapter) {
    return (adapter.read(STATUS) & LINE) != 0;
}

TEST(VirtualAdapter, PlaysItsSideOfTheHandshakeByHandAtItsOwnAddressOnly) {
    VirtualAdapter adapter(ZeroPages(4));
    EXPECT_EQ(adapter.read(0x279), 0xFF);
    adapter.write(0x278, 0x00);
    EXPECT_EQ(adapter.accessCount(), 0u);
    link::CardLink link(adapter);
    ASSERT_EQ(link::selectPage(link, 2), 0);

    // 0x20, most significant bit first; the line follows the clock.
    for (bool bit : {false, false, true, false, false, false, false, false}) {
        adapter.write(DATA, 0x00);
        EXPECT_FALSE(LineHigh(adapter));
        adapter.write(DATA, bit ? 0x01 : 0x00);
        adapter.write(DATA, bit ? 0x03 : 0x02);
        EXPECT_TRUE(LineHigh(adapter));
    }
    // A reply is due: the line stays up for the PC's confirming read, then drops.
    EXPECT_TRUE(LineHigh(adapter));
    EXPECT_FALSE(LineHigh(adapter));
    std::uint8_t reply = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(LineHigh(adapter)) << "bit " << i << " is ready";
        adapter.write(DATA, 0x00);
        const std::uint8_t status = adapter.read(STATUS);
        EXPECT_TRUE((status & LINE) != 0);
        reply = static_cast<std::uint8_t>((reply << 1) | ((status & 0x80) == 0 ? 1 : 0));
        adapter.write(DATA, 0x03);
    }
    EXPECT_EQ(reply, 0x02);
    EXPECT_TRUE(LineHigh(adapter)) << "ready again after the reply";
}

TEST(VirtualAdapter, StaysBusyAfterAPageChangeAndCarriesEveryCommandWhenSlow) {
    VirtualAdapter adapter(ZeroPages(3));
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
    VirtualAdapter busy(ZeroPages(1));
    busy.faults().stayBusy = true;
    link::CardLink link(busy);
    EXPECT_FALSE(link.resetLink());
    EXPECT_EQ(link.sendByte(0x08), 1);

    VirtualAdapter adapter(ZeroPages(1));
    adapter.faults().unplugAfterAccesses = 1;
    EXPECT_EQ(adapter.read(STATUS), LINE);
    adapter.write(DATA, 0x00);
    EXPECT_EQ(adapter.read(STATUS), 0xFF);
    EXPECT_EQ(adapter.read(STATUS), 0xFF);
    adapter.faults().unplugAfterAccesses.reset();
    EXPECT_EQ(adapter.read(STATUS), 0xFF);  // gone is gone
}

}  // namespace
}  // namespace quorvane::adapter
