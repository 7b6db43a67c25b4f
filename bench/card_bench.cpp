// SPDX-License-Identifier: GPL-3.0-or-later
// The page work done for every listing and every check: decoding the saves' icons and checking
// a whole page. Both must stay far below what a user notices (a millisecond).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/page_check.h"
#include "card/save_header.h"

using namespace quorvane;

namespace {

constexpr int ICON_FILE_BLOCKS = 4;

// A 4-block save with a header, 3 icons and the check value over it all, in a page's worth of
// patterned data.
std::vector<std::uint8_t> savedFile(int seed) {
    std::vector<std::uint8_t> data(card::FILE_DATA_CAPACITY);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(seed + i * 13);
    }
    const std::size_t size = ICON_FILE_BLOCKS * card::BLOCK_SIZE;
    card::writeLe16(data, card::ICON_COUNT_OFFSET, 3);
    card::writeLe16(data, card::ANIMATION_SPEED_OFFSET, 8);
    card::writeLe16(data, card::EYECATCH_TYPE_OFFSET, 0);
    card::writeLe16(
        data, card::DATA_SIZE_OFFSET,
        static_cast<std::uint16_t>(size - card::SAVE_HEADER_SIZE - 3 * card::ICON_BYTES));
    card::writeLe16(data, card::DATA_SIZE_OFFSET + 2, 0);
    card::writeLe16(data, card::CRC_OFFSET, 0);
    card::writeLe16(data, card::CRC_OFFSET, card::crc16(std::span(data.data(), size)));
    return data;
}

// Every one of the 208 slots in use: 50 saves of 4 blocks fill the user blocks, and the other
// slots name them again, as a page of 208 files would need its icons decoded 208 times.
std::unique_ptr<card::PageBytes> pageOf208Files() {
    auto page = std::make_unique<card::PageBytes>();
    card::formatPage(*page);
    card::DirtyMap dirty{};
    const std::vector<std::uint8_t> data = savedFile(1);
    std::vector<card::DirEntry> stored;
    for (int file = 0; file < card::USER_BLOCK_COUNT / ICON_FILE_BLOCKS; ++file) {
        card::DirEntry entry;
        entry.fileType = 0x33;
        entry.fileName = {'S',
                          'A',
                          'V',
                          'E',
                          static_cast<std::uint8_t>('A' + file / 26),
                          static_cast<std::uint8_t>('A' + file % 26)};
        entry.sizeInBlocks = ICON_FILE_BLOCKS;
        card::CardFile saved{entry,
                             {data.begin(), data.begin() + ICON_FILE_BLOCKS * card::BLOCK_SIZE}};
        card::storeNewFile(*page, dirty, saved);
        stored.push_back(saved.entry);
    }
    for (int slot = 0; card::findFreeDirSlot(*page) >= 0; ++slot) {
        card::writeSlot(*page, card::findFreeDirSlot(*page),
                        stored[static_cast<std::size_t>(slot) % stored.size()]);
    }
    return page;
}

// The largest save a page holds: one file of all 200 user blocks, its check value over 100 KiB.
std::unique_ptr<card::PageBytes> pageOfOneFullFile() {
    auto page = std::make_unique<card::PageBytes>();
    card::formatPage(*page);
    card::CardFile full{{}, savedFile(7)};
    card::writeLe16(full.data, card::DATA_SIZE_OFFSET, 0);
    const std::uint32_t dataSize =
        card::FILE_DATA_CAPACITY - card::SAVE_HEADER_SIZE - 3 * card::ICON_BYTES;
    card::writeLe16(full.data, card::DATA_SIZE_OFFSET, static_cast<std::uint16_t>(dataSize));
    card::writeLe16(full.data, card::DATA_SIZE_OFFSET + 2,
                    static_cast<std::uint16_t>(dataSize >> 16));
    card::DirtyMap dirty{};
    full.entry.fileType = 0x33;
    full.entry.fileName = {'F', 'U', 'L', 'L'};
    full.entry.sizeInBlocks = card::USER_BLOCK_COUNT;
    card::storeNewFile(*page, dirty, full);
    return page;
}

void iconsOfAPageOf208Files(benchmark::State& state) {
    const auto page = pageOf208Files();
    std::size_t frames = 0;
    for (auto _ : state) {
        for (int slot : card::enumerateFiles(*page)) {
            const auto icon = card::fileIcon(*page, slot);
            frames += icon ? icon->frames.size() : 0;
        }
        benchmark::DoNotOptimize(frames);
    }
    state.counters["frames_per_page"] =
        static_cast<double>(frames) / static_cast<double>(state.iterations());
}
BENCHMARK(iconsOfAPageOf208Files)->Unit(benchmark::kMicrosecond);

void checkAPageOf208Files(benchmark::State& state) {
    const auto page = pageOf208Files();
    for (auto _ : state) {
        benchmark::DoNotOptimize(card::checkPage(*page));
    }
}
BENCHMARK(checkAPageOf208Files)->Unit(benchmark::kMicrosecond);

void checkAPageOfOneFullFile(benchmark::State& state) {
    const auto page = pageOfOneFullFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(card::checkPage(*page));
    }
}
BENCHMARK(checkAPageOfOneFullFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
