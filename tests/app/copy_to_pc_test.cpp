// SPDX-License-Identifier: GPL-3.0-or-later
#include "edit_fixture.h"

namespace quorvane::app::testing {
namespace {

const std::string COPY_QUESTION = "box: Copy file to PC? | Copy file to PC | YesNo | Question";

class CopyToPc : public EditFixture {
protected:
    // Renames the file in `slot` of the first page to the given name bytes.
    void renameOnPage(int slot, std::string_view name) {
        auto pageImage = std::make_unique<card::PageBytes>();
        card::cardToPage(pages[0], *pageImage);
        card::DirEntry entry = card::readSlot(*pageImage, slot);
        entry.fileName.fill(0);
        std::copy(name.begin(), name.end(), entry.fileName.begin());
        card::writeSlot(*pageImage, slot, entry);
        card::pageToCard(*pageImage, pages[0]);
    }
    std::vector<std::filesystem::path> filesUnder(const std::filesystem::path& dir) {
        std::vector<std::filesystem::path> found;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
            found.push_back(e.path());
        }
        return found;
    }
};

TEST_F(CopyToPc, WritesTheSelectedFileUnderItsCardNameAndShowsTheFolder) {
    addFileToCardPage(pages[0], "RACEDATA_001", 4);
    startAndRead();
    pcFolder = pcDir;
    select("RACEDATA_001");
    commands->copyFileToPc(pcFolder);
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{COPY_QUESTION, "select pc path " + pcDir.string(),
                                        "list pc files " + pcDir.string()}));
    const Bytes written = readBytes(pcDir / "RACEDATA_001");
    ASSERT_EQ(written.size(), 36u + 512 * 4);
    EXPECT_EQ((Bytes{written[0], written[1], written[2], written[8], written[19], written[28],
                     written[36], written[36 + 3 * 512]}),
              (Bytes{'C', 'F', 'U', 'R', '1', 4, 0x10, 0x13}));
}

TEST_F(CopyToPc, SeveralSelectedFilesGoAfterOneQuestionWithASummary) {
    addFileToCardPage(pages[0], "RACEDATA_001", 4);
    addFileToCardPage(pages[0], "GHOST", 1);
    startAndRead();
    writeBytes(pcDir / "GHOST.ddc", Bytes(3, 0));  // taken: the copy gets a number
    select("GHOST");
    screen.selectedRows = {207, 206};
    screen.boxAnswers = {BoxAnswer::No};
    commands->copyFileToPc(pcDir);
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: Copy these 2 files?\n\nRACEDATA_001\nGHOST\n\nNames already in "
                           "the folder get a number. | Copy file to PC | YesNo | Question"}));
    EXPECT_EQ(filesUnder(pcDir).size(), 1U);

    screen.events.clear();
    EXPECT_TRUE(commands->copyFileToPc(pcDir));
    EXPECT_EQ(readBytes(pcDir / "RACEDATA_001.ddc").size(), 36U + 4 * 512);
    EXPECT_EQ(readBytes(pcDir / "GHOST (2).ddc").size(), 36U + 512);
    EXPECT_EQ(readBytes(pcDir / "GHOST.ddc"), Bytes(3, 0));
    EXPECT_EQ(boxes().size(), 2U) << "the question, then the summary";

    // Save File takes a folder and a format for several, as Save All does.
    const std::filesystem::path saves = pcDir / "saves";
    std::filesystem::create_directory(saves);
    screen.saveAllAnswers = {SaveAllChoice{saves, 1}};
    EXPECT_TRUE(commands->saveFile());
    EXPECT_EQ(filesUnder(saves).size(), 4U) << "two pairs";
}

TEST_F(CopyToPc, RefusalsAndNoAnswersWriteNothing) {
    addFileToCardPage(pages[0], "RACE", 1);
    startAndRead();
    commands->copyFileToPc(pcFolder);
    select("RACE");
    commands->copyFileToPc(pcFolder);
    pcFolder = pcDir;
    screen.boxAnswers = {BoxAnswer::No};
    commands->copyFileToPc(pcFolder);
    EXPECT_EQ(
        screen.eventsStartingWith("status: "),
        (std::vector<std::string>{"status: No folder selected...", "status: Action cancelled..."}));
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: Choose a folder in the PC pane first. | Copy file to PC | Ok | "
                           "Warning",
                           COPY_QUESTION}));
    EXPECT_TRUE(filesUnder(pcDir).empty());

    writeBytes(pcDir / "RACE", Bytes{7});
    screen.boxAnswers = {BoxAnswer::Yes, BoxAnswer::No};
    commands->copyFileToPc(pcFolder);
    EXPECT_EQ(boxes().back(),
              "box: File Already exists, Overwrite? | Copy file to PC | YesNo | Question");
    EXPECT_EQ(readBytes(pcDir / "RACE"), (Bytes{7}));
}

TEST_F(CopyToPc, NamesThatCouldLeaveTheFolderAreRefused) {
    const std::vector<std::string> names = {"../../x", "a/b", "..", "TAB\tNAME",
                                            std::string("CSI\x9B") + "2J"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        addFileToCardPage(pages[0], "NAME", 1, static_cast<std::uint8_t>(i));
        renameOnPage(207 - static_cast<int>(i), names[i]);
    }
    const std::filesystem::path deep = pcDir / "one" / "two";
    std::filesystem::create_directories(deep);
    startAndRead();
    pcFolder = deep;
    for (const std::string& name : names) {
        select(name);
        screen.texts.status.clear();  // so that a repeated status text is recorded again
        commands->copyFileToPc(pcFolder);
        EXPECT_EQ(screen.events,
                  (std::vector<std::string>{"status: Action cancelled...",
                                            "box: This file's name cannot be used as a PC file "
                                            "name. | Copy file to PC | Ok | Warning"}))
            << name;
    }
    EXPECT_EQ(filesUnder(pcDir), (std::vector<std::filesystem::path>{pcDir / "one", deep}));
}

TEST_F(CopyToPc, Latin1NameBecomesUtf8AndAFailedWriteIsReported) {
    addFileToCardPage(pages[0], "CAF\xE9", 1);
    addFileToCardPage(pages[0], "TAKEN", 1);
    startAndRead();
    pcFolder = pcDir;
    select("CAF\xE9");
    commands->copyFileToPc(pcFolder);
    EXPECT_EQ(readBytes(pcDir / "CAF\xC3\xA9").size(), 36u + 512);

    std::filesystem::create_directories(pcDir / "TAKEN" / "keep");
    select("TAKEN");
    commands->copyFileToPc(pcFolder);
    EXPECT_EQ(screen.texts.status, "File not saved...");
    EXPECT_TRUE(boxes().back().ends_with(" | Copy file to PC | Ok | Error"));
    EXPECT_TRUE(screen.eventsStartingWith("list pc files").empty());
}

}  // namespace
}  // namespace quorvane::app::testing
