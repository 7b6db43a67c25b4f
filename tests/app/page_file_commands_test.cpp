// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include "edit_fixture.h"

namespace quorvane::app::testing {
namespace {

const std::string WARNING_BOX =
    "box: WARNING!! - All data on the selected page will be deleted.\n\n"
    "                             Continue? | Import .DCM file | YesNo | Warning";
const std::string IMPORT_DIALOG =
    "open dialog [DCM Memory Card File (*.dcm) *.dcm] [Card image (*.bin *.vmu) *.bin;*.vmu]";
const std::string EXPORT_DIALOG =
    "save dialog [DC Memory Card (*.dcm) *.dcm] [Card image (*.bin *.vmu) *.bin;*.vmu] suffix dcm";

class PageFileCommands : public EditFixture {};

TEST_F(PageFileCommands, ImportAndExportBeforeAnyPageAreRefused) {
    start();
    screen.events.clear();
    commands->importPageFile();
    commands->exportPageFile();
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           "box: Read a page from the Memory card first (Select/Refresh). | "
                           "Import .DCM file | Ok | Warning",
                           "box: Read a page from the Memory card first (Select/Refresh). | "
                           "Export to .DCM file | Ok | Warning"}));
    EXPECT_EQ(screen.texts.status, "No page read...");
    EXPECT_TRUE(screen.eventsStartingWith("open dialog").empty());
    EXPECT_TRUE(screen.eventsStartingWith("save dialog").empty());
}

TEST_F(PageFileCommands, DecliningOrCancellingChangesNothing) {
    startAndRead();
    screen.boxAnswers = {BoxAnswer::No};
    commands->importPageFile();
    commands->importPageFile();  // warning answered Yes, dialog cancelled: no status text
    commands->exportPageFile();  // dialog cancelled
    EXPECT_EQ(screen.events, (std::vector<std::string>{WARNING_BOX, "status: Action cancelled...",
                                                       WARNING_BOX, IMPORT_DIALOG, EXPORT_DIALOG,
                                                       "status: Action Cancelled..."}));
}

TEST_F(PageFileCommands, ExportThenImportIntoAnotherPageWritesAnIdenticalPage) {
    addFileToCardPage(pages[0], "RACE", 3);
    addFileToCardPage(pages[0], "SCORES", 2);
    startOnFolderAndRead(0);
    screen.saveAnswers = {pcDir / "page.dcm"};
    commands->exportPageFile();
    EXPECT_EQ(screen.texts.status, "DCM file written...");
    EXPECT_TRUE(readBytes(pcDir / "page.dcm") ==
                Bytes(pages[0].bytes.begin(), pages[0].bytes.end()));

    stepPage(+1);
    organizer->readChosenPage();
    screen.events.clear();
    screen.texts.status.clear();
    screen.openAnswers = {pcDir / "page.dcm"};
    commands->importPageFile();
    const auto statuses = screen.eventsStartingWith("status: ");
    EXPECT_EQ(statuses.front(), "status: Memory card read successful.");
    EXPECT_EQ(statuses.back(), "status: Memory card written successfully....");
    EXPECT_TRUE(cardImage() == pages[0]);
    EXPECT_TRUE(loaded().dirty == card::DirtyMap{});
    EXPECT_EQ(selectedEntry(), -1);
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"SCORES", 2}, {"RACE", 3}}));
    expectCardHoldsMemoryPage(1);
}

// Each file is checked and read before anything changes; a question about what it holds,
// answered No, changes nothing either.
TEST_F(PageFileCommands, UnusableImportFileLeavesPageImagesFlagsAndCardUnchanged) {
    addFileToCardPage(pages[0], "RACE", 3);
    startAndRead();
    editLoaded([](LoadedPage& page) { page.dirty[5] = 1; });  // survives a refused import
    writeBytes(pcDir / "short.dcm", Bytes(card::PAGE_SIZE - 1, 0));
    writeBytes(pcDir / "short.bin", Bytes(card::PAGE_SIZE - 1, 0));
    writeBytes(pcDir / "blank.dcm", Bytes(card::PAGE_SIZE, 0));
    std::filesystem::create_directory(pcDir / "folder.dcm");
    ASSERT_EQ(::mkfifo((pcDir / "fifo.dcm").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", pcDir / "zero.dcm");
    writeBytes(pcDir / "huge.dcm", {});
    std::filesystem::resize_file(pcDir / "huge.dcm", 2147483648ULL);  // sparse
    const std::string notAFile =
        "This is not a file but a folder, a device or a FIFO: it cannot be read.\n";
    const struct {
        std::filesystem::path file;
        std::string box;  // the last box, up to the caption
    } cases[] = {
        {pcDir / "none.dcm",
         "File Not Found.\n" + (pcDir / "none.dcm").string() + ":\nNo such file or directory"},
        {pcDir / "short.dcm", "This is not a page image: a .dcm file holds exactly 131072 bytes."},
        {pcDir / "short.bin",
         "This is not a card image: a .bin or .vmu file holds exactly 131072 "
         "bytes."},
        {pcDir / "folder.dcm", notAFile + (pcDir / "folder.dcm").string() + ":\nIs a directory"},
        {pcDir / "fifo.dcm", notAFile + (pcDir / "fifo.dcm").string()},
        {"/dev/zero", notAFile + "/dev/zero"},
        {pcDir / "zero.dcm", notAFile + (pcDir / "zero.dcm").string()},
        {pcDir / "huge.dcm", (pcDir / "huge.dcm").string() +
                                 " holds 2147483648 bytes, more than one card; only its first "
                                 "131072 would be written.\n\nImport it anyway?"},
        {pcDir / "blank.dcm", (pcDir / "blank.dcm").string() +
                                  " is not a formatted card; the card would need formatting on "
                                  "the console.\n\nImport it anyway?"},
    };
    const auto page = loaded().page;
    const auto cardBefore = cardImage();
    const auto dirty = loaded().dirty;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.file);
        screen.events.clear();
        screen.openAnswers = {row.file};
        screen.boxAnswers = {BoxAnswer::Yes, BoxAnswer::No};  // the warning, then any question
        EXPECT_FALSE(commands->importPageFile());
        EXPECT_EQ(boxes().back().substr(0, 5 + row.box.size()), "box: " + row.box);
        EXPECT_EQ(screen.texts.status, "Action cancelled...");
        EXPECT_TRUE(loaded().page == page);
        EXPECT_TRUE(cardImage() == cardBefore);
        EXPECT_TRUE(loaded().dirty == dirty);
    }
    EXPECT_FALSE(committed());
    EXPECT_TRUE(adapter->page(0) == pages[0]);
}

TEST_F(PageFileCommands, RefusedImportCommitPutsThePreviousPageBack) {
    addFileToCardPage(pages[0], "RACE", 3);
    startAndRead();
    const card::CardOrderPage formatted = formattedCardPage();
    writeBytes(pcDir / "empty.dcm", Bytes(formatted.bytes.begin(), formatted.bytes.end()));
    const auto page = loaded().page;
    stepPage(+1);
    screen.openAnswers = {pcDir / "empty.dcm"};
    commands->importPageFile();
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_TRUE(loaded().page == page);
    EXPECT_TRUE(cardImage() == pages[0]);
    EXPECT_TRUE(loaded().dirty == card::DirtyMap{});
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"RACE", 3}}));
    EXPECT_TRUE(adapter->page(0) == pages[0]);
}

// A formatted page in card order holding HIGH_FILÉ (its name in Latin-1) in blocks 240 -> 233,
// as cards formatted with 241 user blocks keep files.
card::CardOrderPage pageWithAFileBeyondBlock199() {
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(formattedCardPage(), *pageImage);
    for (int block = 240; block > 233; --block) {
        card::setFatEntry(*pageImage, block, static_cast<std::uint16_t>(block - 1));
        (*pageImage)[static_cast<std::size_t>(block) * card::BLOCK_SIZE] = 0xB2;
    }
    card::setFatEntry(*pageImage, 233, card::FAT_END);
    card::DirEntry entry = makeEntry("HIGH_FIL\xC9", 8);
    entry.firstBlock = 240;
    card::writeSlot(*pageImage, 207, entry);
    card::CardOrderPage cardImage{};
    card::pageToCard(*pageImage, cardImage);
    return cardImage;
}

TEST_F(PageFileCommands, ImageWithBlocksTheCommitCannotWriteAsksFirst) {
    startAndRead();
    const card::CardOrderPage image = pageWithAFileBeyondBlock199();
    writeBytes(pcDir / "extended.dcm", Bytes(image.bytes.begin(), image.bytes.end()));
    const auto page = loaded().page;
    const std::string question =
        "box: These files keep data in blocks 200 to 240 of the "
        "image:\n\nHIGH_FIL\xC3\x89\n\nThose "
        "blocks cannot be written to the card: the card will list the files, but their blocks "
        "beyond 199 will hold what the card holds there now.\n\nImport the page anyway? | "
        "Import .DCM file | YesNo | Warning";

    screen.boxAnswers = {BoxAnswer::Yes, BoxAnswer::No};
    screen.openAnswers = {pcDir / "extended.dcm"};
    commands->importPageFile();
    EXPECT_EQ(boxes(), (std::vector<std::string>{WARNING_BOX, question}));
    EXPECT_EQ(screen.texts.status, "Action cancelled...");
    EXPECT_TRUE(loaded().page == page);
    EXPECT_FALSE(committed());

    screen.events.clear();
    screen.openAnswers = {pcDir / "extended.dcm"};
    commands->importPageFile();  // Yes to both
    EXPECT_EQ(boxes(), (std::vector<std::string>{WARNING_BOX, question}));
    EXPECT_EQ(screen.texts.status, "Memory card written successfully....");
    EXPECT_EQ(screen.cardRows, (decltype(screen.cardRows){{"HIGH_FIL\xC9", 8}}));
    // The card lists the file, but its blocks beyond 199 are what the card held.
    EXPECT_EQ(adapter->page(0).bytes[240 * card::BLOCK_SIZE + 3],
              pages[0].bytes[240 * card::BLOCK_SIZE + 3]);
}

TEST_F(PageFileCommands, FailedExportIsReportedAndKeepsTheTarget) {
    std::filesystem::create_directories(pcDir / "page.dcm" / "keep");
    ASSERT_EQ(::mkfifo((pcDir / "pipe.dcm").c_str(), 0600), 0);
    std::filesystem::create_symlink("page.dcm", pcDir / "card.bin");
    std::filesystem::create_symlink("loop.dcm", pcDir / "loop.dcm");
    const std::pair<const char*, std::string> cases[] = {
        {"page.dcm", "It is a folder, not a file."},
        {"pipe.dcm", "It is a FIFO, not a file."},
        {"card.bin", "It is a link to a folder, not a file: " + (pcDir / "page.dcm").string()},
        {"loop.dcm", "Its links cannot be followed: Too many levels of symbolic links"},
    };
    startAndRead();
    const std::string before = folderSnapshot(pcDir);
    for (const auto& [target, why] : cases) {
        screen.events.clear();
        screen.saveAnswers = {pcDir / target};
        EXPECT_FALSE(commands->exportPageFile());
        EXPECT_EQ(screen.texts.status, std::string_view(target).ends_with(".bin")
                                           ? "Card image not written..."
                                           : "DCM file not written...");
        EXPECT_EQ(boxes(), std::vector<std::string>{"box: The file could not be written:\n" +
                                                    (pcDir / target).string() + "\n" + why +
                                                    " | Export to .DCM file | Ok | Error"});
        EXPECT_EQ(folderSnapshot(pcDir), before);
    }
}

TEST_F(PageFileCommands, ExportThroughALinkAsksNamingWhereItLeadsAndKeepsTheLink) {
    addFileToCardPage(pages[0], "RACE", 3);
    startAndRead();
    const std::filesystem::path real = pcDir / "emu" / "card.bin";
    std::filesystem::create_directories(real.parent_path());
    writeBytes(real, Bytes(card::PAGE_SIZE, 0x5A));
    std::filesystem::create_symlink("emu/card.bin", pcDir / "vmu.bin");
    const std::string before = folderSnapshot(pcDir);
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        screen.events.clear();
        screen.saveAnswers = {pcDir / "vmu.bin"};
        screen.boxAnswers = {answer};
        EXPECT_EQ(commands->exportPageFile(), answer == BoxAnswer::Yes);
        EXPECT_EQ(boxes(), std::vector<std::string>{
                               "box: " + (pcDir / "vmu.bin").string() + " is a symbolic link to " +
                               real.string() + ".\n\nReplace " + real.string() +
                               "? The link stays. | Export to .DCM file | YesNo | Warning"});
        if (answer == BoxAnswer::No) {
            EXPECT_EQ(screen.texts.status, "Action Cancelled...");
            EXPECT_EQ(folderSnapshot(pcDir), before);
        }
    }
    EXPECT_EQ(screen.texts.status, "Card image written...");
    EXPECT_EQ(std::filesystem::read_symlink(pcDir / "vmu.bin"), "emu/card.bin");
    const card::PageBytes& inFileSystemOrder = loaded().page;
    EXPECT_TRUE(readBytes(real) == Bytes(inFileSystemOrder.begin(), inFileSystemOrder.end()));
}

}  // namespace
}  // namespace quorvane::app::testing
