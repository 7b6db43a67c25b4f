#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app_fixture.h"

namespace quorvane::app::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

// The 32 bytes of a directory entry, laid out field by field: type 0x33, copy flag 0, first
// block 0, name, time stamp 20 26 12 06 .., size, header offset 0, tail 0.
inline Bytes entryBytes(std::string_view name, std::uint16_t blocks, std::uint8_t type = 0x33) {
    Bytes entry(32, 0);
    entry[0] = type;
    for (std::size_t i = 0; i < name.size() && i < 12; ++i) {
        entry[4 + i] = static_cast<std::uint8_t>(name[i]);
    }
    const Bytes stamp{20, 26, 12, 6, 13, 45, 30, 6};
    std::copy(stamp.begin(), stamp.end(), entry.begin() + 16);
    entry[24] = static_cast<std::uint8_t>(blocks & 0xFF);
    entry[25] = static_cast<std::uint8_t>(blocks >> 8);
    return entry;
}

// A .ddc file: "CFU", 0, the entry, then `blocks` blocks, block k filled with fill + k.
inline Bytes ddcBytes(std::string_view name, std::uint16_t blocks, std::uint8_t fill = 0x40) {
    Bytes file{'C', 'F', 'U', 0};
    const Bytes entry = entryBytes(name, blocks);
    file.insert(file.end(), entry.begin(), entry.end());
    for (std::uint16_t k = 0; k < blocks; ++k) {
        file.insert(file.end(), card::BLOCK_SIZE, static_cast<std::uint8_t>(fill + k));
    }
    return file;
}

// The organiser on a virtual card kept in a temporary folder as page-01.dcm .. page-04.dcm,
// plus a second folder for the PC files a test reads and writes.
class EditFixture : public AppFixture {
protected:
    std::filesystem::path root;
    std::filesystem::path cardDir;
    std::filesystem::path pcDir;

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvane-edit-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        cardDir = root / "card";
        pcDir = root / "pc";
        std::filesystem::create_directories(cardDir);
        std::filesystem::create_directories(pcDir);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    static std::string pageFileName(int pageIndex) {
        const int number = pageIndex + 1;
        return "page-" + std::string(number < 10 ? "0" : "") + std::to_string(number) + ".dcm";
    }

    // Like startAndRead, with the pages stored in cardDir.
    void startOnFolderAndRead(int pageIndex = 0) {
        for (std::size_t i = 0; i < pages.size(); ++i) {
            writeBytes(cardDir / pageFileName(static_cast<int>(i)),
                       Bytes(pages[i].begin(), pages[i].end()));
        }
        adapter::FolderError error;
        adapter = adapter::VirtualAdapter::openDirectory(cardDir, error);
        ASSERT_TRUE(adapter) << error.path;
        link = std::make_unique<link::CardLink>(*adapter);
        organizer = std::make_unique<Organizer>(screen, *link, fixedTime);
        organizer->openWindow();
        organizer->stepPage(pageIndex);
        organizer->selectAndRefresh();
        ASSERT_TRUE(organizer->pageLoaded());
        screen.events.clear();
    }

    // The page file on disk holds exactly the page in memory.
    void expectCardHoldsMemoryPage(int pageIndex = 0) {
        const Bytes onDisk = readBytes(cardDir / pageFileName(pageIndex));
        auto fromMemory = std::make_unique<card::PageBytes>();
        card::pageToCard(organizer->pageImage(), *fromMemory);
        EXPECT_TRUE(onDisk == Bytes(fromMemory->begin(), fromMemory->end()));
        EXPECT_TRUE(*fromMemory == organizer->cardImage());
    }

    void select(std::string_view name) {
        organizer->selectFile(name);
        screen.events.clear();
    }

    std::vector<std::string> boxes() const { return screen.eventsStartingWith("box: "); }
    bool committed() const { return !screen.eventsStartingWith("progress create").empty(); }
};

}  // namespace quorvane::app::testing
