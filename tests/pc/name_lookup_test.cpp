// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/name_lookup.h"

#include "support/temp_folder.h"

namespace quorvane::pc::testing {
namespace {

using namespace quorvane::testing;

class NameLookup : public quorvane::testing::TempFolder {};

TEST_F(NameLookup, PartnerIsFoundWithoutRegardToCaseButAnExactNameWins) {
    write("Game.VMI", {});
    EXPECT_EQ(findEntryIgnoringCase(folder, "game.vmi"), folder / "Game.VMI");
    EXPECT_EQ(findEntryIgnoringCase(folder, "game.vms"), std::nullopt);
    write("game.vmi", {});
    EXPECT_EQ(findEntryIgnoringCase(folder, "game.vmi"), folder / "game.vmi");
    EXPECT_EQ(findEntryIgnoringCase(folder / "absent", "game.vmi"), std::nullopt);
}

// The smallest is made neither first nor last, so a folder that lists its entries in the order
// they were made, or the reverse, would not give it first or last.
TEST_F(NameLookup, OfSeveralNamesEqualWithoutRegardToCaseTheSmallestInByteOrderWins) {
    write("Game.vms", {});
    write("GAME.VMS", {});
    write("game.VMS", {});
    EXPECT_EQ(findEntryIgnoringCase(folder, "game.vms"), folder / "GAME.VMS");
    EXPECT_EQ(findEntryIgnoringCase(folder, "Game.vms"), folder / "Game.vms");

    std::filesystem::create_directory(folder / "Data");
    EXPECT_EQ(findEntryIgnoringCase(folder, "DATA"), folder / "Data");
}

TEST_F(NameLookup, ADanglingLinkIsNeverChosen) {
    std::filesystem::create_symlink("missing", folder / "SAVE.VMI");
    write("save.VMI", {});
    EXPECT_EQ(findEntryIgnoringCase(folder, "save.vmi"), folder / "save.VMI");
    EXPECT_EQ(findEntryIgnoringCase(folder, "SAVE.VMI"), folder / "save.VMI");
}

TEST_F(NameLookup, OnlyAsciiLettersAreFolded) {
    std::filesystem::create_directory(folder / "\xC3\x89t\xC3\xA9");  // "Été"
    EXPECT_EQ(findEntryIgnoringCase(folder, "\xC3\x89T\xC3\xA9"), folder / "\xC3\x89t\xC3\xA9");
    EXPECT_EQ(findEntryIgnoringCase(folder, "\xC3\xA9t\xC3\xA9"), std::nullopt);  // "été"
}

}  // namespace
}  // namespace quorvane::pc::testing
