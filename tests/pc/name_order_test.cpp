// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/name_order.h"

#include <gtest/gtest.h>

namespace quorvane::pc::testing {
namespace {

TEST(NameOrder, AsciiLettersFoldToLowerCaseAndEveryOtherByteComparesAsItself) {
    EXPECT_EQ(compareIgnoringCase("Data", "dATA"), 0);
    EXPECT_LT(compareIgnoringCase("apps", "Data"), 0);
    EXPECT_GT(compareIgnoringCase("WINDOWS", "games"), 0);
    EXPECT_LT(compareIgnoringCase("_x", "Apps"), 0);  // '_' lies between the two cases
    EXPECT_LT(compareIgnoringCase("Data", "DATABASE"), 0);
    EXPECT_GT(compareIgnoringCase("zebra", "ZEB"), 0);
    EXPECT_LT(compareIgnoringCase("Zed", "\xC3\xA9t\xC3\xA9"), 0);  // bytes above 0x7F come last
    EXPECT_TRUE(equalIgnoringCase("GAME.VMS", "game.vms"));
    EXPECT_FALSE(equalIgnoringCase("game", "games"));
    EXPECT_FALSE(equalIgnoringCase("\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"));  // "Été", "été"
}

TEST(NameOrder, ALevelIsSortedWithoutRegardToCaseAndEqualNamesKeepTheirOrder) {
    std::vector<std::filesystem::path> paths{"/d/WINDOWS", "/d/games", "/d/b",  "/d/Data",
                                             "/d/B",       "/d/apps",  "/d/_x", "/d/DATA"};
    sortIgnoringCase(paths);
    EXPECT_EQ(paths,
              (std::vector<std::filesystem::path>{"/d/_x", "/d/apps", "/d/b", "/d/B", "/d/Data",
                                                  "/d/DATA", "/d/games", "/d/WINDOWS"}));
}

}  // namespace
}  // namespace quorvane::pc::testing
