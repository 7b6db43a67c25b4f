// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/card_link.h"

#include <gtest/gtest.h>

#include "scripted_port.h"

namespace quorvane::link::testing {
namespace {

// A sender that answers every clock edge at once: the line drops while the clock is high and
// rises once the clock is low, with `bit7` on status bit 7.
ScriptedPort::Script sendsEveryBitAs(std::uint8_t bit7) {
    return [bit7](std::uint64_t, std::uint8_t data) -> std::uint8_t {
        return static_cast<std::uint8_t>(((data & 0x02) != 0 ? 0x00 : 0x40) | bit7);
    };
}

TEST(SendByte, WritesEveryValueTwiceMostSignificantBitFirst) {
    ScriptedPort port(followsClock);
    CardLink link(port);
    EXPECT_EQ(link.sendByte(0xA5), 0);

    const Bytes one{0x00, 0x00, 0x01, 0x01, 0x03, 0x03};
    const Bytes zero{0x00, 0x00, 0x02, 0x02};
    Bytes expected;
    for (const Bytes* bit : {&one, &zero, &one, &zero, &zero, &one, &zero, &one}) {
        expected.insert(expected.end(), bit->begin(), bit->end());
    }
    EXPECT_EQ(port.writtenValues(), expected);
    EXPECT_EQ(port.readCount(), 32u);  // two doubled waits per bit, each met at once
    for (const auto& access : port.accesses) {
        EXPECT_EQ(access.address, access.isWrite ? 0x378 : 0x379);
    }
}

TEST(SendByte, ConfirmingWaitStartsWithAFreshRead) {
    // High, low (first wait done), high again (a glitch), then low: the confirming wait must
    // see the glitch and wait for the line once more.
    const Bytes opening{0x40, 0x00, 0x40, 0x00};
    ScriptedPort port([&](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index < opening.size() ? opening[index] : followsClock(index, data);
    });
    CardLink link(port);
    EXPECT_EQ(link.sendByte(0x00), 0);
    EXPECT_EQ(port.readCount(), 4u + 2u + 7u * 4u);
}

TEST(SendByte, TimesOutAfter600000RepollsEvenWhenTheLastOneMeetsTheLevel) {
    // Read 0 is the free first read; read n is re-poll n. The line drops at `dropsAt`.
    struct Case {
        std::uint64_t dropsAt;
        int result;
    };
    for (const Case c : {Case{599999, 0}, Case{600000, 1}, Case{~std::uint64_t{0}, 1}}) {
        ScriptedPort port([&](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
            return index < c.dropsAt ? 0x40 : followsClock(index, data);
        });
        CardLink link(port);
        EXPECT_EQ(link.sendByte(0x00), c.result) << c.dropsAt;
        EXPECT_EQ(link.linkLost(), c.result == 1) << c.dropsAt;
        if (c.result == 1) {
            EXPECT_EQ(port.readCount(), 1u + SEND_WAIT_LIMIT) << c.dropsAt;
            EXPECT_EQ(port.writtenValues(), (Bytes{0x00, 0x00})) << c.dropsAt;
        }
    }
}

TEST(ReceiveByte, ReadsBit7InvertedFromTheSecondOfTwoSamples) {
    for (const auto& [bit7, expected] : {std::pair{0x00, 0xFF}, {0x80, 0x00}}) {
        ScriptedPort port(sendsEveryBitAs(static_cast<std::uint8_t>(bit7)));
        CardLink link(port);
        EXPECT_EQ(link.receiveByte(), expected);
        Bytes clocks;
        for (int bit = 0; bit < 8; ++bit) {
            clocks.insert(clocks.end(), {0x00, 0x00, 0x03, 0x03});
        }
        EXPECT_EQ(port.writtenValues(), clocks);
        EXPECT_EQ(port.readCount(), 8u * 6u);  // two doubled waits and the doubled sample
    }
    // Per bit: two reads of the low line, two of the high line, then the two samples; the
    // first sample says 0, the second 1.
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        const std::uint8_t line = (data & 0x02) != 0 ? 0x00 : 0x40;
        return static_cast<std::uint8_t>(line | (index % 6 == 4 ? 0x80 : 0x00));
    });
    CardLink link(port);
    EXPECT_EQ(link.receiveByte(), 0xFF);
}

TEST(ReceiveByte, ByteCutShortAtItsBoundReadsAsAllOnes) {
    // The first bit arrives as a 0, then the line never drops again.
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index < 6 ? sendsEveryBitAs(0x80)(index, data) : 0x40;
    });
    CardLink link(port);
    EXPECT_EQ(link.receiveByte(), 0xFF);
    EXPECT_EQ(port.readCount(), 6u + 1u + RECEIVE_WAIT_LIMIT);
    EXPECT_TRUE(link.linkLost());
}

TEST(LinkLoss, FailedResetLosesTheLinkAndWhileLostEveryWaitGivesUpAtItsFirstRead) {
    bool lineHigh = false;  // busy: the line never follows the clock
    ScriptedPort port(
        [&](std::uint64_t, std::uint8_t) -> std::uint8_t { return lineHigh ? 0x40 : 0; });
    CardLink link(port);
    EXPECT_FALSE(link.resetLink());
    EXPECT_EQ(port.writtenValues(), (Bytes{0x03}));
    EXPECT_EQ(port.readCount(), READY_WAIT_LIMIT);
    ASSERT_TRUE(link.linkLost());

    auto readsOf = [&](auto operation) {
        const std::uint64_t before = port.readCount();
        operation();
        return port.readCount() - before;
    };
    // The low line confirms at once; the wait for it to rise gives up at its first read.
    EXPECT_EQ(readsOf([&] { EXPECT_EQ(link.sendByte(0x80), 1); }), 3u);
    EXPECT_EQ(readsOf([&] { EXPECT_FALSE(link.waitUntilReady()); }), 1u);
    lineHigh = true;
    EXPECT_EQ(readsOf([&] { EXPECT_EQ(link.receiveByte(), 0xFF); }), 1u);

    EXPECT_TRUE(link.resetLink());
    EXPECT_FALSE(link.linkLost());
    EXPECT_EQ(readsOf([&] { EXPECT_EQ(link.sendByte(0x08), 1); }), 1u + SEND_WAIT_LIMIT);
}

TEST(LinkLines, OneAccessEachAtTheAddressesOfTheCurrentPortBase) {
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index == 0 ? 0xBF : followsClock(index, data);
    });
    CardLink link(port);
    link.portBase = 0x278;
    EXPECT_TRUE(link.adapterBusy());  // bit 6 clear, whatever the other bits
    link.driveIdle();
    EXPECT_FALSE(link.adapterBusy());
    ASSERT_EQ(port.accesses.size(), 3u);
    EXPECT_EQ(port.accesses[0].address, 0x279);
    EXPECT_EQ(port.accesses[1].address, 0x278);
    EXPECT_EQ(port.accesses[1].value, 0x03);
    EXPECT_EQ(port.accesses[2].address, 0x279);

    port.accesses.clear();
    link.portBase = 0x3BC;  // taken afresh by the next operation
    ASSERT_EQ(link.sendByte(0x01), 0);
    for (const auto& access : port.accesses) {
        EXPECT_EQ(access.address, access.isWrite ? 0x3BC : 0x3BD);
    }
}

}  // namespace
}  // namespace quorvane::link::testing
