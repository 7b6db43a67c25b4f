#include "link/card_link.h"

#include <gtest/gtest.h>

#include <vector>

#include "scripted_port.h"

namespace quorvane::link {
namespace {

using testing::AlwaysHigh;
using testing::AlwaysLow;
using testing::FollowsClock;
using testing::ScriptedPort;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t BIT7_SET = 0x80;

// A sender that answers every clock edge at once: the line drops while the clock is high and
// rises once the clock is low, with `bit7` on status bit 7.
ScriptedPort::Script SendsEveryBitAs(std::uint8_t bit7) {
    return [bit7](std::uint64_t, std::uint8_t data) -> std::uint8_t {
        return static_cast<std::uint8_t>(((data & 0x02) != 0 ? 0x00 : 0x40) | bit7);
    };
}

TEST(SendByte, WritesEveryValueTwiceMostSignificantBitFirst) {
    ScriptedPort port(FollowsClock);
    CardLink link(port);

    EXPECT_EQ(link.sendByte(0xA5), 0);

    const Bytes one{0x00, 0x00, 0x01, 0x01, 0x03, 0x03};
    const Bytes zero{0x00, 0x00, 0x02, 0x02};
    Bytes expected;
    for (const Bytes* bit : {&one, &zero, &one, &zero, &zero, &one, &zero, &one}) {
        expected.insert(expected.end(), bit->begin(), bit->end());
    }
    EXPECT_EQ(port.writtenValues(), expected);
    // Two doubled waits per bit, each satisfied by its first read.
    EXPECT_EQ(port.readCount(), 32u);
    for (const auto& access : port.accesses) {
        EXPECT_EQ(access.address, access.isWrite ? 0x378 : 0x379);
    }
}

TEST(SendByte, ConfirmingWaitStartsWithAFreshRead) {
    // High, low (first wait done), high again (a glitch), then low: the confirming wait must
    // see the glitch and wait for the line once more.
    const std::vector<std::uint8_t> opening{0x40, 0x00, 0x40, 0x00};
    ScriptedPort port([&](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index < opening.size() ? opening[index] : FollowsClock(index, data);
    });
    CardLink link(port);

    EXPECT_EQ(link.sendByte(0x00), 0);
    EXPECT_EQ(port.readCount(), 4u + 2u + 7u * 4u);
}

TEST(SendByte, AbsentAdapterTimesOutInTheFirstWaitHavingWrittenOnlyZero) {
    ScriptedPort port(AlwaysHigh);
    CardLink link(port);

    EXPECT_EQ(link.sendByte(0xA5), 1);
    EXPECT_EQ(port.writtenValues(), (Bytes{0x00, 0x00}));
    EXPECT_EQ(port.readCount(), 1u + SEND_WAIT_LIMIT);  // the free first read, then re-polls
    EXPECT_TRUE(link.linkLost());
}

TEST(SendByte, LevelReachedOnThe600000thRepollStillTimesOut) {
    // Read 0 is the free first read; read n is re-poll n.
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index < 600000 ? 0x40 : FollowsClock(index, data);
    });
    CardLink link(port);

    EXPECT_EQ(link.sendByte(0x00), 1);
    EXPECT_EQ(port.readCount(), 600001u);
}

TEST(SendByte, LevelReachedOnThe599999thRepollSucceeds) {
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index < 599999 ? 0x40 : FollowsClock(index, data);
    });
    CardLink link(port);

    EXPECT_EQ(link.sendByte(0x00), 0);
    EXPECT_FALSE(link.linkLost());
}

TEST(ReceiveByte, ReadsBit7Inverted) {
    {
        ScriptedPort port(SendsEveryBitAs(0x00));
        CardLink link(port);
        EXPECT_EQ(link.receiveByte(), 0xFF);
        Bytes expected;
        for (int bit = 0; bit < 8; ++bit) {
            expected.insert(expected.end(), {0x00, 0x00, 0x03, 0x03});
        }
        EXPECT_EQ(port.writtenValues(), expected);
        EXPECT_EQ(port.readCount(), 8u * 6u);  // two doubled waits and the doubled sample
    }
    {
        ScriptedPort port(SendsEveryBitAs(BIT7_SET));
        CardLink link(port);
        EXPECT_EQ(link.receiveByte(), 0x00);
    }
}

TEST(ReceiveByte, UsesTheSecondOfTheTwoSamples) {
    // Per bit: two reads of the low line, two of the high line, then the two samples; the
    // first sample says 0, the second 1.
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        const std::uint8_t line = (data & 0x02) != 0 ? 0x00 : 0x40;
        return static_cast<std::uint8_t>(line | (index % 6 == 4 ? BIT7_SET : 0x00));
    });
    CardLink link(port);
    EXPECT_EQ(link.receiveByte(), 0xFF);
}

TEST(ReceiveByte, ByteCutShortAtItsBoundReadsAsAllOnes) {
    // The first bit arrives as a 0, then the line never drops again.
    ScriptedPort port([](std::uint64_t index, std::uint8_t data) -> std::uint8_t {
        return index < 6 ? SendsEveryBitAs(BIT7_SET)(index, data) : 0x40;
    });
    CardLink link(port);

    EXPECT_EQ(link.receiveByte(), 0xFF);
    EXPECT_EQ(port.readCount(), 6u + 1u + RECEIVE_WAIT_LIMIT);
    EXPECT_EQ(link.receiveTimeouts(), 1u);
    EXPECT_TRUE(link.linkLost());
}

TEST(LinkLoss, WhileLostEveryWaitGivesUpAtItsFirstReadUntilAReset) {
    bool lineHigh = false;  // the line never follows the clock
    ScriptedPort port(
        [&](std::uint64_t, std::uint8_t) -> std::uint8_t { return lineHigh ? 0x40 : 0x00; });
    CardLink link(port);
    ASSERT_EQ(link.sendByte(0x08), 1);  // the line never rises: one full bound
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

TEST(ResetLink, DrivesIdleThenFailsWhenTheAdapterStaysBusy) {
    ScriptedPort port(AlwaysLow);
    CardLink link(port);

    EXPECT_FALSE(link.resetLink());
    EXPECT_EQ(port.writtenValues(), (Bytes{0x03}));
    EXPECT_EQ(port.readCount(), READY_WAIT_LIMIT);
    EXPECT_TRUE(link.linkLost());
}

TEST(LinkLines, AdapterBusyReadsBit6OnceAndDriveIdleWrites03Once) {
    ScriptedPort port(
        [](std::uint64_t index, std::uint8_t) -> std::uint8_t { return index == 0 ? 0xBF : 0x40; });
    CardLink link(port);

    EXPECT_TRUE(link.adapterBusy());
    EXPECT_FALSE(link.adapterBusy());
    link.driveIdle();
    EXPECT_EQ(port.readCount(), 2u);
    EXPECT_EQ(port.writtenValues(), (Bytes{0x03}));
}

TEST(LinkLines, ChangedPortBaseTakesEffectAtTheNextOperation) {
    ScriptedPort port(FollowsClock);
    CardLink link(port);
    link.portBase = 0x278;
    ASSERT_EQ(link.sendByte(0x01), 0);
    for (const auto& access : port.accesses) {
        EXPECT_EQ(access.address, access.isWrite ? 0x278 : 0x279);
    }

    port.accesses.clear();
    link.portBase = 0x3BC;
    link.driveIdle();
    link.adapterBusy();
    ASSERT_EQ(port.accesses.size(), 2u);
    EXPECT_EQ(port.accesses[0].address, 0x3BC);
    EXPECT_EQ(port.accesses[1].address, 0x3BD);
}

}  // namespace
}  // namespace quorvane::link
