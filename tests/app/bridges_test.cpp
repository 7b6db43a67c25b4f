// SPDX-License-Identifier: GPL-3.0-or-later
// Saves flowing both ways between the card, emulator images and other people: raw card images,
// .vmi/.vms pairs, every file of a page at once, and an image worked on as the card itself.
#include <algorithm>
#include <map>

#include "adapter/virtual_adapter.h"
#include "app/card_source.h"
#include "edit_fixture.h"

namespace quorvane::app::testing {
namespace {

class Bridges : public EditFixture {
protected:
    void add(const std::filesystem::path& file) {
        screen.openAnswers = {file};
        commands->addFile();
    }
    std::vector<std::string> pcNames() const { return quorvane::testing::fileNamesIn(pcDir); }
    // The page's files: name, then the bytes of its blocks along the chain.
    std::map<std::string, Bytes> filesOfPage() const {
        std::map<std::string, Bytes> files;
        const card::PageBytes& page = loaded().page;
        for (int slot : card::enumerateFiles(page)) {
            files[card::entryName(card::readSlot(page, slot))] =
                card::chainData(page, card::followChain(page, slot).blocks);
        }
        return files;
    }
};

TEST_F(Bridges, RawImageExportedAndImportedGivesTheSamePageWhateverItsName) {
    addFileToCardPage(pages[0], "RACE", 3);
    addFileToCardPage(pages[0], "SCORES", 2);
    startOnFolderAndRead();
    screen.saveAnswers = {pcDir / "card.VMU"};
    commands->exportPageFile();
    EXPECT_EQ(screen.texts.status, "Card image written...");  // the .dcm's words only for a .dcm
    // A raw image holds the page in its own order: block n at byte 512 x n.
    EXPECT_TRUE(readBytes(pcDir / "card.VMU") == Bytes(loaded().page.begin(), loaded().page.end()));

    stepPage(+1);
    organizer->readChosenPage();
    screen.events.clear();
    screen.openAnswers = {pcDir / "card.VMU"};
    commands->importPageFile();
    EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
    EXPECT_TRUE(cardImage() == pages[0]);
    expectCardHoldsMemoryPage(1);
}

TEST_F(Bridges, ImageReadableOnlyInTheOtherOrderIsOfferedInThatOrder) {
    addFileToCardPage(pages[2], "RACE", 3);
    startAndRead();
    // A .dcm renamed .bin by its user.
    writeBytes(pcDir / "renamed.bin", Bytes(pages[2].bytes.begin(), pages[2].bytes.end()));
    const std::string question =
        "box: renamed.bin reads as a formatted card only in the other byte order: a raw card "
        "image named .dcm, or a .dcm named .bin or .vmu.\n\nTake it in that order? | Import "
        ".DCM file | YesNo | Question";

    screen.boxAnswers = {BoxAnswer::Yes, BoxAnswer::No};  // the warning, then the order
    screen.openAnswers = {pcDir / "renamed.bin"};
    commands->importPageFile();
    EXPECT_EQ(boxes().at(1), question);
    EXPECT_EQ(screen.cardRows.size(), 0u) << "taken as named, the image lists no file";

    screen.events.clear();
    screen.openAnswers = {pcDir / "renamed.bin"};
    commands->importPageFile();  // Yes to both
    EXPECT_EQ(boxes().at(1), question);
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"RACE", 3}}));
    EXPECT_TRUE(cardImage() == pages[2]);
}

TEST_F(Bridges, ImageTakenInTheOtherOrderIsTheOneCheckedEvenIfTheFileGoesMeanwhile) {
    addFileToCardPage(pages[2], "RACE", 3);
    startAndRead();
    writeBytes(pcDir / "renamed.bin", Bytes(pages[2].bytes.begin(), pages[2].bytes.end()));
    // The file is gone by the time the order question is answered.
    screen.whileBoxOpen = [this](const MessageBox& box) {
        if (std::string_view(box.text).find("other byte order") != std::string_view::npos) {
            std::filesystem::remove(pcDir / "renamed.bin");
        }
    };
    screen.openAnswers = {pcDir / "renamed.bin"};
    commands->importPageFile();  // Yes to both
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"RACE", 3}}));
    EXPECT_TRUE(cardImage() == pages[2]);
}

TEST_F(Bridges, PairSavedAndAddedBackGivesTheSameNameAndBlocks) {
    addFileToCardPage(pages[0], "RACEDATA_001", 3, 0x61);
    startOnFolderAndRead();
    select("RACEDATA_001");
    screen.saveAnswers = {pcDir / "race.vms", pcDir / "RACE.vms"};
    commands->saveFile();
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: \"race\" cannot name a .vmi/.vms pair: the name of a .vms file is "
                           "1 to 8 capital letters A-Z, digits 0-9 and underscores. | Copy file to "
                           "PC | Ok | Warning"}));
    EXPECT_TRUE(pcNames().empty()) << "nothing is written for a refused name";

    commands->saveFile();
    EXPECT_EQ(screen.texts.status, "File saved...");
    EXPECT_EQ(pcNames(), (std::vector<std::string>{"RACE.vmi", "RACE.vms"}));
    EXPECT_EQ(readBytes(pcDir / "RACE.vmi").size(), 108u);
    EXPECT_EQ(readBytes(pcDir / "RACE.vms").size(), 3u * 512);

    // Saved again over it: one question for the pair, No keeps both.
    screen.events.clear();
    screen.saveAnswers = {pcDir / "RACE.vms"};
    screen.boxAnswers = {BoxAnswer::No};
    commands->saveFile();
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: File Already exists, Overwrite? | Copy file to PC | YesNo | "
                           "Question"}));

    const Bytes original = filesOfPage().at("RACEDATA_001");
    add(pcDir / "RACE.vmi");
    EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
    const auto rows = screen.cardRows;
    EXPECT_EQ(  // replacing the file of its name, after the question
        std::count(rows.begin(), rows.end(), std::pair<std::string, unsigned>{"RACEDATA_001", 3}),
        1);
    for (const auto& [name, data] : filesOfPage()) {
        EXPECT_TRUE(data == original) << name;
    }

    // A file of no blocks is refused as a pair, as Save All skips it: the pair would not add back.
    editLoaded([](LoadedPage& page) { card::writeSlot(page.page, 0, makeEntry("NOTHING", 0)); });
    select("NOTHING");
    screen.saveAnswers = {pcDir / "NOTHING.vms"};
    commands->saveFile();
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: NOTHING holds no data: its .vms file would be empty, and an "
                           "empty .vms file cannot be added back. Save it as a .ddc file. | Copy "
                           "file to PC | Ok | Warning"}));
    EXPECT_EQ(pcNames(), (std::vector<std::string>{"RACE.vmi", "RACE.vms"}));
}

TEST_F(Bridges, PageSavedFileByFileAndAddedBackToAnEmptyPageGivesTheSameFiles) {
    addFileToCardPage(pages[0], "RACEDATA_001", 3, 0x21);
    addFileToCardPage(pages[0], "PUZZLE___SYS", 5, 0x41);
    addFileToCardPage(pages[0], "race/../x", 1, 0x51);  // no PC file may take this name
    addFileToCardPage(pages[0],
                      "CSI\x9B"
                      "2J",
                      1, 0x61);  // nor this: 0x9B drives a terminal
    startOnFolderAndRead();
    writeBytes(pcDir / "RACEDATA_001.ddc", {1});  // taken: the next number is used
    auto saved = filesOfPage();
    saved.erase("race/../x");
    saved.erase(
        "CSI\x9B"
        "2J");

    screen.saveAllAnswers = {SaveAllChoice{pcDir, 0}};
    commands->saveAllFiles();
    EXPECT_EQ(screen.eventsStartingWith("save all dialog").front(),
              "save all dialog [DC Memory Card File (*.ddc) *.ddc] [VMS file with its VMI (*.vms) "
              "*.vms]");
    EXPECT_EQ(screen.texts.status, "Files saved...");
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: 2 files saved in " + pcDir.string() +
                           ":\nPUZZLE___SYS as PUZZLE___SYS.ddc\nRACEDATA_001 as RACEDATA_001 "
                           "(2).ddc\n\n2 files skipped:\nCSI\xEF\xBF\xBD"
                           "2J: its name cannot be used as a PC file name\nrace/../x: its name "
                           "cannot be used as a PC file name | Save All Files | Ok | Warning"}));
    EXPECT_EQ(readBytes(pcDir / "RACEDATA_001.ddc"), Bytes{1}) << "an existing file is kept";

    // Added back, one by one, to the empty second page: the same files.
    stepPage(+1);
    organizer->readChosenPage();
    add(pcDir / "PUZZLE___SYS.ddc");
    add(pcDir / "RACEDATA_001 (2).ddc");
    EXPECT_EQ(filesOfPage(), saved);
}

TEST_F(Bridges, PageSavedAsPairsAndAddedBackGivesTheSameFiles) {
    addFileToCardPage(pages[0], "RACEDATA_001", 3, 0x21);
    addFileToCardPage(pages[0], "RACEDATA_002", 2, 0x31);  // the same NAME: numbered
    startOnFolderAndRead();
    const auto saved = filesOfPage();
    screen.saveAllAnswers = {SaveAllChoice{pcDir, 1}};
    commands->saveAllFiles();
    EXPECT_EQ(screen.texts.status, "Files saved...");
    EXPECT_EQ(pcNames(), (std::vector<std::string>{"RACEDATA.vmi", "RACEDATA.vms", "RACEDA_2.vmi",
                                                   "RACEDA_2.vms"}));
    stepPage(+1);
    organizer->readChosenPage();
    add(pcDir / "RACEDATA.vmi");
    add(pcDir / "RACEDA_2.vms");
    EXPECT_EQ(filesOfPage(), saved);
}

TEST_F(Bridges, CardImageIsWorkedOnAsTheCardAndSavedBackInItsOwnOrder) {
    addFileToCardPage(pages[0], "RACE", 3);
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(pages[0], *pageImage);
    writeBytes(pcDir / "emulator.bin", Bytes(pageImage->begin(), pageImage->end()));
    writeBytes(pcDir / "short.vmu", Bytes(100, 0));
    writeBytes(pcDir / "add.ddc", ddcBytes("ADDED", 2));

    CardProblem error;
    CardLocation home;
    home.virtualCard = cardDir;
    auto source = CardSource::open(home, error);
    ASSERT_TRUE(source) << error.text;
    link = std::make_unique<link::CardLink>(source->port());
    organizer = std::make_unique<Organizer>(screen, *link, fixedTime);
    commands = std::make_unique<WindowCommands>(*organizer, screen);
    organizer->setCardSource(source.get());
    organizer->start();

    // A file that is not one page is refused; the card stays as it was.
    screen.openAnswers = {pcDir / "short.vmu"};
    commands->openCardImage();
    EXPECT_EQ(boxes().back(), "box: " + (pcDir / "short.vmu").string() +
                                  " is not a card image: a card image holds exactly 131072 "
                                  "bytes. | Card image | Ok | Warning");
    EXPECT_FALSE(organizer->onCardImage());

    screen.openAnswers = {pcDir / "emulator.bin"};
    commands->openCardImage();
    EXPECT_TRUE(organizer->onCardImage());
    EXPECT_EQ(screen.cardName, "emulator.bin");
    organizer->readChosenPage();
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"RACE", 3}}));
    add(pcDir / "add.ddc");
    EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
    // Saved back raw: the file holds the page in memory, in the page's own order.
    EXPECT_TRUE(readBytes(pcDir / "emulator.bin") ==
                Bytes(loaded().page.begin(), loaded().page.end()));
    select("RACE");
    commands->deleteFile();
    EXPECT_EQ(screen.texts.status, "File Deleted.");
    EXPECT_TRUE(readBytes(pcDir / "emulator.bin") ==
                Bytes(loaded().page.begin(), loaded().page.end()));

    organizer->closeCardImage();
    EXPECT_FALSE(organizer->onCardImage());
    EXPECT_EQ(screen.cardName, "");
    EXPECT_FALSE(organizer->loadedPage().has_value());
}

}  // namespace
}  // namespace quorvane::app::testing
