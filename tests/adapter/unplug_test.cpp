// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"

// The adapter pulled out at one port access after another, across whole card operations:
// every command must come back with its failure result, never hang, never report a success
// that did not happen.
namespace quorvane::adapter {
namespace {

using Block = std::array<std::uint8_t, 512>;

#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t PAGE_READ_POINTS = 10;
constexpr std::uint64_t BLOCK_WRITE_POINTS = 40;
#else
constexpr std::uint64_t PAGE_READ_POINTS = 120;
constexpr std::uint64_t BLOCK_WRITE_POINTS = 240;
#endif

std::vector<card::CardOrderPage> patternPages() {
    std::vector<card::CardOrderPage> pages(2);
    for (std::size_t i = 0; i < card::PAGE_SIZE; ++i) {
        pages[1].bytes[i] = static_cast<std::uint8_t>((i * 131) ^ (i >> 9));
    }
    return pages;
}

Block blockOf(const card::CardOrderPage& page, int block) {
    Block bytes;
    std::copy_n(page.bytes.begin() + block * 512, 512, bytes.begin());
    return bytes;
}

// One run of an operation against an adapter that leaves at `unplugAt`.
struct Run {
    VirtualAdapter adapter{patternPages()};
    link::CardLink link{adapter};
    std::uint64_t unplugAt;

    explicit Run(std::uint64_t at) : unplugAt(at) { adapter.faults().unplugAfterAccesses = at; }
    bool goneBeforeCommand() const { return adapter.accessCount() >= unplugAt; }

    // Whatever happened, the link comes back and the adapter reads as absent.
    void expectAbsentAfterwards() {
        link.resetLink();
        link::AdapterStatus status;
        link::queryStatus(link, status);
        EXPECT_EQ(status.state, 0xFF);
    }
};

// The traffic of a page read: status twice, page change, then 256 blocks with the indicator.
// A command begun after the unplug must fail; a read that succeeds must hold the page's bytes.
void readPage(Run& run) {
    link::AdapterStatus status;
    for (int i = 0; i < 2; ++i) {
        const bool gone = run.goneBeforeCommand();
        link::queryStatus(run.link, status);
        EXPECT_TRUE(!gone || status.state == 0xFF);
    }
    const bool gone = run.goneBeforeCommand();
    EXPECT_TRUE(link::selectPage(run.link, 1) == 1 || !gone);
    run.link.waitUntilReady();
    link::setIndicator(run.link, 0);
    Block destination;
    for (int block = 0; block < card::BLOCK_COUNT; ++block) {
        const bool goneBefore = run.goneBeforeCommand();
        const bool read = link::readBlock(run.link, block, destination);
        EXPECT_FALSE(goneBefore && read) << "block " << block;
        EXPECT_TRUE(!read || destination == blockOf(run.adapter.page(1), block))
            << "block " << block;
        link::setIndicator(run.link, block / 32 + 1);
    }
    link::setIndicator(run.link, 0);
    link::endTransaction(run.link);
}

// The traffic of committing one block: reset, page check, write, read back. A write reported
// done must be on the page.
void writeOneBlock(Run& run) {
    Block data;
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(0xC3 ^ (i * 29));
    }
    run.link.resetLink();
    link::querySelectedPage(run.link);
    link::setIndicator(run.link, 0);
    run.link.waitUntilReady();
    const bool gone = run.goneBeforeCommand();
    const int written = link::writeBlock(run.link, 17, data);
    EXPECT_TRUE(!gone || written == 0);
    EXPECT_TRUE(written != 512 || blockOf(run.adapter.page(0), 17) == data);
    Block verify{};
    const bool goneBeforeRead = run.goneBeforeCommand();
    const bool read = link::readBlock(run.link, 17, verify);
    EXPECT_FALSE(goneBeforeRead && read);
    EXPECT_TRUE(!read || verify == blockOf(run.adapter.page(0), 17));
    link::setIndicator(run.link, 1);
    link::setIndicator(run.link, 0);
    link::endTransaction(run.link);
}

void unplugAtEveryKthAccess(const std::function<void(Run&)>& operation, std::uint64_t points) {
    Run clean(~std::uint64_t{0});
    operation(clean);
    const std::uint64_t total = clean.adapter.accessCount();
    // An odd stride, so the points fall at every phase of the handshake.
    const std::uint64_t stride = (total / points) | 1;
    for (std::uint64_t at = stride / 2; at < total; at += stride) {
        SCOPED_TRACE(::testing::Message() << "unplugged at access " << at);
        Run run(at);
        operation(run);
        run.expectAbsentAfterwards();
        if (::testing::Test::HasFailure()) {
            return;
        }
    }
}

TEST(Unplugged, PageReadReturnsFailureFromEveryCommandAfterTheUnplug) {
    unplugAtEveryKthAccess(readPage, PAGE_READ_POINTS);
}

TEST(Unplugged, BlockWriteIsNeverReportedDoneUnlessTheAdapterHoldsIt) {
    unplugAtEveryKthAccess(writeOneBlock, BLOCK_WRITE_POINTS);
}

}  // namespace
}  // namespace quorvane::adapter
