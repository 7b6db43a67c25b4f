// SPDX-License-Identifier: GPL-3.0-or-later
// A virtual card whose page file cannot be saved (a full disk, a read-only folder) fails the
// commit as a card whose write failed: no success is reported, the edit stays pending, the
// file keeps the page it had, and the next commit that can save writes the edit.
#include <memory>

#include "edit_fixture.h"
#include "support/small_file_system.h"

namespace quorvane::app::testing {
namespace {

class VirtualCardSave : public EditFixture {
protected:
    Bytes fileBefore;

    // Reads page 1, then adds RACE (2 blocks) while `failSaves` keeps the page file from being
    // written.
    template <typename FailSaves>
    void addWhileSavesFail(FailSaves failSaves) {
        writeBytes(pcDir / "race.ddc", ddcBytes("RACE", 2));
        screen.openAnswers = {pcDir / "race.ddc"};
        fileBefore = readBytes(cardDir / pageFileName(0));
        failSaves([this] { commands->addFile(); });
    }

    // An add ends with "Action cancelled..." after the commit's own "Timeout error.......".
    void expectCommitFailedKeepingTheEdit(std::string_view finalStatus = "Action cancelled...") {
        EXPECT_FALSE(shown("status: Memory card written successfully...."));
        EXPECT_TRUE(shown("status: Timeout error......."));
        EXPECT_EQ(screen.texts.status, finalStatus);
        EXPECT_NE(loaded().dirty, card::DirtyMap{});
        EXPECT_TRUE(readBytes(cardDir / pageFileName(0)) == fileBefore);
        EXPECT_TRUE(adapter->page(0) == pages[0]) << "the card holds what its file holds";
    }

    void expectNextCommitWritesTheEdit() {
        screen.events.clear();
        EXPECT_TRUE(organizer->commitPage(false));
        EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
        expectCardHoldsMemoryPage();
    }

    bool shown(const std::string& event) const {
        return std::find(screen.events.begin(), screen.events.end(), event) != screen.events.end();
    }
};

TEST_F(VirtualCardSave, FileSizeLimitFailsTheCommitAndTheNextCommitWritesTheEdit) {
    startOnFolderAndRead();
    addWhileSavesFail([](const auto& add) {
        const FileSizeLimit full(4096);
        ASSERT_TRUE(full.set());
        add();
    });
    expectCommitFailedKeepingTheEdit();
    expectNextCommitWritesTheEdit();
}

TEST_F(VirtualCardSave, FullOrReadOnlyFileSystemFailsTheCommit) {
    // The card folder is a small file system of its own: four pages and little room.
    SmallFileSystem cardFileSystem(cardDir, 768 * 1024);
    if (!cardFileSystem.mounted()) {
        GTEST_SKIP() << cardFileSystem.whyNot;
    }
    startOnFolderAndRead();
    addWhileSavesFail([&](const auto& add) {
        cardFileSystem.fillLeaving(64 * 1024);
        add();
    });
    expectCommitFailedKeepingTheEdit();
    std::filesystem::remove(cardDir / "filler");

    ASSERT_TRUE(cardFileSystem.remountReadOnly());
    screen.events.clear();
    EXPECT_FALSE(organizer->commitPage(false));
    expectCommitFailedKeepingTheEdit("Timeout error.......");

    ASSERT_TRUE(cardFileSystem.remountWritable());
    expectNextCommitWritesTheEdit();
}

}  // namespace
}  // namespace quorvane::app::testing
