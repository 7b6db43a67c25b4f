// SPDX-License-Identifier: GPL-3.0-or-later
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

// The organiser on a virtual card kept in a temporary folder as page-01.dcm .. page-04.dcm,
// plus a second folder for the PC files a test reads and writes.
class EditFixture : public AppFixture {
protected:
    TempDir root;
    std::filesystem::path cardDir = root.path() / "card";
    std::filesystem::path pcDir = root.path() / "pc";

    void SetUp() override {
        ASSERT_TRUE(root.made());
        std::filesystem::create_directories(cardDir);
        std::filesystem::create_directories(pcDir);
    }

    static std::string pageFileName(int pageIndex) { return adapter::pageFileName(pageIndex); }

    // Like startAndRead, with the pages stored in cardDir.
    void startOnFolderAndRead(int pageIndex = 0) {
        // The folder is held while open: a second start lets the first one go.
        commands.reset();
        organizer.reset();
        link.reset();
        adapter.reset();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            writeBytes(cardDir / pageFileName(static_cast<int>(i)),
                       Bytes(pages[i].bytes.begin(), pages[i].bytes.end()));
        }
        adapter::FolderError error;
        adapter = adapter::VirtualAdapter::openDirectory(cardDir, error);
        ASSERT_TRUE(adapter) << error.path;
        link = std::make_unique<link::CardLink>(*adapter);
        wireOrganizer();
        organizer->readPage(pageIndex + 1);
        ASSERT_TRUE(organizer->loadedPage());
        screen.events.clear();
    }

    // The page file on disk holds exactly the page in memory.
    void expectCardHoldsMemoryPage(int pageIndex = 0) {
        const Bytes onDisk = readBytes(cardDir / pageFileName(pageIndex));
        auto fromMemory = std::make_unique<card::CardOrderPage>();
        card::pageToCard(loaded().page, *fromMemory);
        EXPECT_TRUE(onDisk == Bytes(fromMemory->bytes.begin(), fromMemory->bytes.end()));
    }

    void select(std::string_view name) {
        selectFile(name);
        screen.events.clear();
    }

    std::vector<std::string> boxes() const { return screen.eventsStartingWith("box: "); }
    bool committed() const { return !screen.eventsStartingWith("progress create").empty(); }
};

}  // namespace quorvane::app::testing
