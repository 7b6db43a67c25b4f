// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "app/version.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "json_reader.h"
#include "program_run.h"
#include "support/card_builders.h"
#include "support/files.h"

// quorvane-cli as a user runs it: the built program over a virtual card in a temporary folder,
// its standard input /dev/null unless a test types on a terminal.
namespace quorvane::cli::testing {
namespace {

using quorvane::testing::Bytes;
using quorvane::testing::readBytes;
using quorvane::testing::TempDir;
using quorvane::testing::writeBytes;

const std::filesystem::path PROGRAM = QUORVANE_CLI_PATH;

// The sample page 1 of a new virtual card, as list prints it.
const std::string SAMPLE_LISTING =
    "PUZZLE___SYS  5 blocks\n"
    "  PUZZLE SYSTEM\n"
    "  Puzzle settings and progress\n"
    "  QUORVANE\n"
    "RACEDATA_001  3 blocks\n"
    "  RACE DATA\n"
    "  Lap times of the sample circuit\n"
    "  QUORVANE\n"
    "QUORVANE_001  1 block\n"
    "  QUORVANE SAMPLE1\n"
    "  Sample save made by Quorvane\n"
    "  QUORVANE\n"
    "\n"
    "Blocks Used: 9\n"
    "Blocks Free: 191\n";

const std::string READ_OK = "Memory card read successful.\n";

class CliProgram : public ::testing::Test {
protected:
    TempDir root;
    std::filesystem::path card = root.path() / "card";
    std::filesystem::path pc = root.path() / "pc";
    std::filesystem::path scratch = root.path() / "scratch";

    void SetUp() override {
        ASSERT_TRUE(root.made());
        // The automatic backups of every read go here, not into the user's own folder.
        ::setenv("XDG_DATA_HOME", (root.path() / "data").c_str(), 1);
        std::filesystem::create_directories(pc);
        std::filesystem::create_directories(scratch);
        // The card the window makes on its first start, sample saves on page 1.
        std::filesystem::create_directories(card);
        const std::vector<card::CardOrderPage> pages = adapter::makeSamplePages();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            writeBytes(card / adapter::pageFileName(static_cast<int>(i)),
                       Bytes(pages[i].bytes.begin(), pages[i].bytes.end()));
        }
    }

    ProgramRun run(const std::vector<std::string>& arguments,
                   const std::string& input = "/dev/null") const {
        return runProgram(PROGRAM, arguments, scratch, input);
    }
    // On the test's virtual card.
    ProgramRun onCard(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--virtual-card", card.string()});
        return run(arguments);
    }
    Bytes pageFile(int number) const {
        return readBytes(card / ("page-0" + std::to_string(number) + ".dcm"));
    }
    // The names and sizes that list --json gives for a page.
    std::vector<std::pair<std::string, int>> listed(int page = 1) const {
        const ProgramRun listing = onCard({"list", "--json", "--page", std::to_string(page)});
        EXPECT_EQ(listing.exitStatus, 0) << listing.err;
        const auto json = JsonReader::read(listing.out);
        EXPECT_TRUE(json.has_value()) << listing.out;
        std::vector<std::pair<std::string, int>> files;
        if (json) {
            for (const JsonValue& file : (*json)["files"].items) {
                files.emplace_back(file["name"].string, static_cast<int>(file["blocks"].number));
            }
        }
        return files;
    }
    static std::vector<std::string> folderNames(const std::filesystem::path& folder) {
        return quorvane::testing::fileNamesIn(folder);
    }
};

using Pairs = std::vector<std::pair<std::string, int>>;
const Pairs SAMPLE_FILES{{"PUZZLE___SYS", 5}, {"RACEDATA_001", 3}, {"QUORVANE_001", 1}};

TEST_F(CliProgram, ListShowsThePageAsTextAndAsJson) {
    const ProgramRun text = onCard({"list"});
    EXPECT_EQ(text.exitStatus, 0);
    EXPECT_EQ(text.out, SAMPLE_LISTING);
    EXPECT_EQ(text.err, READ_OK);

    const ProgramRun json = onCard({"list", "--json"});
    EXPECT_EQ(json.exitStatus, 0);
    const auto document = JsonReader::read(json.out);
    ASSERT_TRUE(document.has_value()) << json.out;
    EXPECT_EQ((*document)["page"].number, 1);
    EXPECT_EQ((*document)["blocksUsed"].number, 9);
    EXPECT_EQ((*document)["blocksFree"].number, 191);
    const std::vector<JsonValue>& files = (*document)["files"].items;
    ASSERT_EQ(files.size(), 3U);
    EXPECT_EQ(files[1]["name"].string, "RACEDATA_001");
    EXPECT_EQ(files[1]["blocks"].number, 3);
    ASSERT_EQ(files[1]["info"].items.size(), 3U);
    // The header's text fields without the spaces that pad them, as the text listing shows them.
    EXPECT_EQ(files[1]["info"].items[0].string, "RACE DATA");
    EXPECT_EQ(files[1]["info"].items[1].string, "Lap times of the sample circuit");
    EXPECT_EQ(files[1]["info"].items[2].string, "QUORVANE");
    EXPECT_EQ(listed(), SAMPLE_FILES);
    EXPECT_EQ(listed(2), Pairs{});

    // A save with a 16-colour eyecatch after its header: the JSON says it has one.
    auto page = std::make_unique<card::CardOrderPage>();
    const Bytes original = pageFile(2);
    std::copy(original.begin(), original.end(), page->bytes.begin());
    Bytes save(6 * card::BLOCK_SIZE, 0);
    save[0x44] = 3;
    quorvane::testing::addDataToCardPage(*page, "EYECATCH_001", save);
    writeBytes(card / "page-02.dcm", Bytes(page->bytes.begin(), page->bytes.end()));
    const auto second = JsonReader::read(onCard({"list", "--json", "--page", "2"}).out);
    ASSERT_TRUE(second.has_value());
    EXPECT_TRUE((*second)["files"].items.at(0)["eyecatch"].boolean);
}

TEST_F(CliProgram, NamesAndInformationLinesAreEscapedInJsonAndHarmlessOnATerminal) {
    // A page whose file names hold a quote, a backslash, a Latin-1 byte and an escape byte.
    onCard({"pages"});
    auto page = std::make_unique<card::CardOrderPage>();
    const Bytes original = pageFile(2);
    std::copy(original.begin(), original.end(), page->bytes.begin());
    quorvane::testing::addFileToCardPage(*page, "Q\"B\\\xC9", 1);
    quorvane::testing::addFileToCardPage(*page, "ESC\x1B[2J", 1);
    writeBytes(card / "page-02.dcm", Bytes(page->bytes.begin(), page->bytes.end()));

    const ProgramRun json = onCard({"list", "--json", "--page", "2"});
    EXPECT_NE(json.out.find(R"("name": "Q\"B\\)"
                            "\xC3\x89\""),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find(R"("name": "ESC\u001b[2J")"), std::string::npos) << json.out;
    const auto document = JsonReader::read(json.out);
    ASSERT_TRUE(document.has_value()) << json.out;
    EXPECT_EQ((*document)["files"].items[0]["name"].string, "ESC\x1B[2J");
    EXPECT_EQ((*document)["files"].items[1]["name"].string, "Q\"B\\\xC3\x89");

    const ProgramRun text = onCard({"list", "--page", "2"});
    EXPECT_EQ(text.out.find('\x1B'), std::string::npos);
    EXPECT_NE(text.out.find("ESC\xEF\xBF\xBD[2J       1 block\n"), std::string::npos) << text.out;

    // Typed as the list shows it, in UTF-8, the name finds its Latin-1 bytes.
    const ProgramRun saved = onCard({"save", "Q\"B\\\xC3\x89", "--to", pc.string(), "--page", "2"});
    EXPECT_EQ(saved.exitStatus, 0) << saved.err;
    EXPECT_TRUE(std::filesystem::exists(pc / "Q\"B\\\xC3\x89.ddc"));

    // The check lists the name no .ddc can take, as harmlessly.
    const ProgramRun check = onCard({"check", "--page", "2"});
    EXPECT_NE(check.out.find("- ESC\xEF\xBF\xBD[2J (slot 206): its name cannot be used as a PC"),
              std::string::npos)
        << check.out;
    const ProgramRun checkJson = onCard({"check", "--json", "--page", "2"});
    EXPECT_NE(checkJson.out.find(R"("problem": "nameUnusableOnPc")"), std::string::npos);

    // The name that cannot be typed is typed as the list prints it.
    EXPECT_EQ(onCard({"delete", "ESC\xEF\xBF\xBD[2J", "--page", "2", "--yes"}).exitStatus, 0);
    EXPECT_EQ(listed(2), (Pairs{{"Q\"B\\\xC3\x89", 1}}));
}

TEST_F(CliProgram, PagesCountsThePagesOfANewVirtualCard) {
    const ProgramRun pages = onCard({"pages"});
    EXPECT_EQ(pages.exitStatus, 0);
    EXPECT_EQ(pages.out, "4\n");
    EXPECT_EQ(pages.err, "4 pages on this Memory card.\n");
    EXPECT_EQ(folderNames(card), (std::vector<std::string>{"page-01.dcm", "page-02.dcm",
                                                           "page-03.dcm", "page-04.dcm"}));
}

TEST_F(CliProgram, SavedFilesComeBackWhole) {
    const ProgramRun save =
        onCard({"save", "PUZZLE___SYS", "RACEDATA_001", "--to", pc.string(), "--page", "1"});
    EXPECT_EQ(save.exitStatus, 0);
    EXPECT_EQ(save.err, READ_OK + "File saved...\nFile saved...\n");
    const Bytes puzzle = readBytes(pc / "PUZZLE___SYS.ddc");
    const Bytes race = readBytes(pc / "RACEDATA_001.ddc");
    // "CFU", 0, the 32-byte entry, then the blocks.
    ASSERT_EQ(puzzle.size(), 4U + 32U + 5U * 512U);
    ASSERT_EQ(race.size(), 4U + 32U + 3U * 512U);
    EXPECT_EQ(std::string(puzzle.begin(), puzzle.begin() + 6), std::string("CFU\0\x33\0", 6));
    EXPECT_EQ(std::string(puzzle.begin() + 8, puzzle.begin() + 20), "PUZZLE___SYS");
    EXPECT_EQ(puzzle[4 + 24], 5);  // the size in blocks

    const ProgramRun remove = onCard({"delete", "PUZZLE___SYS", "RACEDATA_001", "--yes"});
    EXPECT_EQ(remove.exitStatus, 0) << remove.err;
    EXPECT_EQ(listed(), (Pairs{{"QUORVANE_001", 1}}));

    // Of several files, the one that fails is named, with those added before it.
    const std::string raceFile = (pc / "RACEDATA_001.ddc").string();
    const std::string puzzleFile = (pc / "PUZZLE___SYS.ddc").string();
    const std::string missing = (pc / "none.ddc").string();
    const ProgramRun partly = onCard({"add", raceFile, missing, puzzleFile});
    EXPECT_EQ(partly.exitStatus, 1);
    EXPECT_NE(partly.err.find("] File Not Found. (" + missing + ")\n"), std::string::npos);
    EXPECT_TRUE(partly.err.ends_with("quorvane-cli: Not added: " + missing + ". Added before it: " +
                                     raceFile + ". Not tried: " + puzzleFile + ".\n"))
        << partly.err;
    const ProgramRun add = onCard({"add", puzzleFile});
    EXPECT_EQ(add.exitStatus, 0) << add.err;
    EXPECT_EQ(add.err, READ_OK + "Memory card written successfully....\n");
    EXPECT_EQ(onCard({"list"}).out, SAMPLE_LISTING);

    // The blocks and the entry come back as they were, but for where the file now starts.
    std::filesystem::create_directories(pc / "again");
    EXPECT_EQ(onCard({"save", "PUZZLE___SYS", "--to", (pc / "again").string()}).exitStatus, 0);
    Bytes again = readBytes(pc / "again" / "PUZZLE___SYS.ddc");
    ASSERT_EQ(again.size(), puzzle.size());
    std::copy_n(puzzle.begin() + 6, 2, again.begin() + 6);
    EXPECT_TRUE(again == puzzle);
}

TEST_F(CliProgram, AQuestionWithoutYesAndWithoutATerminalIsRefused) {
    onCard({"pages"});
    const Bytes before = pageFile(1);
    const ProgramRun remove = onCard({"delete", "RACEDATA_001"});
    EXPECT_EQ(remove.exitStatus, 1);
    EXPECT_EQ(remove.err, READ_OK +
                              "[Delete file] Are you sure? (RACEDATA_001) [y/n]\n"
                              "Not asked: standard input is not a terminal. Answer Yes with "
                              "--yes.\n"
                              "Action cancelled...\n");
    EXPECT_TRUE(pageFile(1) == before);

    // The import question's lines, without the blank line and spaces that lay out the box.
    writeBytes(pc / "page.dcm", before);
    const ProgramRun import = onCard({"import", (pc / "page.dcm").string(), "--page", "2"});
    EXPECT_EQ(import.exitStatus, 1);
    EXPECT_NE(import.err.find("[Import .DCM file] WARNING!! - All data on the selected page will "
                              "be deleted.\n  Continue? [y/n]\n"),
              std::string::npos)
        << import.err;

    // The file exists: Save File asks before it overwrites.
    writeBytes(pc / "RACEDATA_001.ddc", Bytes{1, 2, 3});
    const ProgramRun save = onCard({"save", "RACEDATA_001", "--to", pc.string()});
    EXPECT_EQ(save.exitStatus, 1);
    EXPECT_NE(save.err.find("[Copy file to PC] File Already exists, Overwrite? "
                            "(RACEDATA_001.ddc) [y/n]\n"),
              std::string::npos)
        << save.err;
    EXPECT_TRUE(readBytes(pc / "RACEDATA_001.ddc") == (Bytes{1, 2, 3}));
}

TEST_F(CliProgram, AQuestionOnATerminalTakesTheAnswerTyped) {
    onCard({"pages"});
    {
        const TypedTerminal terminal("n\n");
        ASSERT_TRUE(terminal.ready());
        const ProgramRun declined =
            run({"--virtual-card", card.string(), "delete", "RACEDATA_001"}, terminal.path());
        EXPECT_EQ(declined.exitStatus, 1);
        EXPECT_EQ(declined.err, READ_OK +
                                    "[Delete file] Are you sure? (RACEDATA_001) [y/n] n\n"
                                    "Action cancelled...\n");
    }
    EXPECT_EQ(listed(), SAMPLE_FILES);
    {
        const TypedTerminal terminal("y\n");
        ASSERT_TRUE(terminal.ready());
        const ProgramRun agreed =
            run({"--virtual-card", card.string(), "delete", "RACEDATA_001"}, terminal.path());
        EXPECT_EQ(agreed.exitStatus, 0);
        EXPECT_EQ(agreed.err,
                  READ_OK + "[Delete file] Are you sure? (RACEDATA_001) [y/n] y\nFile Deleted.\n");
    }
    EXPECT_EQ(listed(), (Pairs{{"PUZZLE___SYS", 5}, {"QUORVANE_001", 1}}));
}

TEST_F(CliProgram, ExitStatusSaysDoneFailedOrCannotBeUsed) {
    EXPECT_EQ(onCard({"list"}).exitStatus, 0);

    // Failed: no adapter at the port, a page the card lacks, a name the page lacks.
    const ProgramRun noAdapter = onCard({"--port", "0x278", "list"});
    EXPECT_EQ(noAdapter.exitStatus, 1);
    EXPECT_EQ(noAdapter.err, "[Connection Error] Connection FAILED.\nConnection FAILED!!!\n");
    EXPECT_EQ(noAdapter.out, "");
    const ProgramRun noPage = onCard({"list", "--page", "5"});
    EXPECT_EQ(noPage.exitStatus, 1);
    EXPECT_EQ(noPage.err, "[Page out of range] There are only 4 pages on this Memory card\n");
    const ProgramRun noName = onCard({"delete", "RACEDATA_001", "NOPE", "--yes"});
    EXPECT_EQ(noName.exitStatus, 1);
    EXPECT_EQ(noName.err, READ_OK + "quorvane-cli: No card file named 'NOPE' on page 1.\n");
    EXPECT_EQ(listed(), SAMPLE_FILES);  // checked before anything is deleted

    // The command line cannot be used: refused before the card is touched.
    std::filesystem::remove_all(card);
    const std::vector<std::pair<std::vector<std::string>, std::string>> unusable{
        {{}, "no command given"},
        {{"lsit"}, "unknown command 'lsit'"},
        {{"list", "--bogus"}, "unknown option '--bogus'"},
        {{"list", "--page", "17"}, "--page takes a page number from 1 to 16, not '17'"},
        {{"list", "--page"}, "--page needs a value"},
        {{"list", "--to", "x"}, "list takes no option --to"},
        {{"list", "extra"}, "list takes no further argument 'extra'"},
        {{"save", "X"}, "save needs --to DIR"},
        {{"delete"}, "delete needs NAME"},
        {{"--port", "lpt1", "pages"},
         "--port takes a port address such as 0x378 or 888, not 'lpt1'"},
        {{"save", "X", "--to", "d", "--format", "vmi"}, "--format takes ddc or vms, not 'vmi'"},
        {{"--image", "card.bin", "list"}, "--image and --virtual-card name two cards; give one"},
    };
    for (const auto& [arguments, error] : unusable) {
        const ProgramRun wrong = onCard(arguments);
        EXPECT_EQ(wrong.exitStatus, 2) << error;
        EXPECT_EQ(wrong.err, "quorvane-cli: " + error + "\nTry 'quorvane-cli --help'.\n");
        EXPECT_EQ(wrong.out, "");
    }
    EXPECT_EQ(onCard({"--port", "0x70", "pages"}).exitStatus, 2);  // the clock's register
    EXPECT_FALSE(std::filesystem::exists(card));
}

TEST_F(CliProgram, BackupHoldsEveryPageAndOpensAsAVirtualCard) {
    // Pages that differ, so that a page in the wrong file shows.
    writeBytes(pc / "extra.ddc", quorvane::testing::ddcBytes("EXTRA", 2));
    EXPECT_EQ(onCard({"add", (pc / "extra.ddc").string(), "--page", "3"}).exitStatus, 0);
    const std::filesystem::path backup = root.path() / "backup" / "today";

    const ProgramRun made = onCard({"backup", "--to", backup.string()});
    EXPECT_EQ(made.exitStatus, 0) << made.err;
    EXPECT_EQ(made.err, "Memory card backed up: 4 pages.\n");
    ASSERT_EQ(folderNames(backup), folderNames(card));
    for (const std::string& name : folderNames(card)) {
        EXPECT_TRUE(readBytes(backup / name) == readBytes(card / name)) << name;
    }

    for (const std::string page : {"1", "3"}) {
        const ProgramRun original = onCard({"list", "--json", "--page", page});
        const ProgramRun reopened =
            run({"--virtual-card", backup.string(), "list", "--json", "--page", page});
        EXPECT_EQ(reopened.exitStatus, 0);
        EXPECT_EQ(reopened.out, original.out);
    }
    EXPECT_EQ(run({"--virtual-card", backup.string(), "pages"}).out, "4\n");

    // A second backup into the same folder replaces it only when told to.
    const ProgramRun asked = onCard({"backup", "--to", backup.string()});
    EXPECT_EQ(asked.exitStatus, 1);
    EXPECT_NE(asked.err.find("[Back up the Memory card] " + backup.string() +
                             " already holds page files.\n  page-01.dcm: replaced.\n  "
                             "page-02.dcm: replaced.\n  page-03.dcm: replaced.\n  page-04.dcm: "
                             "replaced.\n  Replace them with the pages of this Memory card? "
                             "[y/n]\n"),
              std::string::npos)
        << asked.err;
    EXPECT_EQ(onCard({"backup", "--to", backup.string(), "--yes"}).exitStatus, 0);
}

TEST_F(CliProgram, ExportAndImportMoveAWholePage) {
    onCard({"pages"});
    EXPECT_EQ(onCard({"export", (pc / "first").string()}).exitStatus, 0);
    EXPECT_TRUE(readBytes(pc / "first.dcm") == pageFile(1));  // .dcm added, as the dialog does

    // The dialog asks before it replaces the file.
    const ProgramRun again = onCard({"export", (pc / "first.dcm").string(), "--page", "2"});
    EXPECT_EQ(again.exitStatus, 1);
    EXPECT_EQ(again.err, READ_OK + "[Save As] " + (pc / "first.dcm").string() +
                             " already exists.\n  Do you want to replace it? [y/n]\n"
                             "Not asked: standard input is not a terminal. Answer Yes with "
                             "--yes.\nAction Cancelled...\n");
    EXPECT_TRUE(readBytes(pc / "first.dcm") == pageFile(1));

    // A link is named with where it leads, once; --yes writes through it and the link stays.
    std::filesystem::create_symlink("first.dcm", pc / "link.dcm");
    const ProgramRun throughLink = onCard({"export", (pc / "link.dcm").string(), "--page", "2"});
    EXPECT_EQ(throughLink.exitStatus, 1);
    EXPECT_EQ(throughLink.err, READ_OK + "[Export to .DCM file] " + (pc / "link.dcm").string() +
                                   " is a symbolic link to " + (pc / "first.dcm").string() +
                                   ".\n  Replace " + (pc / "first.dcm").string() +
                                   "? The link stays. [y/n]\nNot asked: standard input is not a "
                                   "terminal. Answer Yes with --yes.\nAction Cancelled...\n");
    EXPECT_TRUE(readBytes(pc / "first.dcm") == pageFile(1));
    EXPECT_EQ(onCard({"export", (pc / "link.dcm").string(), "--page", "2", "--yes"}).exitStatus, 0);
    EXPECT_TRUE(readBytes(pc / "first.dcm") == pageFile(2));
    EXPECT_TRUE(std::filesystem::is_symlink(pc / "link.dcm"));
    writeBytes(pc / "first.dcm", pageFile(1));

    const ProgramRun import =
        onCard({"import", (pc / "first.dcm").string(), "--page", "2", "--yes"});
    EXPECT_EQ(import.exitStatus, 0) << import.err;
    EXPECT_TRUE(pageFile(2) == pageFile(1));
    EXPECT_EQ(listed(2), SAMPLE_FILES);
}

TEST_F(CliProgram, CheckReportsLostBlocksAsTextAndAsJson) {
    const ProgramRun clean = onCard({"check"});
    EXPECT_EQ(clean.exitStatus, 0);
    EXPECT_EQ(clean.out,
              "Check of page 1\n\n"
              "The page is clean: its directory, its FAT and every file's chain agree.\n");

    // Block 10 taken in the FAT by no file.
    const Bytes original = pageFile(1);
    auto cardImage = std::make_unique<card::CardOrderPage>();
    auto pageImage = std::make_unique<card::PageBytes>();
    std::copy(original.begin(), original.end(), cardImage->bytes.begin());
    card::cardToPage(*cardImage, *pageImage);
    card::setFatEntry(*pageImage, 10, card::FAT_END);
    card::pageToCard(*pageImage, *cardImage);
    writeBytes(card / "page-01.dcm", Bytes(cardImage->bytes.begin(), cardImage->bytes.end()));

    const ProgramRun text = onCard({"check"});
    EXPECT_EQ(text.exitStatus, 0);
    EXPECT_EQ(text.out,
              "Check of page 1\n\n"
              "The page:\n"
              "- 1 user blocks are taken in the FAT by no file (lost blocks): 10.\n"
              "- Blocks Free says 191, but the FAT leaves an add only 190 (1 fewer).\n");
    const ProgramRun json = onCard({"check", "--json"});
    const auto document = JsonReader::read(json.out);
    ASSERT_TRUE(document.has_value()) << json.out;
    EXPECT_FALSE((*document)["clean"].boolean);
    ASSERT_EQ((*document)["lostBlocks"].items.size(), 1U);
    EXPECT_EQ((*document)["lostBlocks"].items[0].number, 10);
    EXPECT_EQ((*document)["freeShown"].number, 191);
    EXPECT_EQ((*document)["freeInFat"].number, 190);
    EXPECT_TRUE((*document)["findings"].items.empty());
}

TEST_F(CliProgram, HelpAndVersionNeedNoCard) {
    const ProgramRun version = run({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("quorvane-cli " + std::string(app::VERSION) +
                                    "\nLicense GPL-3.0-or-later: GNU GPL version 3 or later",
                                0),
              0U);

    const ProgramRun help = run({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("Usage: quorvane-cli [OPTIONS] COMMAND [ARGUMENTS]\n", 0), 0U);
    for (const char* command : {"pages", "list", "check", "save", "save-all", "add", "delete",
                                "delete-all", "export", "import", "backup", "create", "help"}) {
        EXPECT_NE(help.out.find("\n  " + std::string(command) + " "), std::string::npos) << command;
        const ProgramRun asHelp = run({"help", command});
        const ProgramRun asOption = run({command, "--help"});
        EXPECT_EQ(asHelp.exitStatus, 0);
        EXPECT_EQ(asOption.exitStatus, 0);
        EXPECT_EQ(asHelp.out, asOption.out);
        EXPECT_EQ(asHelp.out.rfind("Usage: quorvane-cli ", 0), 0U) << command;
        const std::string usage = asHelp.out.substr(0, asHelp.out.find('\n')) + " ";
        EXPECT_NE(usage.find(" " + std::string(command) + " "), std::string::npos) << usage;
    }
    EXPECT_EQ(run({"help", "nothing"}).exitStatus, 2);
    EXPECT_EQ(run({"--virtual-card", (root.path() / "absent").string(), "--help"}).exitStatus, 0);
    EXPECT_FALSE(std::filesystem::exists(root.path() / "absent"));
#ifdef QUORVANE_PATH
    // Every option of the window's help is in its manual page and the README.
    const std::string windowHelp = runProgram(QUORVANE_PATH, {"--help"}, scratch).out;
    const std::filesystem::path source = QUORVANE_SOURCE_DIR;
    const std::string manual = readText(source / "packaging" / "quorvane.1");
    const std::string readme = readText(source / "README.md");
    const std::regex option("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(windowHelp.begin(), windowHelp.end(), option);
         it != std::sregex_iterator(); ++it) {
        EXPECT_NE(manual.find(std::regex_replace(it->str(), std::regex("-"), "\\-")),
                  std::string::npos)
            << it->str();
        EXPECT_NE(readme.find("`" + it->str()), std::string::npos) << it->str();
    }
    // A command line the window cannot use ends it with 2, as it ends quorvane-cli.
    for (const char* wrong : {"--virtual-card", "--bogus", "card.vmu"}) {
        EXPECT_EQ(runProgram(QUORVANE_PATH, {wrong}, scratch).exitStatus, 2) << wrong;
    }
#endif
}

TEST_F(CliProgram, SaveAllAndPairsComeBackAsTheyWent) {
    const std::filesystem::path all = pc / "all";
    const ProgramRun ddc = onCard({"save-all", "--to", all.string()});
    EXPECT_EQ(ddc.exitStatus, 0) << ddc.err;
    const std::vector<std::string> ddcNames{"PUZZLE___SYS.ddc", "QUORVANE_001.ddc",
                                            "RACEDATA_001.ddc"};
    EXPECT_EQ(folderNames(all), ddcNames);
    EXPECT_TRUE(readBytes(all / "RACEDATA_001.ddc").size() == 4U + 32U + 3U * 512U);
    // Nothing already there is replaced: the second run takes numbered names.
    const Bytes first = readBytes(all / "RACEDATA_001.ddc");
    EXPECT_EQ(onCard({"save-all", "--to", all.string()}).exitStatus, 0);
    EXPECT_EQ(folderNames(all).size(), 6U);
    EXPECT_TRUE(readBytes(all / "RACEDATA_001 (2).ddc") == first);

    const std::filesystem::path pairs = pc / "pairs";
    const ProgramRun vms = onCard({"save-all", "--to", pairs.string(), "--format", "vms"});
    EXPECT_EQ(vms.exitStatus, 0) << vms.err;
    EXPECT_EQ(folderNames(pairs),
              (std::vector<std::string>{"PUZZLE__.vmi", "PUZZLE__.vms", "QUORVANE.vmi",
                                        "QUORVANE.vms", "RACEDATA.vmi", "RACEDATA.vms"}));

    // One pair by name: the same bytes as Save All wrote, and asked before it is replaced.
    const std::filesystem::path one = pc / "one";
    const ProgramRun saved =
        onCard({"save", "RACEDATA_001", "--to", one.string(), "--format", "vms"});
    EXPECT_EQ(saved.exitStatus, 0) << saved.err;
    EXPECT_EQ(saved.err, READ_OK + "File saved...\n");
    EXPECT_TRUE(readBytes(one / "RACEDATA.vms") == readBytes(pairs / "RACEDATA.vms"));
    EXPECT_TRUE(readBytes(one / "RACEDATA.vmi") == readBytes(pairs / "RACEDATA.vmi"));
    EXPECT_EQ(readBytes(one / "RACEDATA.vmi").size(), 108U);
    const ProgramRun replaced =
        onCard({"save", "RACEDATA_001", "--to", one.string(), "--format", "vms"});
    EXPECT_EQ(replaced.exitStatus, 1);
    EXPECT_NE(replaced.err.find("Overwrite? (RACEDATA.vms, RACEDATA.vmi) [y/n]\nNot asked"),
              std::string::npos)
        << replaced.err;

    // Added back, the pair gives the same name and size.
    EXPECT_EQ(onCard({"delete", "RACEDATA_001", "--yes"}).exitStatus, 0);
    const ProgramRun added = onCard({"add", (one / "RACEDATA.vms").string()});
    EXPECT_EQ(added.exitStatus, 0) << added.err;
    Pairs files = listed();
    std::sort(files.begin(), files.end());
    Pairs expected = SAMPLE_FILES;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
}

TEST_F(CliProgram, CopyAndMoveWriteTheOtherCardFirstAndRefuseBeforeWritingEither) {
    const ProgramRun copied = onCard({"copy", "RACEDATA_001", "PUZZLE___SYS", "--to-page", "2"});
    EXPECT_EQ(copied.exitStatus, 0) << copied.err;
    EXPECT_EQ(listed(2), (Pairs{{"PUZZLE___SYS", 5}, {"RACEDATA_001", 3}}));
    EXPECT_EQ(listed(1), SAMPLE_FILES);

    // Names already there: asked about, and without an answer neither page changes.
    const Bytes page1 = pageFile(1);
    const Bytes page2 = pageFile(2);
    const ProgramRun taken = onCard({"move", "RACEDATA_001", "--to-page", "2"});
    EXPECT_EQ(taken.exitStatus, 1);
    EXPECT_NE(taken.err.find("A file named RACEDATA_001 is already on this page. Replace it?"),
              std::string::npos)
        << taken.err;
    EXPECT_TRUE(pageFile(1) == page1 && pageFile(2) == page2);

    // Moved to an image: there first, then gone from the page.
    const std::filesystem::path image = pc / "other.bin";
    ASSERT_EQ(onCard({"--page", "3", "export", image.string()}).exitStatus, 0);
    const ProgramRun moved =
        onCard({"--yes", "move", "QUORVANE_001", "RACEDATA_001", "--to-image", image.string()});
    EXPECT_EQ(moved.exitStatus, 0) << moved.err;
    const std::string onImage = run({"--image", image.string(), "list"}).out;
    EXPECT_NE(onImage.find("QUORVANE_001  1 block\n"), std::string::npos) << onImage;
    EXPECT_NE(onImage.find("RACEDATA_001  3 blocks\n"), std::string::npos) << onImage;
    EXPECT_EQ(listed(1), (Pairs{{"PUZZLE___SYS", 5}}));
}

TEST_F(CliProgram, ACardImageIsAOnePageCardSavedBackToItsFile) {
    onCard({"pages"});
    const std::filesystem::path image = pc / "card.bin";
    const ProgramRun exported = onCard({"export", image.string()});
    EXPECT_EQ(exported.exitStatus, 0);
    EXPECT_EQ(exported.err, READ_OK + "Card image written...\n");
    ASSERT_EQ(readBytes(image).size(), 131072U);
    EXPECT_FALSE(readBytes(image) == pageFile(1));  // raw order, not the .dcm's

    const ProgramRun pages = run({"--image", image.string(), "pages"});
    EXPECT_EQ(pages.out, "1\n");
    EXPECT_EQ(run({"--image", image.string(), "list", "--page", "2"}).err,
              "[Page out of range] There is only one page on this Memory card\n");
    EXPECT_EQ(run({"--image", image.string(), "list"}).out, SAMPLE_LISTING);
    const ProgramRun removed = run({"--image", image.string(), "--yes", "delete", "QUORVANE_001"});
    EXPECT_EQ(removed.exitStatus, 0) << removed.err;
    const ProgramRun json = run({"--image", image.string(), "list", "--json"});
    const auto document = JsonReader::read(json.out);
    ASSERT_TRUE(document.has_value()) << json.out;
    EXPECT_EQ((*document)["files"].items.size(), 2U);

    // A .dcm renamed .bin reads as a card only in the other order: taken so when agreed.
    const std::filesystem::path renamed = pc / "renamed.bin";
    writeBytes(renamed, pageFile(1));
    const ProgramRun taken = run({"--image", renamed.string(), "--yes", "list"});
    EXPECT_EQ(taken.exitStatus, 0) << taken.err;
    EXPECT_EQ(taken.out, SAMPLE_LISTING);
    EXPECT_NE(taken.err.find("[Card image] renamed.bin reads as a formatted card only in the "
                             "other byte order"),
              std::string::npos)
        << taken.err;

    writeBytes(pc / "short.bin", Bytes(100, 0));
    const ProgramRun refused = run({"--image", (pc / "short.bin").string(), "list"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("is not a card image: a card image holds exactly 131072 bytes."),
              std::string::npos)
        << refused.err;
    // The reason on the same line: a script reads one line a message.
    const ProgramRun missing = run({"--image", (pc / "missing.bin").string(), "list"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err.rfind("quorvane-cli: Cannot read ", 0), 0U) << missing.err;
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
    EXPECT_EQ(refused.out, "");
}

TEST_F(CliProgram, EveryPageReadIsKeptOnceInTheBackupsFolder) {
    EXPECT_EQ(onCard({"list"}).exitStatus, 0);
    EXPECT_EQ(onCard({"list"}).exitStatus, 0);  // the same bytes: no second backup
    const std::filesystem::path backups = root.path() / "data" / "quorvane" / "backups";
    const std::vector<std::string> kept = folderNames(backups);
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_TRUE(kept[0].ends_with("_page-01.dcm")) << kept[0];
    EXPECT_TRUE(readBytes(backups / kept[0]) == pageFile(1));

    // No folder for them: the box says why right after where, a line each.
    std::filesystem::remove_all(backups);
    writeBytes(backups, {1});
    EXPECT_EQ(onCard({"list"}).err, "[Backup] No backup of page 1 was taken:\n  " +
                                        backups.string() +
                                        ":\n  Not a directory\n  The page was read all the "
                                        "same.\n" +
                                        READ_OK);
}

// A refused command says why and leaves the card and every PC file as they were; a file that
// cannot be used is told before any question about it.
TEST_F(CliProgram, RefusedCommandsSayWhyAndChangeNothing) {
    const card::PageBytes blank{};
    writeBytes(pc / "blank.dcm", Bytes(blank.begin(), blank.end()));
    writeBytes(pc / "huge.dcm", {});
    std::filesystem::resize_file(pc / "huge.dcm", 2147483648ULL);  // sparse
    ASSERT_EQ(::mkfifo((pc / "fifo.dcm").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", pc / "zero.bin");
    writeBytes(pc / "renamed.bin", pageFile(1));
    const std::string absent = (root.path() / "absent").string();
    const std::string unreadable = (root.path() / "mem.ddc").string();
    std::filesystem::create_symlink("/proc/self/mem", unreadable);  // a read at 0 fails
    const struct {
        std::vector<std::string> arguments;
        std::string told;
    } cases[] = {
        {{"--virtual-card", card.string(), "import", (pc / "none.dcm").string()},
         "File Not Found.\n  " + (pc / "none.dcm").string() + ":\n  No such file or directory\n"},
        {{"--virtual-card", card.string(), "import", "/dev/zero"}, "not a file but a folder"},
        {{"--virtual-card", card.string(), "add", unreadable},
         "] The file could not be read. (" + unreadable + ")\n"},
        {{"--virtual-card", card.string(), "import", (pc / "fifo.dcm").string()},
         "not a file but a folder"},
        {{"--virtual-card", card.string(), "import", (pc / "huge.dcm").string()},
         "holds 2147483648 bytes, more than one card; only its first 131072 would be written."},
        {{"--virtual-card", card.string(), "import", (pc / "blank.dcm").string()},
         "is not a formatted card; the card would need formatting on the console."},
        {{"--virtual-card", absent, "list"},
         "does not exist or is empty. Make a card there with the create command"},
        {{"--image", (pc / "fifo.dcm").string(), "list"}, "it is a folder, a device or a FIFO"},
        {{"--image", (pc / "zero.bin").string(), "list"}, "it is a folder, a device or a FIFO"},
        {{"--image", (pc / "renamed.bin").string(), "list"},
         "reads as a formatted card only in the other byte order and was not taken"},
        {{"--image", (pc / "blank.dcm").string(), "list"},
         "[Read Memory Card] This page is not formatted.\nThis page is not formatted.\n"},
        {{"--virtual-card", card.string(), "format", "--page", "2"},
         "[Format Page] Format page 2? Every file on it will be lost. [y/n]\nNot asked"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.arguments.back());
        const auto cardBefore = quorvane::testing::folderSnapshot(card);
        const auto pcBefore = quorvane::testing::folderSnapshot(pc);
        const ProgramRun refused = run(row.arguments);
        EXPECT_EQ(refused.exitStatus, 1);
        EXPECT_NE(refused.err.find(row.told), std::string::npos) << refused.err;
        EXPECT_EQ(refused.err.find("WARNING!!"), std::string::npos) << refused.err;
        EXPECT_TRUE(quorvane::testing::folderSnapshot(card) == cardBefore);
        EXPECT_TRUE(quorvane::testing::folderSnapshot(pc) == pcBefore);
    }
    EXPECT_FALSE(std::filesystem::exists(absent));

    // create makes an empty card, and only where nothing is.
    EXPECT_EQ(run({"--virtual-card", absent, "create"}).exitStatus, 0);
    EXPECT_EQ(run({"--virtual-card", absent, "pages"}).out, "4\n");
    EXPECT_EQ(run({"--virtual-card", absent, "list"}).out,
              "No files.\n\nBlocks Used: 0\n"
              "Blocks Free: 200\n");
    EXPECT_EQ(onCard({"create"}).exitStatus, 1);
    EXPECT_EQ(run({"create"}).exitStatus, 2);
}

TEST_F(CliProgram, NewImagesAndAFormattedPageAreEmptyCleanCards) {
    const std::string empty = "No files.\n\nBlocks Used: 0\nBlocks Free: 200\n";
    for (const char* name : {"new.dcm", "new.bin"}) {
        const std::string image = (pc / name).string();
        const ProgramRun made = run({"new-image", image});
        EXPECT_EQ(made.exitStatus, 0) << made.err;
        EXPECT_EQ(made.err, "Card image written...\n");
        EXPECT_EQ(readBytes(image).size(), 131072U);
        EXPECT_EQ(run({"--image", image, "list"}).out, empty);
        EXPECT_NE(run({"--image", image, "check"}).out.find("The page is clean"),
                  std::string::npos);
    }
    const ProgramRun formatted = onCard({"--yes", "format"});
    EXPECT_EQ(formatted.exitStatus, 0) << formatted.err;
    EXPECT_TRUE(formatted.err.ends_with("Page formatted.\n")) << formatted.err;
    EXPECT_EQ(onCard({"list"}).out, empty);
}

// Two programs on one card: the second is refused while the first holds it, so an add that
// says it was done is on the card, whatever ran beside it.
TEST_F(CliProgram, TwoProgramsAtOnceLoseNoFileThatWasSaidToBeAdded) {
    std::string script;
    for (const char* loop : {"A", "B"}) {
        script +=
            "(for n in 0 1 2 3 4 5 6 7 8 9 10 11; do \"$0\" --virtual-card \"$1\" add "
            "\"$2/" +
            std::string(loop) + "$n.ddc\" --page 2 && echo " + loop + "$n >>\"$2/added\"; done) & ";
        for (int n = 0; n < 12; ++n) {
            const std::string name = loop + std::to_string(n);
            writeBytes(pc / (name + ".ddc"), quorvane::testing::ddcBytes(name, 1));
        }
    }
    script += "wait";
    const ProgramRun both = runProgram(
        "/bin/sh", {"-c", script, PROGRAM.string(), card.string(), pc.string()}, scratch);
    EXPECT_EQ(both.exitStatus, 0) << both.err;
    const std::string added = readText(pc / "added");
    const Pairs listing = listed(2);
    int count = 0;
    for (std::size_t at = 0; at < added.size(); at = added.find('\n', at) + 1) {
        const std::string name = added.substr(at, added.find('\n', at) - at);
        ++count;
        EXPECT_NE(std::find(listing.begin(), listing.end(), std::pair(name, 1)), listing.end())
            << name << " was said to be added";
    }
    EXPECT_EQ(static_cast<std::size_t>(count), listing.size());
    EXPECT_GT(count, 0);
}

// A card this user may not write is read-only: it lists and saves to the PC, and every edit is
// refused before it changes anything. Run as an unprivileged user where the test is root.
TEST_F(CliProgram, ACardTheUserMayNotWriteIsReadOnly) {
    std::vector<std::string> asUser;
    // A copy the other user can run wherever the build folder is (root's home, say).
    std::filesystem::path program = PROGRAM;
    if (::geteuid() == 0) {
        asUser = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        ASSERT_TRUE(std::filesystem::exists(asUser.front()));
        program = root.path() / "quorvane-cli";
        std::filesystem::copy_file(PROGRAM, program);
    }
    const std::filesystem::path image = pc / "card.bin";
    ASSERT_EQ(onCard({"export", image.string()}).exitStatus, 0);
    std::filesystem::create_directories(root.path() / "data");
    std::filesystem::create_directories(pc / "saves");
    for (const auto& open : {root.path(), pc, root.path() / "data", pc / "saves", scratch}) {
        std::filesystem::permissions(open, std::filesystem::perms::all);
    }
    std::filesystem::permissions(card, std::filesystem::perms(0555));
    std::filesystem::permissions(image, std::filesystem::perms(0444));
    for (const auto& where : std::vector<std::vector<std::string>>{
             {"--image", image.string()}, {"--virtual-card", card.string()}}) {
        SCOPED_TRACE(where.front());
        const auto runAsUser = [&](const std::vector<std::string>& arguments) {
            std::vector<std::string> words(asUser.begin() + (asUser.empty() ? 0 : 1), asUser.end());
            if (!asUser.empty()) {
                words.push_back(program.string());
            }
            words.insert(words.end(), where.begin(), where.end());
            words.insert(words.end(), arguments.begin(), arguments.end());
            return runProgram(asUser.empty() ? PROGRAM : std::filesystem::path(asUser.front()),
                              words, scratch);
        };
        const auto before = quorvane::testing::folderSnapshot(card);
        const Bytes imageBefore = readBytes(image);
        EXPECT_EQ(runAsUser({"list"}).out, SAMPLE_LISTING);
        const ProgramRun saved =
            runAsUser({"save", "RACEDATA_001", "--to", (pc / "saves").string()});
        EXPECT_EQ(saved.exitStatus, 0) << saved.err;
        for (const std::vector<std::string>& edit :
             {std::vector<std::string>{"--yes", "delete", "RACEDATA_001"},
              {"--yes", "delete-all"},
              {"add", (pc / "saves" / "RACEDATA_001.ddc").string()},
              {"--yes", "import", image.string()}}) {
            const ProgramRun refused = runAsUser(edit);
            EXPECT_EQ(refused.exitStatus, 1) << edit[1];
            EXPECT_NE(refused.err.find("The card is read-only: "), std::string::npos)
                << refused.err;
        }
        EXPECT_TRUE(quorvane::testing::folderSnapshot(card) == before);
        EXPECT_TRUE(readBytes(image) == imageBefore);
        EXPECT_EQ(std::filesystem::status(image).permissions(), std::filesystem::perms(0444));
        std::filesystem::remove(pc / "saves" / "RACEDATA_001.ddc");
    }
    std::filesystem::permissions(card, std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace quorvane::cli::testing
