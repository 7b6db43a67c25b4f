// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"

// A whole page read over the virtual adapter: the cost of the link and of the adapter's side
// of it together, per port access. On a real port an access takes about 1 us, so this is the
// program's own share of a page read.
namespace {

using namespace quorvane;

std::vector<card::CardOrderPage> patternPages() {
    std::vector<card::CardOrderPage> pages(1);
    for (std::size_t i = 0; i < card::PAGE_SIZE; ++i) {
        pages[0].bytes[i] = static_cast<std::uint8_t>(i * 37 + (i >> 8));
    }
    return pages;
}

void pageReadOverVirtualAdapter(benchmark::State& state) {
    adapter::VirtualAdapter adapter(patternPages());
    link::CardLink link(adapter);
    std::array<std::uint8_t, card::BLOCK_SIZE> destination{};
    int failures = 0;
    const std::uint64_t before = adapter.accessCount();
    for (auto _ : state) {
        for (int block = 0; block < card::BLOCK_COUNT; ++block) {
            if (!link::readBlock(link, block, destination)) {
                ++failures;
            }
        }
        benchmark::DoNotOptimize(destination.data());
    }
    const auto accesses = static_cast<double>(adapter.accessCount() - before);
    const auto pages = static_cast<double>(state.iterations());
    state.counters["accesses_per_page"] = accesses / pages;
    state.counters["accesses_per_byte"] = accesses / (pages * card::PAGE_SIZE);
    // Seconds per access (printed with an SI prefix: "3n" is 3 ns), from the CPU time.
    state.counters["time_per_access"] =
        benchmark::Counter(accesses, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["failed_blocks"] = failures;
    state.SetBytesProcessed(static_cast<std::int64_t>(pages * card::PAGE_SIZE));
}
BENCHMARK(pageReadOverVirtualAdapter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
