// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/card_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane::card {
namespace {

const std::string PLACEHOLDER(CONTROL_PLACEHOLDER);

TEST(CardText, NamesMapByteForCharacter) {
    EXPECT_EQ(nameToUtf8("RACEDATA_001"), "RACEDATA_001");
    EXPECT_EQ(nameToUtf8("CAF\xC9_\xFF"), "CAF\xC3\x89_\xC3\xBF");
}

TEST(CardText, NamesComeBackFromTheTextTheyShowAs) {
    EXPECT_EQ(utf8ToName("RACEDATA_001"), "RACEDATA_001");
    EXPECT_EQ(utf8ToName("CAF\xC3\x89_\xC3\xBF"), "CAF\xC9_\xFF");
    EXPECT_EQ(utf8ToName("\xC2\x80"), "\x80");
    const std::string everyByte = [] {
        std::string bytes;
        for (int b = 1; b < 256; ++b) {
            bytes += static_cast<char>(b);
        }
        return bytes;
    }();
    EXPECT_EQ(utf8ToName(nameToUtf8(everyByte)), everyByte);
    EXPECT_EQ(utf8ToName(""), "");
}

TEST(CardText, TextNoNameStandsForGivesNone) {
    EXPECT_EQ(utf8ToName("\xC4\x80"), std::nullopt);      // U+0100, beyond Latin-1
    EXPECT_EQ(utf8ToName("\xE3\x82\xBD"), std::nullopt);  // "ソ"
    EXPECT_EQ(utf8ToName("AB\xC3"), std::nullopt);        // cut off
    EXPECT_EQ(utf8ToName("\xC3\x41"), std::nullopt);      // not a continuation byte
    EXPECT_EQ(utf8ToName("\xC9"), std::nullopt);          // Latin-1 bytes, not UTF-8
    EXPECT_EQ(utf8ToName("\xC0\x81"), std::nullopt);      // an overlong ASCII byte
}

TEST(CardText, InformationLinesDecodeShiftJisWhereTheyCan) {
    // "ソニック", and "PSO ゲーム" with an ASCII backslash-looking trail byte 0x5C.
    EXPECT_EQ(infoLineToUtf8("\x83\x5c\x83\x6a\x83\x62\x83\x4e"), "ソニック");
    EXPECT_EQ(infoLineToUtf8("PSO \x83\x51\x81\x5b\x83\x80"), "PSO ゲーム");
    // Unassigned, or a lead byte cut off at the end: the whole line byte for character, where
    // 0x85 and 0x83 are C1 controls.
    EXPECT_EQ(infoLineToUtf8("A\x85\x40"), "A" + PLACEHOLDER + "@");
    EXPECT_EQ(infoLineToUtf8("AB\x83"), "AB" + PLACEHOLDER);
    EXPECT_EQ(infoLineToUtf8("Caf\xe9"), "Caf\xC3\xA9");
}

TEST(CardText, ControlBytesBecomeOnePlaceholderEachInEitherReading) {
    EXPECT_EQ(infoLineToUtf8("LAP 1\nLAP 2"), "LAP 1" + PLACEHOLDER + "LAP 2");
    EXPECT_EQ(infoLineToUtf8(std::string_view("\x01\x1f\x7f", 3)),
              PLACEHOLDER + PLACEHOLDER + PLACEHOLDER);
    // A control byte never sits inside a Shift-JIS character: the runs around it decode.
    EXPECT_EQ(infoLineToUtf8("\x83\x5c\x0a\x83\x6a"), "ソ" + PLACEHOLDER + "ニ");
    EXPECT_EQ(infoLineToUtf8("Caf\xe9\t!"), "Caf\xC3\xA9" + PLACEHOLDER + "!");
    EXPECT_EQ(infoLineToUtf8(""), "");
    // Read as Latin-1, 0x80..0x9F are C1 controls (0x9B a terminal's CSI) and 0xAD a soft hyphen.
    EXPECT_EQ(infoLineToUtf8("\x80\x9B"
                             "2J\xAD\xA0\xFF"),
              PLACEHOLDER + PLACEHOLDER + "2J" + PLACEHOLDER + "\xC2\xA0\xC3\xBF");
}

}  // namespace
}  // namespace quorvane::card
