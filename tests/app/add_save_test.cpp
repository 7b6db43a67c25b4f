// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <map>

#include "edit_fixture.h"
#include "formats/single_file.h"

namespace quorvane::app::testing {
namespace {

const std::string ADD_FILTERS =
    "open dialog [DC Memory Card File (*.ddc) *.ddc] [DC Memory Card File (*.dci) *.dci] "
    "[DC Memory Card File (*.vmi,*.vms) *.vmi;*.vms]";
// Save File's dialog as the screen records it: the .ddc filter first, the pair after it.
const std::string SAVE_FILE_DIALOG =
    "save dialog [DC Memory Card File (*.ddc) *.ddc] [VMS file with its VMI (*.vms) *.vms] "
    "suffix ddc";
const std::string WONT_FIT_BOX =
    "box: This file won't fit on this page. | Copy file to DC Memory pack. | Ok | Warning";

class AddSave : public EditFixture {
protected:
    // Adds `file` through the open dialog.
    void add(const std::filesystem::path& file) {
        screen.openAnswers = {file};
        commands->addFile();
    }
};

TEST_F(AddSave, AddBeforeAnyPageAndACancelledDialogChangeNothing) {
    start();
    screen.events.clear();
    commands->addFile();
    EXPECT_EQ(screen.eventsStartingWith("status: "),
              (std::vector<std::string>{"status: No page read..."}));
    EXPECT_TRUE(screen.eventsStartingWith("open dialog").empty());

    startAndRead();
    commands->addFile();
    EXPECT_EQ(screen.events, (std::vector<std::string>{ADD_FILTERS}));
}

TEST_F(AddSave, FileOfExactlyTheFreeBlocksFitsAndOneMoreIsRefused) {
    addFileToCardPage(pages[0], "BIG", 190);
    startOnFolderAndRead();
    writeBytes(pcDir / "ELEVEN.DDC", ddcBytes("ELEVEN", 11));
    writeBytes(pcDir / "SAVE.DDC", ddcBytes("TEN", 10));
    const auto page = loaded().page;

    add(pcDir / "ELEVEN.DDC");
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{ADD_FILTERS, "status: This file won't fit on this page...",
                                        WONT_FIT_BOX}));
    EXPECT_TRUE(loaded().page == page);
    EXPECT_TRUE(loaded().dirty == card::DirtyMap{});

    add(pcDir / "SAVE.DDC");  // upper-case extension, still a .ddc
    EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
    EXPECT_EQ(screen.texts.blocksFree, "0");
    EXPECT_EQ(selectedEntry(), -1);
    EXPECT_EQ(screen.cardRows.front(), (std::pair<std::string, unsigned>{"TEN", 10}));
    expectCardHoldsMemoryPage();
}

TEST_F(AddSave, SaveThenAddAsksAndReplacesTheFileWithAnEqualOne) {
    addFileToCardPage(pages[0], "RACE", 3);
    startOnFolderAndRead();
    select("RACE");
    screen.saveAnswers = {pcDir / "race.ddc"};
    commands->saveFile();
    EXPECT_EQ(screen.events, (std::vector<std::string>{SAVE_FILE_DIALOG, "status: File saved..."}));
    const Bytes saved = readBytes(pcDir / "race.ddc");
    ASSERT_EQ(saved.size(), 36u + 3 * 512);
    EXPECT_EQ((Bytes{saved[0], saved[1], saved[2], saved[3], saved[4], saved[6], saved[36]}),
              (Bytes{'C', 'F', 'U', 0, 0x33, 199, 0x10}));

    const auto before = std::make_unique<card::PageBytes>(loaded().page);
    add(pcDir / "race.ddc");
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: A file named RACE is already on this page. Replace it? | Copy "
                           "file to DC Memory pack. | YesNo | Question"}));
    EXPECT_TRUE(loaded().page == *before);
    EXPECT_TRUE(committed());
    expectCardHoldsMemoryPage();
}

TEST_F(AddSave, UpperCaseVmsFindsItsLowerCaseVmiAndGetsTheClockOfASunday) {
    startOnFolderAndRead();
    Bytes vmi(128, 0);
    std::copy_n("GAMESAVE", 8, vmi.begin() + 88);
    writeBytes(pcDir / "game.vmi", vmi);
    writeBytes(pcDir / "Game.VMS", Bytes(1024, 0xAB));
    add(pcDir / "Game.VMS");
    const card::DirEntry entry = card::readSlot(loaded().page, 207);
    EXPECT_EQ(card::entryName(entry), "GAMESAVE");
    EXPECT_EQ(entry.fileType, 0x33);
    EXPECT_EQ(entry.sizeInBlocks, 2);
    EXPECT_EQ(entry.timeStamp,
              (std::array<std::uint8_t, 8>{0x20, 0x26, 0x12, 0x06, 0x13, 0x45, 0x30, 0x06}));
    expectCardHoldsMemoryPage();
}

struct Refusal {
    const char* file;
    Bytes content;
    const char* status;  // "" = the status line stays as it was
    const char* box;
};

TEST_F(AddSave, RefusedFilesLeaveThePageTheFlagsAndTheListAsTheyWere) {
    startAndRead();
    Bytes shortVmi(99, 0);
    Bytes freeType = ddcBytes("FREE", 1);
    freeType[4] = 0;
    Bytes wrongTag = ddcBytes("LOWER", 1);
    wrongTag[0] = 'c';
    Bytes tooMany = ddcBytes("HUGE", 0);
    tooMany[28] = 201;
    Bytes shortData = ddcBytes("CUT", 2);
    shortData.resize(shortData.size() - 1);
    const char* cancelled = "Action cancelled...";
    const std::vector<Refusal> refusals{
        {"wrongtag.ddc", wrongTag, cancelled,
         "This is not a Dreamcast file | Copy file to DC Memory pack."},
        {"missing.ddc", {}, "", "File Not Found. | Add a file to DC Memory pack."},
        {"alone.vmi", Bytes(128, 0), cancelled,
         "Cannot find corresponding VMS file. | Add a file to DC Memory pack."},
        {"lonely.vms", Bytes(512, 0), cancelled,
         "Cannot find corresponding VMI file. | Add a file to DC Memory pack."},
        {"notes.txt", Bytes(600, 0), cancelled,
         "This file type is not supported. Choose a .ddc, .dci, .vmi or .vms file. | Copy file "
         "to DC Memory pack."},
        {"header.dci", Bytes(31, 0), cancelled,
         "This file is damaged: it is shorter than its header or its blocks. | Copy file to DC "
         "Memory pack."},
        {"cut.ddc", shortData, cancelled,
         "This file is damaged: it is shorter than its header or its blocks. | Copy file to DC "
         "Memory pack."},
        {"free.ddc", freeType, cancelled,
         "This file's directory entry is marked free; it is not a usable Dreamcast file. | "
         "Copy file to DC Memory pack."},
        {"short.vmi", shortVmi, cancelled,
         "The VMI file is too short to hold a file name. | Copy file to DC Memory pack."},
        {"huge.ddc", tooMany, "This file won't fit on this page...",
         "This file won't fit on this page. | Copy file to DC Memory pack."},
    };
    writeBytes(pcDir / "short.vms", Bytes(512, 0));
    writeBytes(pcDir / "empty.vmi", Bytes(128, 0));
    writeBytes(pcDir / "empty.vms", {});
    const auto page = loaded().page;
    auto check = [&](const std::string& file, const std::string& status, const std::string& box) {
        SCOPED_TRACE(file);
        screen.events.clear();
        screen.texts.status = "before";
        add(pcDir / file);
        std::vector<std::string> expected{ADD_FILTERS};
        if (!status.empty()) {
            expected.push_back("status: " + status);
        }
        expected.push_back("box: " + box + " | Ok | Warning");
        EXPECT_EQ(screen.events, expected);
        EXPECT_TRUE(loaded().page == page);
        EXPECT_TRUE(loaded().dirty == card::DirtyMap{});
        EXPECT_EQ(screen.cardRows.size(), 0u);
    };
    for (const Refusal& r : refusals) {
        if (!r.content.empty() || std::string(r.file) != "missing.ddc") {
            writeBytes(pcDir / r.file, r.content);
        }
        check(r.file, r.status, r.box);
    }
    std::filesystem::create_directory(pcDir / "folder.dci");
    const std::string notAFile =
        "This is not a file but a folder, a device or a FIFO: it cannot be read. | Add a file to "
        "DC Memory pack.";
    check("folder.dci", cancelled, notAFile);
    // Neither hangs on a FIFO nor takes a device's endless bytes for a file.
    ASSERT_EQ(::mkfifo((pcDir / "fifo.ddc").c_str(), 0600), 0);
    check("fifo.ddc", cancelled, notAFile);
    std::filesystem::create_symlink("/dev/zero", pcDir / "zero.vms");
    writeBytes(pcDir / "zero.vmi", Bytes(128, 0));
    check("zero.vmi", cancelled, notAFile);
    check("empty.vmi", cancelled, "The VMS file is empty. | Copy file to DC Memory pack.");
}

// Pages shaped like real ones, for the adds that replace, place a game or move files.
enum class Shape {
    Empty,
    DataAtStart,
    MiniGame,
    AlmostFull,
    LostBlockAtStart,
    SharedBlock,
    LastBlockFree
};

std::vector<int> blockRange(int first, int last) {
    std::vector<int> blocks;
    for (int b = first; b != last; b += first < last ? 1 : -1) {
        blocks.push_back(b);
    }
    blocks.push_back(last);
    return blocks;
}

// A file in `slot` along `blocks`, block k filled with fill + k.
void putFile(card::PageBytes& page, int slot, std::string_view name, std::uint8_t type,
             const std::vector<int>& blocks, std::uint8_t fill) {
    card::DirEntry entry = makeEntry(name, static_cast<std::uint16_t>(blocks.size()),
                                     static_cast<std::uint16_t>(blocks.front()), type);
    entry.headerOffset = type == 0xCC ? 1 : 0;
    card::writeSlot(page, slot, entry);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        std::fill_n(page.begin() + static_cast<long>(blocks[k] * card::BLOCK_SIZE),
                    card::BLOCK_SIZE, static_cast<std::uint8_t>(fill + k));
        card::setFatEntry(
            page, blocks[k],
            k + 1 < blocks.size() ? static_cast<std::uint16_t>(blocks[k + 1]) : card::FAT_END);
    }
}

card::CardOrderPage shapedPage(Shape shape) {
    auto page = std::make_unique<card::PageBytes>();
    card::formatPage(*page);
    if (shape == Shape::DataAtStart || shape == Shape::AlmostFull) {
        putFile(*page, 207, "DATA", 0x33, blockRange(0, 9), 0x10);
    }
    if (shape == Shape::MiniGame) {
        putFile(*page, 207, "MINIGAME", 0xCC, blockRange(0, 12), 0x20);
    }
    if (shape == Shape::SharedBlock) {  // a file at the start whose chain another one joins
        putFile(*page, 207, "DATA", 0x33, blockRange(0, 20), 0x10);
        putFile(*page, 206, "JOINS", 0x33, {150, 15}, 0x30);
    }
    if (shape == Shape::LostBlockAtStart) {
        card::setFatEntry(*page, 5, card::FAT_END);  // allocated, reached by no chain
    }
    if (shape == Shape::LastBlockFree) {  // moving it would take a block the FAT gives nobody
        putFile(*page, 207, "DATA", 0x33, blockRange(0, 2), 0x10);
        card::setFatEntry(*page, 2, card::FAT_FREE);
    }
    if (shape == Shape::AlmostFull) {
        putFile(*page, 206, "BIG", 0x33, blockRange(199, 15), 0x30);
    }
    card::CardOrderPage cardImage{};
    card::pageToCard(*page, cardImage);
    return cardImage;
}

// A .dci of `type`: the entry, then the data (block k all 0x60 + k, which reads the same in
// the .dci's reversed 4-byte groups).
Bytes dciBytes(std::string_view name, std::uint16_t blocks, std::uint8_t type) {
    Bytes file = entryBytes(name, blocks, type);
    file[26] = type == 0xCC ? 1 : 0;  // a game's save header follows its first block
    for (std::uint16_t k = 0; k < blocks; ++k) {
        file.insert(file.end(), card::BLOCK_SIZE, static_cast<std::uint8_t>(0x60 + k));
    }
    return file;
}

// Each file's name and chain, and its data where it kept it.
std::map<std::string, std::vector<int>> chains(const card::PageBytes& page) {
    std::map<std::string, std::vector<int>> files;
    for (int slot : card::enumerateFiles(page)) {
        files[card::entryName(card::readSlot(page, slot))] = card::followChain(page, slot).blocks;
    }
    return files;
}

Bytes dataOf(const card::PageBytes& page, std::string_view name) {
    card::CardFile file;
    card::extractFile(page, card::findSlotByName(page, std::string(name)), file);
    return file.data;
}

struct ShapedAdd {
    const char* label;
    Shape shape;
    const char* file;
    std::vector<BoxAnswer> answers;
    std::vector<std::string> questions;
    std::map<std::string, std::vector<int>> after;  // empty: refused, the page as it was
};

TEST_F(AddSave, GamesGoToTheStartAndOneNameOrOneGameIsReplacedOnlyWhenTheUserSaysSo) {
    const std::string moveFiles =
        "Move other files to make room for the game at the start of the card?";
    const std::string sameName = "A file named DATA is already on this page. Replace it?";
    const std::string otherGame =
        "The game MINIGAME is already on this page, and a card holds only one game. Replace it?";
    const std::vector<ShapedAdd> cases{
        {"data",
         Shape::DataAtStart,
         "new.ddc",
         {},
         {},
         {{"DATA", blockRange(0, 9)}, {"NEWDATA", blockRange(199, 197)}}},
        {"game", Shape::Empty, "game.dci", {}, {}, {{"NEWGAME", blockRange(0, 12)}}},
        {"game moves data",
         Shape::DataAtStart,
         "game.dci",
         {BoxAnswer::Yes},
         {moveFiles},
         {{"DATA", blockRange(199, 190)}, {"NEWGAME", blockRange(0, 12)}}},
        {"game, no move", Shape::DataAtStart, "game.dci", {BoxAnswer::No}, {moveFiles}, {}},
        {"game pair", Shape::Empty, "gamepair.vmi", {}, {}, {{"PAIRGAME", blockRange(0, 12)}}},
        {"same name",
         Shape::DataAtStart,
         "data.ddc",
         {BoxAnswer::Yes},
         {sameName},
         {{"DATA", blockRange(199, 197)}}},
        {"same name kept", Shape::DataAtStart, "data.ddc", {BoxAnswer::No}, {sameName}, {}},
        {"second game",
         Shape::MiniGame,
         "game.dci",
         {BoxAnswer::Yes},
         {otherGame},
         {{"NEWGAME", blockRange(0, 12)}}},
        {"no room", Shape::AlmostFull, "game.dci", {}, {}, {}},
        {"lost block where the game goes", Shape::LostBlockAtStart, "game.dci", {}, {}, {}},
        {"shared block in a file to move", Shape::SharedBlock, "game.dci", {}, {}, {}},
        {"a file to move whose last block is free", Shape::LastBlockFree, "game.dci", {}, {}, {}},
    };
    writeBytes(pcDir / "new.ddc", ddcBytes("NEWDATA", 3));
    writeBytes(pcDir / "data.ddc", ddcBytes("DATA", 3));
    writeBytes(pcDir / "game.dci", dciBytes("NEWGAME", 13, 0xCC));
    Bytes vmi(108, 0);
    std::copy_n("PAIRGAME", 8, vmi.begin() + 88);
    vmi[0x64] = 2;  // the .vmi's mode: a game
    writeBytes(pcDir / "gamepair.vmi", vmi);
    writeBytes(pcDir / "gamepair.vms", Bytes(13 * 512, 0x77));
    for (const ShapedAdd& c : cases) {
        SCOPED_TRACE(c.label);
        pages[0] = shapedPage(c.shape);
        startOnFolderAndRead();
        const auto before = std::make_unique<card::PageBytes>(loaded().page);
        screen.boxAnswers.assign(c.answers.begin(), c.answers.end());
        screen.openAnswers = {pcDir / c.file};
        commands->addFile();

        std::vector<std::string> asked;
        for (const std::string& box : boxes()) {
            if (box.find("| YesNo |") != std::string::npos) {
                asked.push_back(box.substr(5, box.find(" | ") - 5));
            }
        }
        EXPECT_EQ(asked, c.questions);
        if (c.after.empty()) {
            EXPECT_TRUE(loaded().page == *before);
            EXPECT_FALSE(loaded().hasPendingEdits());
            continue;
        }
        EXPECT_EQ(chains(loaded().page), c.after);
        expectCardHoldsMemoryPage();
        // Files kept keep their bytes, wherever they moved; games are games, header in block 1.
        for (const auto& [name, blocks] : c.after) {
            const card::DirEntry entry =
                card::readSlot(loaded().page, card::findSlotByName(loaded().page, name));
            EXPECT_EQ(entry.fileType == 0xCC && entry.headerOffset == 1, name.ends_with("GAME"))
                << name;
            if (chains(*before).count(name) != 0 && c.questions != std::vector{sameName}) {
                EXPECT_EQ(dataOf(loaded().page, name), dataOf(*before, name)) << name;
            }
        }
    }
}

TEST_F(AddSave, RefusedCommitKeepsTheAddPendingAndTheFatDecidesTheNextFit) {
    startOnFolderAndRead();
    writeBytes(pcDir / "a.ddc", ddcBytes("FIRST", 150));
    writeBytes(pcDir / "b.ddc", ddcBytes("SECOND", 100));
    stepPage(+1);
    add(pcDir / "a.ddc");
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_TRUE(screen.cardRows.empty());  // the list and counts are not rebuilt
    EXPECT_EQ(screen.texts.blocksFree, "200");
    const auto page = loaded().page;

    screen.events.clear();
    add(pcDir / "b.ddc");  // fits the 200 still counted, not the 50 left in the FAT
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{ADD_FILTERS, "status: This file won't fit on this page...",
                                        WONT_FIT_BOX}));
    EXPECT_TRUE(loaded().page == page);

    stepPage(-1);
    ASSERT_TRUE(organizer->commitPage(true));
    expectCardHoldsMemoryPage();
    EXPECT_EQ(card::enumerateFiles(loaded().page), (std::vector<int>{207}));
}

TEST_F(AddSave, SaveRefusalsWriteNothingAndKeepAnExistingTarget) {
    addFileToCardPage(pages[0], "RACE", 2);
    startAndRead();
    commands->saveFile();
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{"status: No file selected...",
                                        "box: No File Selected | Copy file to PC | Ok | Warning"}));

    select("RACE");
    commands->saveFile();  // dialog cancelled
    EXPECT_EQ(screen.texts.status, "Action cancelled...");

    writeBytes(pcDir / "old.ddc", Bytes{1, 2, 3});
    screen.saveAnswers = {pcDir / "old.ddc"};
    screen.boxAnswers = {BoxAnswer::No};
    screen.events.clear();
    screen.texts.status.clear();
    commands->saveFile();
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{
                  SAVE_FILE_DIALOG,
                  "box: File Already exists, Overwrite? | Copy file to PC | YesNo | Question",
                  "status: Action cancelled..."}));
    EXPECT_EQ(readBytes(pcDir / "old.ddc"), (Bytes{1, 2, 3}));

    // A target that cannot be replaced (a folder of that name) is reported, not "saved".
    std::filesystem::create_directories(pcDir / "dir.ddc" / "keep");
    screen.saveAnswers = {pcDir / "dir.ddc"};
    commands->saveFile();
    EXPECT_EQ(screen.texts.status, "File not saved...");
    const auto box = boxes().back();
    EXPECT_EQ(
        box.rfind("box: The file could not be written:\n" + (pcDir / "dir.ddc").string() + "\n", 0),
        0u);
    EXPECT_TRUE(box.ends_with(" | Copy file to PC | Ok | Error"));
    EXPECT_TRUE(std::filesystem::exists(pcDir / "dir.ddc" / "keep"));
}

TEST_F(AddSave, SaveOfADamagedChainIsRefused) {
    addFileToCardPage(pages[0], "BROKEN", 3);
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(pages[0], *pageImage);
    card::setFatEntry(*pageImage, 199, 250);  // the link out of the first block leaves 0..199
    card::pageToCard(*pageImage, pages[0]);
    startAndRead();
    select("BROKEN");
    screen.saveAnswers = {pcDir / "broken.ddc"};
    commands->saveFile();
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: This file is damaged on the card and cannot be saved. | Copy "
                           "file to PC | Ok | Warning"}));
    EXPECT_FALSE(std::filesystem::exists(pcDir / "broken.ddc"));
}

TEST_F(AddSave, SaveOfAChainSharingAnotherFilesBlocksAsksFirst) {
    addFileToCardPage(pages[0], "FIRST", 3, 0x10);   // 199, 198, 197
    addFileToCardPage(pages[0], "SECOND", 2, 0x20);  // 196, 195
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(pages[0], *pageImage);
    card::setFatEntry(*pageImage, 196, 198);  // SECOND runs 196, 198
    card::pageToCard(*pageImage, pages[0]);
    startAndRead();
    select("SECOND");
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        const std::string before = folderSnapshot(pcDir);
        screen.saveAnswers = {pcDir / "second.ddc"};
        screen.boxAnswers = {answer};
        screen.events.clear();
        commands->saveFile();
        EXPECT_EQ(boxes(), (std::vector<std::string>{
                               "box: SECOND shares blocks with FIRST on the card: the saved file "
                               "would hold the other file's blocks as well as its own.\n\nSave it "
                               "anyway? | Copy file to PC | YesNo | Warning"}));
        if (answer == BoxAnswer::No) {
            EXPECT_EQ(screen.texts.status, "Action cancelled...");
            EXPECT_EQ(folderSnapshot(pcDir), before);
        }
    }
    EXPECT_EQ(screen.texts.status, "File saved...");
    card::CardFile saved;
    ASSERT_EQ(formats::readDdcFile(pcDir / "second.ddc", saved), formats::ReadResult::Ok);
    Bytes expected(512, 0x20);  // its own first block, then FIRST's second
    expected.insert(expected.end(), 512, 0x11);
    EXPECT_EQ(saved.data, expected);
}

}  // namespace
}  // namespace quorvane::app::testing
