// SPDX-License-Identifier: GPL-3.0-or-later
// Every page read is kept as a backup without the user asking; identical reads keep one, and
// each page keeps its newest 50 distinct backups.
#include "app/backups.h"

#include <algorithm>

#include "app_fixture.h"
#include "support/temp_folder.h"

namespace quorvane::app::testing {
namespace {

using Backups = quorvane::testing::TempFolder;

formats::LocalTime at(int minute, int second) {
    return formats::LocalTime{2026, 12, 7, 16, minute, second, 0};
}

TEST_F(Backups, NamesSortAsTheyWereTakenAndTheFolderFollowsXdg) {
    EXPECT_EQ(backupFileName(at(5, 12), 3), "2026-12-07T16-05-12_page-03.dcm");
    EXPECT_EQ(backupFileName(at(5, 12), 16, 2), "2026-12-07T16-05-12_page-16_02.dcm");
    EXPECT_EQ(defaultBackupFolder("/data", "/home/me"), "/data/quorvane/backups");
    EXPECT_EQ(defaultBackupFolder(nullptr, "/home/me"), "/home/me/.local/share/quorvane/backups");
    EXPECT_EQ(defaultBackupFolder("relative", "/home/me"),
              "/home/me/.local/share/quorvane/backups");
    EXPECT_FALSE(defaultBackupFolder(nullptr, nullptr).has_value());
}

TEST_F(Backups, IdenticalPageKeepsOneAndThe51stDistinctRemovesTheOldest) {
    card::CardOrderPage page{};
    std::vector<std::string> kept;
    for (int i = 0; i < 51; ++i) {
        page.bytes[0] = static_cast<std::uint8_t>(i);
        const BackupResult result = keepBackup(folder, 3, page, at(i, 0));
        ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << i;
        kept.push_back(result.path.filename().string());
        // The same page again, a second later, is not kept twice.
        EXPECT_EQ(keepBackup(folder, 3, page, at(i, 1)).outcome,
                  BackupResult::Outcome::SameAsNewest);
    }
    // Another page's backups and other files are none of its business.
    EXPECT_EQ(keepBackup(folder, 4, page, at(0, 0)).outcome, BackupResult::Outcome::Written);
    write("notes.txt", {1});

    const std::vector<std::string> inFolder = names();
    EXPECT_EQ(inFolder.size(), 52u);
    EXPECT_EQ(std::count(inFolder.begin(), inFolder.end(), kept.front()), 0) << "the oldest goes";
    EXPECT_EQ(std::count(inFolder.begin(), inFolder.end(), kept[1]), 1);
    EXPECT_EQ(read(folder / kept.back())[0], 50);

    // Two different pages read within one second both stay.
    page.bytes[0] = 0xEE;
    const BackupResult sameSecond = keepBackup(folder, 3, page, at(50, 0));
    EXPECT_EQ(sameSecond.path.filename(), "2026-12-07T16-50-00_page-03_02.dcm");
    page.bytes[0] = 50;
    EXPECT_EQ(keepBackup(folder, 3, page, at(50, 0)).outcome, BackupResult::Outcome::Written)
        << "the newest is the second of that second";
}

class BackupOnRead : public AppFixture {
protected:
    quorvane::testing::TempDir temp;
};

TEST_F(BackupOnRead, EveryReadLeavesOneAndAFailedBackupIsToldWithoutSpoilingTheRead) {
    addFileToCardPage(pages[2], "RACEDATA_001", 3);
    start();
    organizer->setBackupFolder(temp.path() / "backups");
    stepPage(2);
    organizer->readChosenPage();
    organizer->readChosenPage();
    std::vector<std::filesystem::path> backups;
    for (const auto& file : std::filesystem::directory_iterator(temp.path() / "backups")) {
        backups.push_back(file.path());
    }
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].filename(), "2026-12-06T13-45-30_page-03.dcm");
    EXPECT_TRUE(readBytes(backups[0]) == Bytes(pages[2].bytes.begin(), pages[2].bytes.end()));
    EXPECT_TRUE(screen.eventsStartingWith("box: ").empty());

    // A file where the folder should be: the read stands, a box says why there is no backup.
    writeBytes(temp.path() / "blocked", {1});
    organizer->setBackupFolder(temp.path() / "blocked" / "backups");
    screen.events.clear();
    organizer->readChosenPage();
    EXPECT_TRUE(organizer->loadedPage().has_value());
    EXPECT_EQ(screen.texts.status, "Memory card read successful.");
    const auto boxes = screen.eventsStartingWith("box: ");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].starts_with("box: No backup of page 3 was taken:\n" +
                                     (temp.path() / "blocked" / "backups").string()))
        << boxes[0];
    EXPECT_TRUE(boxes[0].ends_with(" | Backup | Ok | Warning")) << boxes[0];

    // The first edit that removes a file asks once; No changes nothing, Yes goes on for good.
    const std::string question =
        "box: No backup of this page could be taken (Not a directory). Go on without one? | "
        "Delete file | YesNo | Warning";
    const auto page = loaded().page;
    selectFile("RACEDATA_001");
    screen.events.clear();
    screen.boxAnswers = {BoxAnswer::No};
    EXPECT_FALSE(commands->deleteFile());
    EXPECT_EQ(screen.eventsStartingWith("box: "), std::vector<std::string>{question});
    EXPECT_TRUE(loaded().page == page);
    screen.events.clear();
    screen.boxAnswers = {BoxAnswer::Yes, BoxAnswer::No};
    EXPECT_FALSE(commands->deleteFile());  // the delete's own question answered No
    EXPECT_EQ(screen.eventsStartingWith("box: ").front(), question);
    screen.events.clear();
    EXPECT_TRUE(organizer->deleteAll());
    EXPECT_NE(screen.eventsStartingWith("box: ").front(), question);
}

TEST_F(BackupOnRead, RestoreOpensTheImportDialogInTheBackupsFolder) {
    startAndRead();
    organizer->setBackupFolder(temp.path() / "kept");
    commands->restoreFromBackup();
    EXPECT_EQ(screen.events.back(),
              "open dialog [DCM Memory Card File (*.dcm) *.dcm] [Card image (*.bin *.vmu) "
              "*.bin;*.vmu] in " +
                  (temp.path() / "kept").string());
    EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "kept"));
}

}  // namespace
}  // namespace quorvane::app::testing
