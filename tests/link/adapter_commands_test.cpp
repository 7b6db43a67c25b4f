// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/adapter_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

#include "adapter/virtual_adapter.h"
#include "scripted_port.h"

namespace quorvane::link::testing {
namespace {

using adapter::VirtualAdapter;
using Block = std::array<std::uint8_t, 512>;

using Exchange = std::pair<Bytes, Bytes>;  // bytes the adapter took, bytes it answered

// Four pages; page 0 block 5 holds bytes 3 * i + 1 (mod 256), everything else is zero.
std::vector<card::CardOrderPage> makePages() {
    std::vector<card::CardOrderPage> pages(4);
    for (std::size_t i = 0; i < 512; ++i) {
        pages[0].bytes[5 * 512 + i] = static_cast<std::uint8_t>(3 * i + 1);
    }
    return pages;
}

class Commands : public ::testing::Test {
protected:
    Commands() { adapter.recordCommands(true); }

    std::vector<Exchange> exchanges() const {
        std::vector<Exchange> result;
        for (const auto& command : adapter.commands()) {
            result.push_back({command.received, command.replied});
        }
        return result;
    }

    VirtualAdapter adapter{makePages()};
    CardLink link{adapter};
};

TEST_F(Commands, EachCommandPutsItsBytesOnTheWire) {
    adapter.timing().pageChangeBusy = 5000;
    adapter.timing().answerLatency = 3;
    AdapterStatus status;
    endTransaction(link);
    EXPECT_EQ(selectPage(link, 2), 0);
    queryStatus(link, status);
    for (int level : {0, 8, 3}) {
        setIndicator(link, level);
    }
    EXPECT_EQ(querySelectedPage(link), 2);

    const std::vector<Exchange> expected = {{{0x01}, {}},
                                            {{0x04, 0x02}, {}},
                                            {{0x01}, {}},
                                            {{0x08}, {0x00, 0x00, 0x04}},
                                            {{0x01}, {}},
                                            {{0x10, 0x00, 0x00}, {}},
                                            {{0x10, 0xFE, 0x03}, {}},
                                            {{0x10, 0xC0, 0x03}, {}},
                                            {{0x20}, {0x02}}};
    EXPECT_EQ(exchanges(), expected);
    EXPECT_EQ(std::tie(status.state, status.second, status.pageCount), std::tuple(0, 0, 4));
    EXPECT_EQ(adapter.selectedPage(), 2);
    EXPECT_EQ(adapter.transactionsEnded(), 3);
    EXPECT_EQ(adapter.indicatorHistory(), (std::vector<int>{0, 8, 3}));
}

TEST_F(Commands, WriteQuarterOfAllOnesExpectsAcknowledgement00) {
    Block ones;
    ones.fill(0xFF);
    const auto quarter = std::span(ones).first<QUARTER_SIZE>();
    EXPECT_EQ(writeQuarter(link, 3, 0, quarter), 128);
    adapter.faults().corruptAckOfBlock = 3;
    adapter.faults().corruptAckQuarter = 0;
    EXPECT_EQ(writeQuarter(link, 3, 0, quarter), 0);
    ASSERT_EQ(exchanges().size(), 2u);
    EXPECT_EQ(exchanges()[0].second, (Bytes{0x00}));
    EXPECT_EQ(exchanges()[1].second, (Bytes{0xFF}));

    // The XOR of this quarter is 0xFF, which is also what a missing reply reads as.
    ones.fill(0x00);
    ones[0] = 0xFF;
    link.portBase = 0x278;  // nothing answers there
    EXPECT_EQ(writeQuarter(link, 3, 0, quarter), 0);
}

TEST_F(Commands, WriteBlockSendsFourQuartersOutsideBlocks200To240) {
    Block data;
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i / 3);
    }
    for (const auto& [block, quarters] : {std::pair{199, 4}, {200, 0}, {240, 0}, {241, 4}}) {
        const std::size_t before = adapter.commands().size();
        EXPECT_EQ(writeBlock(link, block, data), 512) << block;
        const auto sent = exchanges();
        ASSERT_EQ(sent.size() - before, static_cast<std::size_t>(quarters)) << block;
        for (std::size_t quarter = 0; quarter < sent.size() - before; ++quarter) {
            const Bytes& received = sent[before + quarter].first;
            ASSERT_EQ(received.size(), 131u);
            EXPECT_EQ(received[0], 0x02);
            EXPECT_EQ(received[1], block);
            EXPECT_EQ(received[2], quarter);
            EXPECT_TRUE(std::equal(received.begin() + 3, received.end(),
                                   data.begin() + static_cast<long>(quarter * 128)));
        }
        EXPECT_EQ(std::equal(data.begin(), data.end(), adapter.page(0).bytes.begin() + block * 512),
                  quarters == 4)
            << block;
    }

    adapter.faults().corruptAckOfBlock = 12;
    adapter.faults().corruptAckQuarter = 1;
    EXPECT_EQ(writeBlock(link, 12, data), 384);
    EXPECT_EQ(adapter.quarterWrites(12), 4);  // every quarter is sent after a failed one
}

TEST_F(Commands, ReadBlockTakes512BytesAndAMatchingCheck) {
    Block destination{};
    EXPECT_TRUE(readBlock(link, 5, destination));
    EXPECT_TRUE(std::equal(destination.begin(), destination.end(),
                           adapter.page(0).bytes.begin() + 5 * 512));
    ASSERT_EQ(exchanges().size(), 1u);
    EXPECT_EQ(exchanges()[0].first, (Bytes{0x80, 0x05}));
    EXPECT_EQ(exchanges()[0].second.size(), 513u);

    // A zero block: check 0x00; a wrong check fails but leaves the bytes received.
    destination.fill(0x5A);
    EXPECT_TRUE(readBlock(link, 9, destination));
    EXPECT_EQ(exchanges()[1].second.back(), 0x00);
    adapter.faults().corruptReadCheckOfBlock = 9;
    destination.fill(0x5A);
    EXPECT_FALSE(readBlock(link, 9, destination));
    EXPECT_NE(exchanges()[2].second.back(), 0x00);
    EXPECT_EQ(destination, Block{});
    EXPECT_TRUE(readBlock(link, 9, destination));  // the fault was for one read only

    adapter.faults().flipReplyBits = {4 * 513 * 8};  // the first bit of the fifth read
    EXPECT_FALSE(readBlock(link, 5, destination));
    EXPECT_EQ(destination[0], 0x01 ^ 0x80);
}

TEST_F(Commands, ReadBlockCutShortIsAFailureEvenWhenTheAllOnesMatch) {
    // A zero block cut after its first byte: 511 bytes of 0xFF fold to 0xFF, and the missing
    // check byte reads as 0xFF too.
    link.sendByte(CMD_READ_BLOCK);
    link.sendByte(9);
    link.receiveByte();
    VirtualAdapter unplugging(makePages());
    unplugging.faults().unplugAfterAccesses = adapter.accessCount();
    CardLink cutLink(unplugging);

    Block destination{};
    EXPECT_FALSE(readBlock(cutLink, 9, destination));
    EXPECT_EQ(destination[0], 0x00);
    EXPECT_EQ(destination[1], 0xFF);
}

TEST(CommandsWithoutAdapter, CodeByteTimeOutStopsTheCommand) {
    ScriptedPort absent(alwaysHigh);
    CardLink link(absent);
    AdapterStatus status{0x00, 0x07, 0x09};
    queryStatus(link, status);
    EXPECT_EQ(std::tie(status.state, status.second, status.pageCount), std::tuple(0xFF, 7, 9));
    link.resetLink();
    EXPECT_EQ(selectPage(link, 2), 1);
    link.resetLink();
    Block destination{};
    EXPECT_FALSE(readBlock(link, 5, destination));
    // Each command wrote the first bit's 00 00 and nothing after it (resetLink wrote 03).
    EXPECT_EQ(absent.writtenValues(), (Bytes{0x00, 0x00, 0x03, 0x00, 0x00, 0x03, 0x00, 0x00}));
}

TEST(CommandsWithoutAdapter, SelectPageWhoseIndexTimesOutStillWaitsEndsAndReturns0) {
    // The adapter takes the code byte 0x04 (66 accesses: 4 reads a bit, 4 writes a 0 bit and 6
    // the 1 bit), then is gone.
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index < 32 ? followsClock(index, data) : 0xFF;
    });
    CardLink link(port);
    EXPECT_EQ(selectPage(link, 1), 0);

    // After the code byte: the index's first bit (00 00) times out, one ready poll sees the
    // open port high, and 01's first bit (00 00) gives up at its first read.
    const std::vector<ScriptedPort::Access> tail(port.accesses.begin() + 66, port.accesses.end());
    ASSERT_EQ(tail.size(), 2u + (1u + SEND_WAIT_LIMIT) + 1u + 2u + 1u);
    const auto isWriteOf0 = [](const ScriptedPort::Access& a) { return a.isWrite && a.value == 0; };
    EXPECT_TRUE(isWriteOf0(tail[0]) && isWriteOf0(tail[1]));
    const std::size_t endWrites = 2 + 1 + SEND_WAIT_LIMIT + 1;
    EXPECT_TRUE(std::none_of(tail.begin() + 2, tail.begin() + endWrites,
                             [](const ScriptedPort::Access& a) { return a.isWrite; }));
    EXPECT_TRUE(isWriteOf0(tail[endWrites]) && isWriteOf0(tail[endWrites + 1]));
    EXPECT_FALSE(tail.back().isWrite);
}

}  // namespace
}  // namespace quorvane::link::testing
