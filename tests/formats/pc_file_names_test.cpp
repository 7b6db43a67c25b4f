// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/pc_file_names.h"

#include <gtest/gtest.h>

#include <set>

#include "formats/vmi_vms.h"

namespace quorvane::formats::testing {
namespace {

using namespace std::string_literals;

NameTaken takenFrom(const std::set<std::string>& names) {
    return [names](const std::string& name) { return names.count(name) != 0; };
}

// Every name is taken but those of the pair `name`.
NameTaken allBut(const std::string& name) {
    return [name](const std::string& fileName) {
        return fileName != name + ".vmi" && fileName != name + ".vms";
    };
}

TEST(PcFileName, CardNameMustStayInItsFolderAndHoldNoControlByte) {
    for (const std::string& name :
         {"RACEDATA_001"s, "..."s, ".hidden"s, "A B"s, "\xC9T\xC9"s, "A\xA0\xFF"s}) {
        EXPECT_TRUE(usableAsPcFileName(name)) << name;
    }
    // C1 controls (0x9B a terminal's CSI) and the soft hyphen print nothing, as C0 bytes.
    for (const std::string& name :
         {""s, "."s, ".."s, "A/B"s, "/"s, "A\x01"s, "TAB\tNAME"s, "A\x7F"s, "A\0B"s, "A\x80"s,
          "\x9B"
          "2J"s,
          "A\x9F"s, "SOFT\xAD"s}) {
        EXPECT_FALSE(usableAsPcFileName(name)) << name;
    }
}

TEST(PcFileName, DdcIsTheCardNameAsUtf8WithItsExtension) {
    EXPECT_EQ(ddcFileName("RACEDATA_001"), "RACEDATA_001.ddc");
    EXPECT_EQ(ddcFileName("\xC9T\xC9"), "\xC3\x89T\xC3\x89.ddc");  // Latin-1 E acute
    EXPECT_EQ(ddcFileName(".."), std::nullopt);
    EXPECT_EQ(ddcFileName("A/B"), std::nullopt);
    EXPECT_EQ(ddcFileName("\x9B"
                          "2J"),
              std::nullopt);
}

TEST(PcFileName, PairNameIsTheCardNameInCapitalsDigitsAndUnderscoresCutToEight) {
    EXPECT_EQ(pairNameOf("RACEDATA_001"), "RACEDATA");
    EXPECT_EQ(pairNameOf("racedata"), "RACEDATA");
    EXPECT_EQ(pairNameOf("Ab-1.c"), "AB_1_C");
    EXPECT_EQ(pairNameOf("\xC9T\xC9"), "_T_");  // one '_' a byte, not a character
    EXPECT_EQ(pairNameOf("------------"), "________");
    EXPECT_EQ(pairNameOf(""), std::nullopt);
}

TEST(FreeName, DdcTakesTheFirstFreeNumber) {
    EXPECT_EQ(freeDdcFileName("SAVE", takenFrom({})), "SAVE.ddc");
    EXPECT_EQ(freeDdcFileName("SAVE", takenFrom({"SAVE.ddc", "SAVE (3).ddc"})), "SAVE (2).ddc");
    EXPECT_EQ(freeDdcFileName("SAVE", takenFrom({"SAVE.ddc", "SAVE (2).ddc", "save (3).ddc"})),
              "SAVE (3).ddc");
    EXPECT_EQ(freeDdcFileName("\xC9T\xC9", takenFrom({"\xC3\x89T\xC3\x89.ddc"})),
              "\xC3\x89T\xC3\x89 (2).ddc");

    int asked = 0;
    const NameTaken everything = [&asked](const std::string&) { return ++asked > 0; };
    EXPECT_EQ(freeDdcFileName("SAVE", everything), std::nullopt);
    EXPECT_EQ(asked, MAX_NAME_NUMBER);
    asked = 0;
    EXPECT_EQ(freeDdcFileName("A/B", everything), std::nullopt);
    EXPECT_EQ(asked, 0);
}

TEST(FreeName, PairNeedsBothFilesFreeAndStaysWithinEightCharacters) {
    EXPECT_EQ(freePairName("RACEDATA_001", takenFrom({})), "RACEDATA");
    EXPECT_EQ(freePairName("RACEDATA_001", takenFrom({"RACEDATA.vms"})), "RACEDA_2");
    EXPECT_EQ(freePairName("RACEDATA_001", takenFrom({"RACEDATA.vmi", "RACEDA_2.vms"})),
              "RACEDA_3");
    EXPECT_EQ(freePairName("AB", takenFrom({"AB.vmi"})), "AB_2");
    EXPECT_EQ(freePairName("\xC9\xC9\xC9", takenFrom({"___.vmi"})), "____2");

    // Longer numbers take more of the tail.
    EXPECT_EQ(freePairName("RACEDATA_001", allBut("RACED_10")), "RACED_10");
    EXPECT_EQ(freePairName("RACEDATA_001", allBut("RACE_100")), "RACE_100");

    int asked = 0;
    const NameTaken everything = [&asked](const std::string&) { return ++asked > 0; };
    const std::optional<std::string> none = freePairName("RACEDATA_001", everything);
    EXPECT_EQ(none, std::nullopt);
    EXPECT_LE(asked, 2 * MAX_NAME_NUMBER);
    EXPECT_EQ(freePairName("", everything), std::nullopt);
}

TEST(FreeName, EveryPairNameGivenIsOneTheWriterTakes) {
    std::set<std::string> taken;
    for (const char* cardName : {"RACEDATA_001", "RACEDATA_002", "racedata", "\xC9\xC9", "-"}) {
        for (int k = 0; k < 12; ++k) {
            const std::optional<std::string> name = freePairName(cardName, takenFrom(taken));
            ASSERT_TRUE(name.has_value()) << cardName;
            EXPECT_TRUE(isValidPairName(*name)) << *name;
            EXPECT_EQ(taken.count(*name + ".vmi"), 0u) << *name;
            taken.insert(*name + ".vmi");
            taken.insert(*name + ".vms");
        }
    }
}

}  // namespace
}  // namespace quorvane::formats::testing
