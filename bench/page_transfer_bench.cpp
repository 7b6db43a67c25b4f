// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "app/card_copy.h"
#include "app/organizer.h"
#include "app/screen.h"
#include "card/byte_order.h"
#include "card/file_system.h"
#include "link/card_link.h"

// The organiser's two long operations over the virtual adapter, answering at once: a whole
// page read (256 blocks) and a whole-page commit (215 blocks written and read back), with
// everything the window would be told dropped.
namespace {

using namespace quorvane;

class SilentProgress final : public app::Progress {
public:
    void begin(int) override {}
    void advance(int) override {}
    void end() override {}
};

class SilentScreen final : public app::Screen {
public:
    void showTexts(const app::BoundTexts&) override {}
    void showListing(const app::Listing&) override {}
    app::BoxAnswer ask(const app::MessageBox& box) override {
        return box.buttons == app::BoxButtons::Ok ? app::BoxAnswer::Ok : app::BoxAnswer::Yes;
    }
    app::Progress& progress(app::ProgressKind) override { return m_progress; }

private:
    SilentProgress m_progress;
};

std::vector<card::CardOrderPage> formattedPages() {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::formatPage(*pageImage);
    std::vector<card::CardOrderPage> pages(4);
    for (card::CardOrderPage& page : pages) {
        card::pageToCard(*pageImage, page);
    }
    return pages;
}

// Everything a page operation needs, built once per benchmark.
struct Bench {
    adapter::VirtualAdapter adapter;
    link::CardLink link{adapter};
    SilentScreen screen;
    app::Organizer organizer{screen, link};

    explicit Bench(std::vector<card::CardOrderPage> pages = formattedPages())
        : adapter(std::move(pages)) {
        organizer.start();
    }
};

void reportAccesses(benchmark::State& state, std::uint64_t accesses) {
    state.counters["accesses_per_operation"] =
        static_cast<double>(accesses) / static_cast<double>(state.iterations());
}

void fullPageRead(benchmark::State& state) {
    auto bench = std::make_unique<Bench>();
    int failures = 0;
    const std::uint64_t before = bench->adapter.accessCount();
    for (auto _ : state) {
        failures += bench->organizer.readChosenPage() ? 0 : 1;
    }
    reportAccesses(state, bench->adapter.accessCount() - before);
    state.counters["failed"] = failures;
}
BENCHMARK(fullPageRead)->Unit(benchmark::kMillisecond);

void fullCommit(benchmark::State& state) {
    auto bench = std::make_unique<Bench>();
    if (!bench->organizer.readChosenPage()) {
        state.SkipWithError("the page read failed");
        return;
    }
    int failures = 0;
    const std::uint64_t before = bench->adapter.accessCount();
    for (auto _ : state) {
        state.PauseTiming();
        auto everyBlock = std::make_unique<app::LoadedPage>(*bench->organizer.loadedPage());
        everyBlock->dirty.fill(1);
        bench->organizer.startWith(*everyBlock);
        state.ResumeTiming();
        failures += bench->organizer.commitPage(false) ? 0 : 1;
    }
    reportAccesses(state, bench->adapter.accessCount() - before);
    state.counters["failed"] = failures;
}
BENCHMARK(fullCommit)->Unit(benchmark::kMillisecond);

// A page of `count` one-block files.
std::unique_ptr<card::CardOrderPage> pageOfFiles(int count) {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::formatPage(*pageImage);
    card::DirtyMap dirty{};
    for (int file = 0; file < count; ++file) {
        card::CardFile saved;
        saved.entry.fileType = 0x33;
        const std::string name = "SAVE_" + std::to_string(1000 + file);
        std::copy(name.begin(), name.end(), saved.entry.fileName.begin());
        saved.entry.sizeInBlocks = 1;
        saved.data.assign(card::BLOCK_SIZE, static_cast<std::uint8_t>(file));
        card::storeNewFile(*pageImage, dirty, saved);
    }
    auto cardImage = std::make_unique<card::CardOrderPage>();
    card::pageToCard(*pageImage, *cardImage);
    return cardImage;
}

// Each of the 200 one-block files saved into a folder of its own per run.
void saveAllFiles(benchmark::State& state, app::CopyFormat format) {
    auto bench = std::make_unique<Bench>();
    auto loaded = std::make_unique<app::LoadedPage>();
    card::cardToPage(*pageOfFiles(card::USER_BLOCK_COUNT), loaded->page);
    bench->organizer.startWith(*loaded);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("quorvane-save-all-" + std::to_string(::getpid()));
    std::size_t skipped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.ResumeTiming();
        for (const auto& file : bench->organizer.saveAllFiles(folder, format)) {
            skipped += file.skipped ? 1 : 0;
        }
    }
    std::filesystem::remove_all(folder);
    state.counters["skipped"] = static_cast<double>(skipped);
}
BENCHMARK_CAPTURE(saveAllFiles, ddc, app::CopyFormat::Ddc)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(saveAllFiles, pairs, app::CopyFormat::VmiVmsPair)->Unit(benchmark::kMillisecond);

}  // namespace

// 50 one-block files copied from page 1 to page 2 of the virtual card: the source read once,
// then per run one commit of page 2 (its page chosen again first), emptied again untimed.
void copyFiftyFilesBetweenPages(benchmark::State& state) {
    std::vector<card::CardOrderPage> pages = formattedPages();
    pages[0] = *pageOfFiles(50);
    auto bench = std::make_unique<Bench>(std::move(pages));
    app::Organizer target{bench->screen, bench->link};
    target.start();
    if (!bench->organizer.readPage(1) || !target.readPage(2)) {
        state.SkipWithError("a page read failed");
        return;
    }
    std::vector<app::FileOnPage> files;
    for (int slot : card::enumerateFiles(bench->organizer.loadedPage()->page)) {
        files.push_back(
            {slot, card::entryName(card::readSlot(bench->organizer.loadedPage()->page, slot))});
    }
    int failures = 0;
    const std::uint64_t before = bench->adapter.accessCount();
    for (auto _ : state) {
        failures +=
            app::transferFiles(bench->organizer, files, target, app::Transfer::Copy) ? 0 : 1;
        state.PauseTiming();
        target.deleteAll();
        state.ResumeTiming();
    }
    reportAccesses(state, bench->adapter.accessCount() - before);
    state.counters["failed"] = failures;
}
BENCHMARK(copyFiftyFilesBetweenPages)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
