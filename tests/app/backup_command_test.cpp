// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <tuple>

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
                        Bytes(expected.bytes.begin(), expected.bytes.end()))
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
    EXPECT_EQ((organizer->chosenPage() - 1), 3);

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
    for (int page = 1; page < 5; ++page) {
        writeBytes(backupDir / pageFileName(page), old);
    }
    // Pages 1 and 6 are links to files kept elsewhere: each is named with where it leads.
    const std::filesystem::path elsewhere = root.path() / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    writeBytes(elsewhere / "one.dcm", old);
    writeBytes(elsewhere / "six.dcm", old);
    std::filesystem::create_symlink("../elsewhere/one.dcm", backupDir / pageFileName(0));
    std::filesystem::create_symlink(elsewhere / "six.dcm", backupDir / pageFileName(5));
    writeBytes(backupDir / "notes.txt", Bytes{'h', 'i'});
    const std::string before = folderSnapshot(root.path());
    start();
    screen.events.clear();
    screen.boxAnswers = {BoxAnswer::No};
    EXPECT_FALSE(organizer->backupCard(backupDir));
    EXPECT_EQ(boxes(),
              (std::vector<std::string>{
                  "box: " + backupDir.string() +
                  " already holds page files.\npage-01.dcm: a link "
                  "to " +
                  backupDir.string() +
                  "/../elsewhere/one.dcm, which is replaced; the link "
                  "stays.\npage-02.dcm: replaced.\npage-03.dcm: replaced.\npage-04.dcm: "
                  "replaced.\npage-05.dcm: removed.\npage-06.dcm: a link to " +
                  elsewhere.string() +
                  "/six.dcm; the link is removed, not six.dcm.\n\nReplace "
                  "them with the pages of this Memory card? | Back up the Memory card | YesNo | "
                  "Warning"}));
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_EQ(folderSnapshot(root.path()), before);

    // Pages 5 and 6 of the older backup would open as pages of this one: they go, the file a
    // link led to stays.
    EXPECT_TRUE(organizer->backupCard(backupDir));
    ASSERT_TRUE(std::filesystem::remove(backupDir / "notes.txt"));
    expectBackupHoldsEveryPage();
    EXPECT_TRUE(readBytes(elsewhere / "one.dcm") ==
                Bytes(pages[0].bytes.begin(), pages[0].bytes.end()));
    EXPECT_TRUE(std::filesystem::is_symlink(backupDir / pageFileName(0)));
    EXPECT_TRUE(readBytes(elsewhere / "six.dcm") == old);
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

    // Every page is read before the first is written: a read that fails writes nothing.
    std::filesystem::remove(backupDir);
    const auto accessesBefore = adapter->accessCount();
    adapter->faults().unplugAfterAccesses = accessesBefore + 20'000'000;  // mid-backup
    EXPECT_FALSE(organizer->backupCard(backupDir));
    EXPECT_EQ(screen.texts.status, "Timeout error.......");
    EXPECT_FALSE(std::filesystem::exists(backupDir));
}

TEST_F(Backup, AWriteThatFailsPartWaySaysWhichPagesWereWritten) {
    // A link whose end lies in a missing folder: page 3 cannot be made.
    std::filesystem::create_directories(backupDir);
    std::filesystem::create_symlink("gone/page.dcm", backupDir / pageFileName(2));
    start();
    screen.events.clear();
    EXPECT_FALSE(organizer->backupCard(backupDir));
    EXPECT_EQ(screen.texts.status, "Backup not written...");
    EXPECT_EQ(boxes().back(), "box: The file could not be written:\n" +
                                  (backupDir / pageFileName(2)).string() +
                                  "\nNo such file or directory\n\nPages 1 to 2 of 4 were written; "
                                  "the rest were not. | Back up the Memory card | Ok | Error");
    EXPECT_EQ(backupFiles(),
              (std::vector<std::string>{"page-01.dcm", "page-02.dcm", "page-03.dcm"}));
    EXPECT_TRUE(readBytes(backupDir / pageFileName(1)) ==
                Bytes(pages[1].bytes.begin(), pages[1].bytes.end()));
}

TEST_F(Backup, AFolderOrFifoUnderAPageFileNameIsNeitherReplacedNorRemoved) {
    const std::filesystem::path elsewhere = root.path() / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    using Make = std::function<void(const std::filesystem::path&)>;
    // The page file's index, what takes its name, the reason given.
    const std::tuple<int, Make, std::string> cases[] = {
        {8, [](const auto& file) { std::filesystem::create_directories(file); },
         "It is a folder, not a file."},
        {1, [](const auto& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
         "It is a FIFO, not a file."},
        {2, [&](const auto& file) { std::filesystem::create_symlink(elsewhere, file); },
         "It is a link to a folder, not a file: " + elsewhere.string()},
    };
    start();
    for (const auto& [page, make, why] : cases) {
        std::filesystem::remove_all(backupDir);
        std::filesystem::create_directories(backupDir);
        make(backupDir / pageFileName(page));
        const std::string before = folderSnapshot(root.path());
        screen.events.clear();
        EXPECT_FALSE(organizer->backupCard(backupDir));
        EXPECT_EQ(screen.texts.status, "Backup not written...");
        EXPECT_EQ(boxes(), std::vector<std::string>{
                               "box: A backup neither replaces nor removes " +
                               (backupDir / pageFileName(page)).string() + "\n" + why +
                               "\n\nNothing was written. | Back up the Memory card | Ok | Error"});
        EXPECT_EQ(folderSnapshot(root.path()), before);
    }
}

}  // namespace
}  // namespace quorvane::app::testing
