// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace quorvane::cli {
namespace {

ParsedCommandLine parse(const std::vector<std::string>& arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, OptionsGoBeforeOrAfterTheCommand) {
    const ParsedCommandLine parsed = parse({"--virtual-card", "/tmp/card", "save", "A", "--to=out",
                                            "B", "--page", "3", "--yes", "--format", "ddc"});
    ASSERT_EQ(parsed.usageError, "");
    const Invocation& invocation = parsed.invocation;
    EXPECT_EQ(invocation.command, Command::Save);
    EXPECT_EQ(invocation.virtualCard, std::filesystem::path("/tmp/card"));
    EXPECT_EQ(invocation.to, std::filesystem::path("out"));
    EXPECT_EQ(invocation.page, 3);
    EXPECT_TRUE(invocation.yes);
    EXPECT_EQ(invocation.format, SaveFormat::Ddc);
    EXPECT_EQ(invocation.operands, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(invocation.port, 0);  // the organiser's own
}

TEST(CommandLine, NamesThatLookLikeOptionsFollowADoubleDash) {
    const ParsedCommandLine parsed = parse({"delete", "--", "--ODD--", "-"});
    ASSERT_EQ(parsed.usageError, "");
    EXPECT_EQ(parsed.invocation.operands, (std::vector<std::string>{"--ODD--", "-"}));
}

TEST(CommandLine, PortsAreWrittenInHexOrDecimal) {
    EXPECT_EQ(parse({"--port", "0x278", "pages"}).invocation.port, 0x278);
    EXPECT_EQ(parse({"--port=0X3bc", "pages"}).invocation.port, 0x3BC);
    EXPECT_EQ(parse({"--port", "888", "pages"}).invocation.port, 0x378);
    for (const char* wrong : {"", "0x", "0", "0xFFFF", "65536", "-1", "+888", "0x37g", " 888"}) {
        EXPECT_NE(parse({"--port", wrong, "pages"}).usageError, "") << wrong;
    }
}

// The kernel lists parport0 at 0x378 and parport1, a card's port, at 0xD010.
class KernelPorts : public quorvane::testing::TempFolder {
protected:
    ParsedCommandLine parsePort(const std::string& port) const {
        for (const auto& [name, bases] :
             {std::pair{"parport0", "888\t1912\n"}, std::pair{"parport1", "53264\t53248\n"}}) {
            std::filesystem::create_directories(paths.procParport / name);
            std::ofstream(paths.procParport / name / "base-addr") << bases;
        }
        return parseCommandLine(std::vector<std::string>{"--port", port, "pages"}, paths);
    }
    link::PortPaths paths{folder / "proc", folder / "dev", false};
    std::string dev = (folder / "dev").string();
};

TEST_F(KernelPorts, OnlyTheSixAddressesAndTheKernelsPortsAreTaken) {
    for (const auto& [value, base] :
         std::vector<std::pair<std::string, std::uint16_t>>{{"0x268", 0x268},
                                                            {"620", 0x26C},
                                                            {"0x278", 0x278},
                                                            {"0x27c", 0x27C},
                                                            {"0x378", 0x378},
                                                            {"956", 0x3BC},
                                                            {"53264", 0xD010},
                                                            {dev + "/parport1", 0xD010}}) {
        EXPECT_EQ(parsePort(value).invocation.port, base) << value;
    }
    // The clock, the interrupt controller, a serial port, the ECP registers, beyond 16 bits.
    for (const std::string& wrong : std::vector<std::string>{
             "0x70", "0x20", "0x3f8", "1912", "65536", "/dev/parport9", dev + "/parport2"}) {
        EXPECT_EQ(parsePort(wrong).usageError,
                  "--port takes 0x268, 0x26C, 0x278, 0x27C, 0x378 or 0x3BC, or a parallel port "
                  "the kernel lists (0x378 or " +
                      dev + "/parport0, 0xD010 or " + dev + "/parport1), not '" + wrong + "'");
    }
}

TEST(CommandLine, PagesRunFromOneToSixteen) {
    EXPECT_EQ(parse({"list", "--page", "1"}).invocation.page, 1);
    EXPECT_EQ(parse({"list", "--page", "16"}).invocation.page, 16);
    EXPECT_EQ(parse({"list"}).invocation.page, 1);
    for (const char* wrong : {"0", "17", "-1", "1.5", "one", "", "99999999999999999999"}) {
        EXPECT_EQ(parse({"list", "--page", wrong}).usageError,
                  "--page takes a page number from 1 to 16, not '" + std::string(wrong) + "'");
    }
}

TEST(CommandLine, HelpIsForTheProgramOrOneCommand) {
    EXPECT_TRUE(parse({"--help"}).invocation.help);
    EXPECT_EQ(parse({"--help"}).invocation.command, std::nullopt);
    const ParsedCommandLine listHelp = parse({"list", "--help", "--to", "x"});
    EXPECT_EQ(listHelp.usageError, "");  // help needs nothing else to be right
    EXPECT_EQ(listHelp.invocation.command, Command::List);
    EXPECT_EQ(parse({"help", "delete-all"}).invocation.helpTopic, Command::DeleteAll);
    EXPECT_EQ(parse({"help"}).invocation.helpTopic, std::nullopt);
    EXPECT_EQ(parse({"help", "frobnicate"}).usageError, "unknown command 'frobnicate'");
    EXPECT_EQ(parse({"help", "list", "check"}).usageError,
              "help takes no further argument 'check'");
    EXPECT_EQ(commandName(Command::DeleteAll), "delete-all");
    EXPECT_EQ(commandHelp(Command::Backup).rfind("Usage: quorvane-cli [OPTIONS] backup", 0), 0U);
}

TEST(CommandLine, WhatCannotBeUsedIsSaidInWords) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "no command given"},
        {{"--yes"}, "no command given"},
        {{"lsit"}, "unknown command 'lsit'"},
        {{"list", "-p", "2"}, "unknown option '-p'"},
        {{"list", "--json=yes"}, "unknown option '--json=yes'"},
        {{"list", "--page", "2", "--page", "3"}, "--page is given twice"},
        {{"pages", "--page", "2"}, "pages takes no option --page"},
        {{"backup", "--to", "d", "--page", "2"}, "backup takes no option --page"},
        {{"check", "--format", "ddc"}, "check takes no option --format"},
        {{"add", "--json", "x.ddc"}, "add takes no option --json"},
        {{"add"}, "add needs FILE"},
        {{"export"}, "export needs FILE"},
        {{"export", "a.dcm", "b.dcm"}, "export takes no further argument 'b.dcm'"},
        {{"new-image"}, "new-image needs FILE"},
        {{"new-image", "a.dcm", "--page", "2"}, "new-image takes no option --page"},
        {{"format", "A"}, "format takes no further argument 'A'"},
        {{"save", "A"}, "save needs --to DIR"},
        {{"save-all"}, "save-all needs --to DIR"},
        {{"backup"}, "backup needs --to DIR"},
        {{"list", "--virtual-card"}, "--virtual-card needs a value"},
        {{"save", "A", "--to", "d", "--format", "vmi"}, "--format takes ddc or vms, not 'vmi'"},
        {{"copy", "A"}, "copy needs --to-page N or --to-image FILE (one of them)"},
        {{"move", "A", "--to-page", "2", "--to-image", "c.bin"},
         "move needs --to-page N or --to-image FILE (one of them)"},
        {{"move", "A", "--page", "3", "--to-page", "3"},
         "move: the files are on page 3 already; name another page with --to-page"},
        {{"list", "--to-page", "2"}, "list takes no option --to-page"},
    };
    for (const auto& [arguments, error] : cases) {
        EXPECT_EQ(parse(arguments).usageError, error) << error;
    }
}

TEST(CommandLine, WhatIsNotThereYetStillParses) {
    const ParsedCommandLine image = parse({"--image", "card.dcm", "list"});
    EXPECT_EQ(image.usageError, "");
    EXPECT_EQ(image.invocation.image, std::filesystem::path("card.dcm"));
    const ParsedCommandLine vms = parse({"save", "A", "--to", "d", "--format", "vms"});
    EXPECT_EQ(vms.usageError, "");
    EXPECT_EQ(vms.invocation.format, SaveFormat::Vms);
    EXPECT_EQ(parse({"save-all", "--to", "d"}).invocation.command, Command::SaveAll);
}

}  // namespace
}  // namespace quorvane::cli
