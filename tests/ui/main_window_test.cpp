// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFile>
#include <QRadioButton>
#include <QTimer>

#include "ui_fixture.h"

namespace quorvane::ui::testing {
namespace {

using app::testing::addFileToCardPage;

const QStringList FILE_ENTRIES{"Add File",         "Save File",
                               "Import .DCM file", "Export to .DCM file",
                               "Delete File",      "Delete All"};

class SinglePaneWindow : public WindowFixture {};
class TwoPaneWindow : public WindowFixture {};

TEST_F(SinglePaneWindow, OpensWithPageOneNoPageAndEditCommandsUnavailable) {
    open(Layout::SinglePane);
    EXPECT_EQ(window->windowTitle(), "Quorvane");
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(named<PageSpinner>("pageNumber")->text(), "1");
    EXPECT_EQ(text("pageCaption"), "Current Page : NONE");
    for (const char* label : {"statusLine", "fileInfo1", "fileInfo2", "fileInfo3",
                              "blocksUsedValue", "blocksFreeValue"}) {
        EXPECT_EQ(text(label), "") << label;
    }
    for (const char* name : {"Add File", "Save File", "Delete File", "Delete ALL"}) {
        ASSERT_NE(button(name), nullptr) << name;
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(button("Select/Refresh")->isEnabled());
    for (const QString& entry : FILE_ENTRIES) {
        ASSERT_NE(menuEntry(entry), nullptr) << entry.toStdString();
        EXPECT_FALSE(menuEntry(entry)->isEnabled()) << entry.toStdString();
    }
    EXPECT_TRUE(menuEntry("E&xit")->isEnabled());
    EXPECT_TRUE(menuEntry("About")->isEnabled());
    EXPECT_EQ(button("<--"), nullptr);
    EXPECT_EQ(button("Commit to Memory pack"), nullptr);
}

TEST_F(SinglePaneWindow, PortButtonsRunLeftToRightWith0x378Chosen) {
    open(Layout::SinglePane);
    QList<QRadioButton*> ports = frame("Parallel Port")->findChildren<QRadioButton*>();
    std::sort(ports.begin(), ports.end(),
              [](QRadioButton* a, QRadioButton* b) { return a->x() < b->x(); });
    QStringList labels;
    for (QRadioButton* port : ports) {
        labels.append(port->text() + (port->isChecked() ? "*" : ""));
    }
    EXPECT_EQ(labels, (QStringList{"0x268", "0x26C", "0x278", "0x27C", "0x378*", "0x3BC"}));
    EXPECT_EQ(link->portBase, 0x378);

    ports.first()->click();
    EXPECT_EQ(link->portBase, 0x268);
}

TEST_F(SinglePaneWindow, ControlsCanBeFoundByScreenReaders) {
    open(Layout::SinglePane);
    expectFramesNamedByTheirTitles({"Dreamcast Memory Card", "File Info", "Parallel Port"});
    EXPECT_EQ(named("pageNumber")->accessibleName(), "Page number");
    EXPECT_EQ(named("cardList")->accessibleName(), "Card files");
    EXPECT_EQ(named("progressBar")->accessibleName(), "Progress");
    const std::pair<const char*, const char*> described[] = {
        {"statusLine", "Status line"},
        {"pageCaption", "Page caption"},
        {"blocksUsedValue", "Blocks Used value"},
        {"blocksFreeValue", "Blocks Free value"},
        {"fileInfo1", "File Info 1"},
        {"fileInfo2", "File Info 2"},
        {"fileInfo3", "File Info 3"}};
    for (const auto& [name, description] : described) {
        EXPECT_EQ(named(name)->accessibleDescription(), description) << name;
        EXPECT_TRUE(named(name)->accessibleName().isEmpty()) << name << " hides its text";
    }
    QTreeWidget* list = cardList();
    EXPECT_EQ(list->headerItem()->text(0), "FileName");
    EXPECT_EQ(list->headerItem()->text(1), "Size(in Blocks)");
    EXPECT_EQ(list->columnWidth(0), 118);
    EXPECT_EQ(list->columnWidth(1), 100);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(list->rootIsDecorated());
}

TEST_F(TwoPaneWindow, OpensWithEveryButtonAvailableAndNoPortChoice) {
    open(Layout::TwoPane);
    EXPECT_EQ(window->windowTitle(), "Dreamcast Memory card organiser");
    EXPECT_EQ(named<PageSpinner>("pageNumber")->text(), "1");
    EXPECT_EQ(text("pageCaption"), "Current Page : NONE");
    EXPECT_EQ(text("statusLine"), "File system refreshed.......");
    for (const char* name :
         {"-->", "<--", "Delete File", "Delete ALL", "Commit to Memory pack", "Select/Refresh"}) {
        ASSERT_NE(button(name), nullptr) << name;
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }
    EXPECT_EQ(button("Save File"), nullptr);
    EXPECT_TRUE(window->findChildren<QRadioButton*>().isEmpty());
    for (const QString& entry : FILE_ENTRIES) {
        EXPECT_FALSE(menuEntry(entry)->isEnabled()) << entry.toStdString();
    }
    expectFramesNamedByTheirTitles({"PC Drives and Directories", "Dreamcast Memory Card",
                                    "File Info", "Another Page of the Card"});
    EXPECT_EQ(named("driveTree")->accessibleName(), "PC drives and directories");
    EXPECT_EQ(named("pcFileList")->accessibleName(), "PC files");
    EXPECT_EQ(named<QTreeWidget>("driveTree")->topLevelItemCount(), 1);
}

TEST_F(SinglePaneWindow, ReadEnablesEditCommandsAndAFailedReadLeavesThemEnabled) {
    addFileToCardPage(pages[0], "RACEDATA_001", 3);
    open(Layout::SinglePane);
    readPage();
    EXPECT_EQ(text("pageCaption"), "Current Page : 1");
    EXPECT_EQ(text("statusLine"), "Memory card read successful.");
    EXPECT_EQ(column(0), QStringList{"RACEDATA_001"});
    EXPECT_EQ(text("blocksUsedValue"), "3");
    EXPECT_EQ(text("blocksFreeValue"), "197");
    for (const char* name : {"Add File", "Save File", "Delete File", "Delete ALL"}) {
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }
    for (const QString& entry : FILE_ENTRIES) {
        EXPECT_TRUE(menuEntry(entry)->isEnabled()) << entry.toStdString();
    }

    auto* spinner = named<PageSpinner>("pageNumber");
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(spinner, Qt::Key_Up);
    }
    click("Select/Refresh");
    EXPECT_EQ(dialogs.boxes.last(),
              "There are only 4 pages on this Memory card | Page out of range");
    EXPECT_EQ(text("pageCaption"), "Current Page : 1");
    for (const char* name : {"Add File", "Save File", "Delete File", "Delete ALL"}) {
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }
    for (const QString& entry : FILE_ENTRIES) {
        EXPECT_TRUE(menuEntry(entry)->isEnabled()) << entry.toStdString();
    }
}

TEST_F(SinglePaneWindow, UpDownStaysWithinPagesOneToSixteen) {
    open(Layout::SinglePane);
    auto* spinner = named<PageSpinner>("pageNumber");
    QTest::mouseClick(spinner, Qt::LeftButton, {}, spinner->downArrowRect().center());
    EXPECT_EQ(spinner->text(), "1");
    QTest::mouseClick(spinner, Qt::LeftButton, {}, spinner->upArrowRect().center());
    EXPECT_EQ(spinner->text(), "2");
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(spinner, Qt::Key_Up);
    }
    EXPECT_EQ(spinner->text(), "16");
    EXPECT_EQ((organizer->chosenPage() - 1), 15);
    QTest::keyClick(spinner, Qt::Key_Down);
    EXPECT_EQ(spinner->text(), "15");
}

TEST_F(SinglePaneWindow, HeaderClicksSortAscendingNumbersByValueNamesWithoutCase) {
    addFileToCardPage(pages[0], "beta", 10);
    addFileToCardPage(pages[0], "Alpha", 9);
    addFileToCardPage(pages[0], "GAMMA", 1);
    open(Layout::SinglePane);
    readPage();
    // Slots fill from the top: GAMMA has the lowest slot and lists first.
    EXPECT_EQ(column(0), (QStringList{"GAMMA", "Alpha", "beta"}));

    clickHeader(1);
    EXPECT_EQ(column(1), (QStringList{"1", "9", "10"}));
    clickHeader(0);
    EXPECT_EQ(column(0), (QStringList{"Alpha", "beta", "GAMMA"}));
    clickHeader(0);
    EXPECT_EQ(column(0), (QStringList{"Alpha", "beta", "GAMMA"}));
}

// "セーブデータ" and "ゲーム" in Shift-JIS.
constexpr char JAPANESE_SAVE[] = "\x83\x5a\x81\x5b\x83\x75\x83\x66\x81\x5b\x83\x5e";
constexpr char JAPANESE_GAME[] = "\x83\x51\x81\x5b\x83\x80";

void addDescribedFile(card::CardOrderPage& cardImage, std::string_view name,
                      std::string_view line1 = "SONIC ADV",      // bytes 0..15
                      std::string_view line2 = JAPANESE_SAVE,    // bytes 16..47
                      std::string_view line3 = JAPANESE_GAME) {  // bytes 48..63
    auto pageImage = std::make_unique<card::PageBytes>();
    card::cardToPage(cardImage, *pageImage);
    card::CardFile file{app::testing::makeEntry(name, 1), std::vector<std::uint8_t>(512)};
    std::copy(line1.begin(), line1.end(), file.data.begin());
    std::copy(line2.begin(), line2.end(), file.data.begin() + 16);
    std::copy(line3.begin(), line3.end(), file.data.begin() + 48);
    card::DirtyMap dirty{};
    ASSERT_EQ(card::storeNewFile(*pageImage, dirty, file), card::StoreResult::Stored);
    card::pageToCard(*pageImage, cardImage);
}

TEST_F(SinglePaneWindow, SelectingARowShowsItsInformationAndLosingItChangesNothing) {
    addFileToCardPage(pages[0], "OTHER", 2);
    addDescribedFile(pages[0], "SONIC");
    open(Layout::SinglePane);
    readPage();
    ASSERT_EQ(column(0), (QStringList{"SONIC", "OTHER"}));

    clickRow(0);
    EXPECT_EQ(text("fileInfo1"), "SONIC ADV");
    EXPECT_EQ(text("fileInfo2"), QString::fromUtf8("セーブデータ"));
    EXPECT_EQ(text("fileInfo3"), QString::fromUtf8("ゲーム"));
    EXPECT_EQ(organizer->selection()->name, "SONIC");
    const int selected = organizer->selection()->slot;
    EXPECT_NE(selected, -1);

    cardList()->clearSelection();
    EXPECT_EQ(organizer->selection()->slot, selected);
    EXPECT_EQ(text("fileInfo1"), "SONIC ADV");
}

TEST_F(SinglePaneWindow, BinaryInformationLinesStayOnOneLineAsPlainText) {
    addDescribedFile(pages[0], "BINARY", "<b>BOLD</b>", "\x83\x5c\x0a\x83\x6a",
                     std::string_view("\x01\x02\x0aLAP\x7f\x1f", 8));
    open(Layout::SinglePane);
    readPage();
    clickRow(0);

    const QString placeholder = QString::fromUtf8("\xEF\xBF\xBD");
    EXPECT_EQ(text("fileInfo1"), "<b>BOLD</b>");
    EXPECT_EQ(text("fileInfo2"), QString::fromUtf8("ソ") + placeholder + QString::fromUtf8("ニ"));
    EXPECT_EQ(text("fileInfo3"), placeholder.repeated(3) + "LAP" + placeholder.repeated(2));
    for (const char* name : {"fileInfo1", "fileInfo2", "fileInfo3"}) {
        auto* line = named<QLabel>(name);
        EXPECT_EQ(line->textFormat(), Qt::PlainText) << name;
        EXPECT_FALSE(line->text().contains(u'\n')) << name;
        QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(line);
        ASSERT_NE(announced, nullptr);
        EXPECT_EQ(announced->text(QAccessible::Name), line->text()) << name;
    }
}

TEST_F(SinglePaneWindow, RowOfANameWithHighBytesSelectsThatFile) {
    addFileToCardPage(pages[0], "CAF\xC9_\xFF", 1);
    addFileToCardPage(pages[0], "CAFE", 2);
    open(Layout::SinglePane);
    readPage();
    const qsizetype row = column(0).indexOf(QString::fromLatin1("CAF\xC9_\xFF"));
    ASSERT_NE(row, -1);
    clickRow(row);
    EXPECT_EQ(organizer->selection()->name, "CAF\xC9_\xFF");
    EXPECT_EQ(organizer->selection()->slot, card::DIR_SLOT_COUNT - 1);
}

}  // namespace
}  // namespace quorvane::ui::testing

namespace quorvane::ui::testing {
namespace {

TEST_F(TwoPaneWindow, PcFileSizesSortAsNumbers) {
    for (const auto& [name, size] : {std::pair{"a.ddc", 100}, {"b.ddc", 9}, {"c.ddc", 10}}) {
        QFile file(folder.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
    }
    open(Layout::TwoPane);
    auto* tree = named<QTreeWidget>("driveTree");
    tree->setCurrentItem(tree->topLevelItem(0));
    auto* files = named<QTreeWidget>("pcFileList");
    ASSERT_EQ(files->topLevelItemCount(), 3);
    QHeaderView* header = files->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    QStringList sizes;
    for (int i = 0; i < files->topLevelItemCount(); ++i) {
        sizes.append(files->topLevelItem(i)->text(1));
    }
    EXPECT_EQ(sizes, (QStringList{"9", "10", "100"}));
}

TEST_F(SinglePaneWindow, HelpAboutOpensTheAboutBox) {
    open(Layout::SinglePane);
    QStringList seen;
    QTimer closer;  // answers the modal box from inside its own event loop
    QObject::connect(&closer, &QTimer::timeout, [&seen] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            seen.append(box->windowTitle());
            for (QLabel* label : box->findChildren<QLabel*>()) {
                if (!label->text().isEmpty()) {
                    seen.append(label->text());
                }
            }
            for (QPushButton* b : box->findChildren<QPushButton*>()) {
                seen.append(b->text() + (b->isDefault() ? "*" : ""));
            }
            box->close();
        }
    });
    closer.start(10);
    choose("About");
    EXPECT_EQ(seen, (QStringList{"About Quorvane", "Version 1.21",
                                 "Free software under the GNU GPL, version 3 or later",
                                 "Visit the Quorvane web site", "OK*"}));
}

TEST_F(SinglePaneWindow, EscEndsTheWindowWithoutAQuestion) {
    open(Layout::SinglePane);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.boxes.isEmpty());
}

}  // namespace
}  // namespace quorvane::ui::testing
