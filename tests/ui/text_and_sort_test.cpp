// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "ui/column_sorter.h"
#include "ui/main_window.h"
#include "ui/organizer_app.h"
#include "ui/text_codec.h"

namespace quorvane::ui {
namespace {

TEST(TextCodec, EveryNameByteMapsToOneCharacterAndBack) {
    std::string bytes;
    for (int b = 1; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    const QString text = nameToText(bytes);
    EXPECT_EQ(text.size(), 255);
    EXPECT_EQ(text.at(0xE9 - 1), QChar(0xE9));
    EXPECT_EQ(textToName(text), bytes);
    // Drawn, a control (0x9B a terminal's CSI) or soft hyphen shows as the placeholder.
    EXPECT_EQ(printableText(nameToText("A\x9B\x1B\xAD\xA0")),
              QString("A") + QString(3, QChar(0xFFFD)) + QChar(0xA0));
}

TEST(TextCodec, InformationLineInShiftJisShowsAsJapanese) {
    // "ソニック" in Shift-JIS
    EXPECT_EQ(infoLineToText("\x83\x5c\x83\x6a\x83\x62\x83\x4e"), QString::fromUtf8("ソニック"));
    EXPECT_EQ(infoLineToText("PSO \x83\x51\x81\x5b\x83\x80"), QString::fromUtf8("PSO ゲーム"));
}

TEST(TextCodec, InformationLineThatIsNotShiftJisShowsByteForCharacter) {
    EXPECT_EQ(infoLineToText("CHAO GARDEN"), "CHAO GARDEN");
    // 0x85 0x40 is unassigned, and a lead byte may not end the line; 0x85 and 0x83 read as
    // Latin-1 are C1 controls, which show as the placeholder.
    const QChar placeholder(0xFFFD);
    EXPECT_EQ(infoLineToText("A\x85\x40"), QString("A") + placeholder + "@");
    EXPECT_EQ(infoLineToText("Caf\xe9"), QString::fromLatin1("Caf\xe9"));
    EXPECT_EQ(infoLineToText("AB\x83"), QString("AB") + placeholder);
}

TEST(TextCodec, MessagesShowAsTheUtf8TheyAreMadeIn) {
    EXPECT_EQ(messageToText("The file could not be written:\n/home/\xc3\xa9t\xc3\xa9"),
              QString::fromUtf8("The file could not be written:\n/home/été"));
    // A card name is decoded where it enters a message, not guessed at here.
    EXPECT_EQ(messageToText("CAF\xC3\x89"), QString::fromLatin1("CAF\xC9"));
}

TEST(ColumnSorter, LeadingIntegerReadsLikeAtoi) {
    EXPECT_EQ(leadingInteger("42"), 42);
    EXPECT_EQ(leadingInteger("  -17 blocks"), -17);
    EXPECT_EQ(leadingInteger("+8"), 8);
    EXPECT_EQ(leadingInteger("12abc3"), 12);
    EXPECT_EQ(leadingInteger("abc"), 0);
    EXPECT_EQ(leadingInteger(""), 0);
    EXPECT_GT(leadingInteger("99999999999999999999999999"), 0);
}

TEST(ColumnSorter, EqualKeysKeepTheirOrderAndTheSelectionStays) {
    QTreeWidget list;
    list.setColumnCount(2);
    for (const auto& [name, size] : {std::pair{"b", "5"}, {"a", "5"}, {"c", "1"}}) {
        list.addTopLevelItem(new QTreeWidgetItem({name, size}));
    }
    list.topLevelItem(1)->setSelected(true);  // "a"
    ColumnSorter::sort(&list, 1);
    QStringList names;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        names.append(list.topLevelItem(i)->text(0));
    }
    EXPECT_EQ(names, (QStringList{"c", "b", "a"}));
    ASSERT_EQ(list.selectedItems().size(), 1);
    EXPECT_EQ(list.selectedItems().first()->text(0), "a");
}

TEST(StartUp, LayoutFollowsTheCommandLineThenTheLocale) {
    EXPECT_EQ(parseLayout("single"), Layout::SinglePane);
    EXPECT_EQ(parseLayout("two-pane"), Layout::TwoPane);
    EXPECT_EQ(parseLayout("double"), std::nullopt);
    EXPECT_EQ(chooseLayout(std::nullopt, "en_GB"), Layout::TwoPane);
    EXPECT_EQ(chooseLayout(std::nullopt, "en_US"), Layout::SinglePane);
    EXPECT_EQ(chooseLayout(std::nullopt, "de_DE"), Layout::SinglePane);
    EXPECT_EQ(chooseLayout(Layout::SinglePane, "en_GB"), Layout::SinglePane);
}

TEST(FileDialogs, FiltersNameTheirPatternsOnce) {
    EXPECT_EQ(qtNameFilter({"DC Memory Card File (*.ddc)", "*.ddc"}),
              "DC Memory Card File (*.ddc)");
    EXPECT_EQ(qtNameFilter({"VMI/VMS files", "*.vmi;*.vms"}), "VMI/VMS files (*.vmi *.vms)");
}

}  // namespace
}  // namespace quorvane::ui
