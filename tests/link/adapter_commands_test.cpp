#include "link/adapter_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "scripted_port.h"

namespace quorvane::link {
namespace {

using adapter::VirtualAdapter;
using testing::AlwaysHigh;
using testing::ScriptedPort;
using testing::TapPort;
using Bytes = std::vector<std::uint8_t>;
using Block = std::array<std::uint8_t, 512>;
using Quarter = std::array<std::uint8_t, QUARTER_SIZE>;

struct Exchange {
    Bytes received;
    Bytes replied;
};

class CommandTest : public ::testing::Test {
protected:
    CommandTest() : adapter(MakePages()), link(adapter) { adapter.recordCommands(true); }

    // Four pages; page 0 block 5 holds bytes 3 * i + 1 (mod 256), everything else is zero.
    static std::vector<card::PageBytes> MakePages() {
        std::vector<card::PageBytes> pages(4);
        for (std::size_t i = 0; i < 512; ++i) {
            pages[0][5 * 512 + i] = static_cast<std::uint8_t>(3 * i + 1);
        }
        return pages;
    }

    std::vector<Exchange> exchanges() const {
        std::vector<Exchange> result;
        for (const auto& command : adapter.commands()) {
            result.push_back({command.received, command.replied});
        }
        return result;
    }

    VirtualAdapter adapter;
    CardLink link;
};

void ExpectExchanges(const std::vector<Exchange>& actual, const std::vector<Exchange>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].received, expected[i].received) << "command " << i;
        EXPECT_EQ(actual[i].replied, expected[i].replied) << "command " << i;
    }
}

TEST_F(CommandTest, EndTransactionSends01) {
    endTransaction(link);
    ExpectExchanges(exchanges(), {{{0x01}, {}}});
    EXPECT_EQ(adapter.transactionsEnded(), 1);
}

TEST_F(CommandTest, WriteQuarterOfAllOnesExpectsAcknowledgement00) {
    Quarter ones;
    ones.fill(0xFF);
    EXPECT_EQ(writeQuarter(link, 3, 0, ones), 128);
    EXPECT_EQ(exchanges().at(0).replied, (Bytes{0x00}));

    adapter.faults().corruptAckOfBlock = 3;
    adapter.faults().corruptAckQuarter = 0;
    EXPECT_EQ(writeQuarter(link, 3, 0, ones), 0);
    EXPECT_EQ(exchanges().at(1).replied, (Bytes{0xFF}));
}

TEST_F(CommandTest, WriteQuarterWithoutAnAdapterIsNeverAcknowledged) {
    // The XOR of this quarter is 0xFF, which is also what a missing reply reads as.
    Quarter data{};
    data[0] = 0xFF;
    link.portBase = 0x278;  // nothing answers there
    EXPECT_EQ(writeQuarter(link, 3, 0, data), 0);
}

TEST_F(CommandTest, WriteBlockSendsFourQuartersOutsideTheUnwrittenRange) {
    Block data;
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i / 3);
    }
    for (int block : {199, 241}) {
        const std::size_t before = adapter.commands().size();
        EXPECT_EQ(writeBlock(link, block, data), 512);
        const auto sent = exchanges();
        ASSERT_EQ(sent.size() - before, 4u);
        for (int quarter = 0; quarter < 4; ++quarter) {
            const Bytes& received = sent[before + static_cast<std::size_t>(quarter)].received;
            ASSERT_EQ(received.size(), 131u);
            EXPECT_EQ(received[0], 0x02);
            EXPECT_EQ(received[1], block);
            EXPECT_EQ(received[2], quarter);
            EXPECT_TRUE(
                std::equal(received.begin() + 3, received.end(), data.begin() + quarter * 128));
        }
        EXPECT_TRUE(std::equal(data.begin(), data.end(), adapter.page(0).begin() + block * 512));
    }
}

TEST_F(CommandTest, WriteBlockOf200To240SendsNothing) {
    Block data{};
    for (int block : {200, 240}) {
        EXPECT_EQ(writeBlock(link, block, data), 512);
    }
    EXPECT_EQ(adapter.accessCount(), 0u);
    EXPECT_EQ(adapter.quarterWrites(200), 0);
}

TEST_F(CommandTest, WriteBlockSendsEveryQuarterAfterAFailedOne) {
    adapter.faults().corruptAckOfBlock = 12;
    adapter.faults().corruptAckQuarter = 1;
    Block data{};
    EXPECT_EQ(writeBlock(link, 12, data), 384);
    EXPECT_EQ(adapter.quarterWrites(12), 4);
}

TEST_F(CommandTest, SelectPageSendsTheIndexWaitsThenEndsTheTransaction) {
    adapter.timing().pageChangeBusy = 5000;
    adapter.timing().answerLatency = 3;
    EXPECT_EQ(selectPage(link, 2), 0);
    ExpectExchanges(exchanges(), {{{0x04, 0x02}, {}}, {{0x01}, {}}});
    EXPECT_EQ(adapter.selectedPage(), 2);
}

TEST_F(CommandTest, SelectPageWhoseIndexTimesOutStillWaitsEndsAndReturns0) {
    // Measure the accesses of the code byte, then unplug a fresh adapter right after it.
    link.sendByte(CMD_SELECT_PAGE);
    VirtualAdapter unplugging(MakePages());
    unplugging.faults().unplugAfterAccesses = adapter.accessCount();
    TapPort tap(unplugging);
    CardLink tapLink(tap);

    EXPECT_EQ(selectPage(tapLink, 1), 0);

    // After the code byte: the index's first bit (00 00) times out, one ready poll sees the
    // open port high, and 01's first bit (00 00) gives up at its first read.
    const auto afterCode = tap.accesses.begin() + static_cast<long>(adapter.accessCount());
    std::vector<ScriptedPort::Access> tail(afterCode, tap.accesses.end());
    ASSERT_EQ(tail.size(), 2u + (1u + SEND_WAIT_LIMIT) + 1u + 2u + 1u);
    EXPECT_TRUE(tail[0].isWrite && tail[0].value == 0x00);
    EXPECT_TRUE(tail[1].isWrite && tail[1].value == 0x00);
    const std::size_t endWrites = 2 + 1 + SEND_WAIT_LIMIT + 1;
    EXPECT_FALSE(tail[endWrites - 1].isWrite);
    EXPECT_TRUE(tail[endWrites].isWrite && tail[endWrites].value == 0x00);
    EXPECT_TRUE(tail[endWrites + 1].isWrite && tail[endWrites + 1].value == 0x00);
    EXPECT_EQ(unplugging.selectedPage(), 0);
}

TEST_F(CommandTest, QueryStatusReadsThreeBytesWaitsThenEnds) {
    AdapterStatus status;
    queryStatus(link, status);
    ExpectExchanges(exchanges(), {{{0x08}, {0x00, 0x00, 0x04}}, {{0x01}, {}}});
    EXPECT_EQ(status.state, 0x00);
    EXPECT_EQ(status.second, 0x00);
    EXPECT_EQ(status.pageCount, 4);
}

TEST(CommandWithoutAdapter, CodeByteTimeOutStopsTheCommand) {
    ScriptedPort absent(AlwaysHigh);
    CardLink link(absent);

    AdapterStatus status{0x00, 0x07, 0x09};
    queryStatus(link, status);
    EXPECT_EQ(status.state, 0xFF);
    EXPECT_EQ(status.second, 0x07);
    EXPECT_EQ(status.pageCount, 0x09);

    link.resetLink();
    EXPECT_EQ(selectPage(link, 2), 1);
    link.resetLink();
    Block destination{};
    EXPECT_FALSE(readBlock(link, 5, destination));

    // Each command wrote the first bit's 00 00 and nothing after it (resetLink wrote 03).
    EXPECT_EQ(absent.writtenValues(), (Bytes{0x00, 0x00, 0x03, 0x00, 0x00, 0x03, 0x00, 0x00}));
}

TEST_F(CommandTest, SetIndicatorSendsThePatternOfTheLevel) {
    setIndicator(link, 0);
    setIndicator(link, 8);
    setIndicator(link, 3);
    ExpectExchanges(exchanges(),
                    {{{0x10, 0x00, 0x00}, {}}, {{0x10, 0xFE, 0x03}, {}}, {{0x10, 0xC0, 0x03}, {}}});
    EXPECT_EQ(adapter.indicatorHistory(), (std::vector<int>{0, 8, 3}));
}

TEST_F(CommandTest, QuerySelectedPageReturnsTheAdaptersReply) {
    ASSERT_EQ(selectPage(link, 3), 0);
    EXPECT_EQ(querySelectedPage(link), 3);
    EXPECT_EQ(exchanges().back().received, (Bytes{0x20}));
    EXPECT_EQ(exchanges().back().replied, (Bytes{0x03}));
}

TEST_F(CommandTest, ReadBlockTakes512BytesInCardOrderAndTheCheck) {
    Block destination{};
    EXPECT_TRUE(readBlock(link, 5, destination));
    EXPECT_TRUE(
        std::equal(destination.begin(), destination.end(), adapter.page(0).begin() + 5 * 512));
    const auto sent = exchanges();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].received, (Bytes{0x80, 0x05}));
    EXPECT_EQ(sent[0].replied.size(), 513u);
}

TEST_F(CommandTest, ZeroBlockReadsWithCheck00AndFailsWithAnyOther) {
    Block destination;
    destination.fill(0x5A);
    EXPECT_TRUE(readBlock(link, 9, destination));
    EXPECT_EQ(exchanges().at(0).replied.back(), 0x00);

    adapter.faults().corruptReadCheckOfBlock = 9;
    destination.fill(0x5A);
    EXPECT_FALSE(readBlock(link, 9, destination));
    EXPECT_NE(exchanges().at(1).replied.back(), 0x00);
    EXPECT_EQ(destination, Block{});               // the bytes received stay in the destination
    EXPECT_TRUE(readBlock(link, 9, destination));  // the fault was for one read only
}

TEST_F(CommandTest, ReadBlockWithAFlippedReplyBitFails) {
    adapter.faults().flipReplyBits = {0};
    Block destination{};
    EXPECT_FALSE(readBlock(link, 5, destination));
    EXPECT_EQ(destination[0], 0x01 ^ 0x80);
}

TEST_F(CommandTest, ReadBlockCutShortIsAFailureEvenWhenTheAllOnesMatch) {
    // A zero block cut after its first byte: 511 bytes of 0xFF fold to 0xFF, and the missing
    // check byte reads as 0xFF too.
    link.sendByte(CMD_READ_BLOCK);
    link.sendByte(9);
    link.receiveByte();
    VirtualAdapter unplugging(MakePages());
    unplugging.faults().unplugAfterAccesses = adapter.accessCount();
    CardLink cutLink(unplugging);

    Block destination{};
    EXPECT_FALSE(readBlock(cutLink, 9, destination));
    EXPECT_EQ(destination[0], 0x00);
    EXPECT_EQ(destination[1], 0xFF);
}

}  // namespace
}  // namespace quorvane::link
