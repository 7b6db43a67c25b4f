#include <algorithm>

#include "edit_fixture.h"

// The backup of every page of the card into a folder.
namespace quorvane::app::testing {
namespace {

class Backup : public EditFixture {
protected:
    std::filesystem::path backupDir = root.path() / "backup";

    void SetUp() override {
        EditFixture::SetUp();
        addFileToCardPage(pages[0], "RACE", 3, 0x20);
        addFileToCardPage(pages[1], "SCORES", 2, 0x30);
        addFileToCardPage(pages[3], "LAST", 1, 0x40);
    }

    std::vector<std::string> backupFiles() const {
        return quorvane::testing::fileNamesIn(backupDir);
    }

    void expectBackupHoldsEveryPage() {
        ASSERT_EQ(backupFiles(), (std::vector<std::string>{"page-01.dcm", "page-02.dcm",
                                                           "page-03.dcm", "page-04.dcm"}));
        for (int page = 0; page < 4; ++page) {
            const auto& expected = pages[static_cast<std::size_t>(page)];
            EXPECT_TRUE(readBytes(backupDir / pageFileName(page)) ==
                        Bytes(expected.begin(), expected.end()))
                << "page " << page + 1;
        }
    }
};

TEST_F(Backup, EveryPageIsWrittenInTheVirtualCardLayoutAndOpensAsOne) {
    start();
    screen.events.clear();
    EXPECT_TRUE(organizer->backupCard(backupDir));
    EXPECT_EQ(screen.texts.status, "Memory card backed up: 4 pages.");
    EXPECT_TRUE(boxes().empty());
    expectBackupHoldsEveryPage();
    EXPECT_EQ(organizer->currentPageIndex(), 3);

    adapter::FolderError error;
    const auto reopened = adapter::VirtualAdapter::openDirectory(backupDir, error);
    ASSERT_TRUE(reopened);
    ASSERT_EQ(reopened->pageCount(), 4);
    for (int page = 0; page < 4; ++page) {
        EXPECT_TRUE(reopened->page(page) == pages[static_cast<std::size_t>(page)]);
    }
}

TEST_F(Backup, PageFilesAlreadyThereAreReplacedOnlyAfterAYes) {
    std::filesystem::create_directories(backupDir);
    const Bytes old(card::PAGE_SIZE, 0xA5);
    for (int page = 0; page < 6; ++page) {
        writeBytes(backupDir / pageFileName(page), old);
    }
    writeBytes(backupDir / "notes.txt", Bytes{'h', 'i'});
    start();
    screen.events.clear();
    screen.boxAnswers = {BoxAnswer::No};
    EXPECT_FALSE(organizer->backupCard(backupDir));
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: " + backupDir.string() +
                           " already holds page files.\n\nReplace them with the pages of this "
                           "Memory card? | Back up the Memory card | YesNo | Warning"}));
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_EQ(backupFiles().size(), 7U);
    EXPECT_TRUE(readBytes(backupDir / pageFileName(5)) == old);

    // Pages 5 and 6 of the older backup would open as pages of this one: they go.
    EXPECT_TRUE(organizer->backupCard(backupDir));
    ASSERT_TRUE(std::filesystem::remove(backupDir / "notes.txt"));
    expectBackupHoldsEveryPage();
}

TEST_F(Backup, AFolderThatCannotBeMadeOrAReadThatFailsEndsIt) {
    writeBytes(backupDir, Bytes{1});  // a file where the folder should be
    start();
    screen.events.clear();
    EXPECT_FALSE(organizer->backupCard(backupDir));
    EXPECT_EQ(screen.texts.status, "Backup not written...");
    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0].rfind("box: The folder could not be made:\n" + backupDir.string(), 0), 0U)
        << boxes()[0];

    std::filesystem::remove(backupDir);
    adapter->faults().unplugAfterAccesses = adapter->accessCount() + 20'000'000;  // mid-backup
    EXPECT_FALSE(organizer->backupCard(backupDir));
    EXPECT_EQ(screen.texts.status, "Timeout error.......");
}

}  // namespace
}  // namespace quorvane::app::testing
