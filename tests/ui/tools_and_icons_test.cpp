// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QClipboard>
#include <QLabel>

#include "adapter/virtual_adapter.h"
#include "ui/page_check_dialog.h"
#include "ui_fixture.h"

// What the window shows beyond the adapter's own commands: the Tools menu, the page check's
// report and each save's icon.
namespace quorvane::ui::testing {
namespace {

class ToolsAndIcons : public WindowFixture {
protected:
    // The virtual card's own first page: PUZZLE___SYS with 3 icons, RACEDATA_001 with 1,
    // QUORVANE_001 with none.
    void openOnSamplePage() {
        pages = adapter::makeSamplePages();
        open(Layout::SinglePane);
        readPage();
    }
    QTreeWidgetItem* row(const QString& name) {
        for (int i = 0; i < cardList()->topLevelItemCount(); ++i) {
            if (cardList()->topLevelItem(i)->text(0) == name) {
                return cardList()->topLevelItem(i);
            }
        }
        return nullptr;
    }
    QStringList entriesOf(const QString& menuTitle) {
        QStringList texts;
        for (QAction* menu : window->menuBar()->actions()) {
            if (menu->text() == menuTitle) {
                for (QAction* entry : menu->menu()->actions()) {
                    texts.append(entry->isSeparator() ? QStringLiteral("-") : entry->text());
                }
            }
        }
        return texts;
    }
};

TEST_F(ToolsAndIcons, ToolsComeBetweenAnUnchangedFileAndHelpAndCheckAfterARead) {
    open(Layout::TwoPane);
    QStringList titles;
    for (QAction* menu : window->menuBar()->actions()) {
        titles.append(menu->text());
    }
    EXPECT_EQ(titles, (QStringList{"&File", "&Tools", "&View", "&Help"}));
    EXPECT_EQ(entriesOf("&View"),
              (QStringList{"Select Several Files", "-", "Left Pane: PC Folders",
                           "Left Pane: Another Page of the Card", "Left Pane: Card Image..."}));
    EXPECT_EQ(entriesOf("&File"),
              (QStringList{"Add File", "Save File", "-", "Import .DCM file", "Export to .DCM file",
                           "-", "Delete File", "Delete All", "-", "E&xit"}));
    EXPECT_EQ(entriesOf("&Help"), (QStringList{"About"}));
    EXPECT_EQ(
        entriesOf("&Tools"),
        (QStringList{"Check Page...", "Save All Files...", "-", "Open Card Image...",
                     "Close Card Image", "-", "Restore From Backup...", "Open Backups Folder", "-",
                     "Copy to PC as .vmi/.vms Pair", "-", "Format Page...", "New Card Image...",
                     "-", "Move Selected Files -->", "Move Selected Files <--"}));
    EXPECT_FALSE(menuEntry("Check Page...")->isEnabled());
    EXPECT_FALSE(menuEntry("Format Page...")->isEnabled());
    EXPECT_TRUE(menuEntry("New Card Image...")->isEnabled());

    readPage();
    EXPECT_TRUE(menuEntry("Format Page...")->isEnabled());
    choose("Check Page...");
    EXPECT_EQ(dialogs.pageCheckReports,
              (QStringList{"Check of page 1\n\nThe page is clean: its directory, its FAT and every "
                           "file's chain agree.\n"}));

    // One row at a time, as ever, until the user asks for several.
    EXPECT_EQ(cardList()->selectionMode(), QAbstractItemView::SingleSelection);
    choose("Select Several Files");
    EXPECT_EQ(cardList()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(ToolsAndIcons, SavesShowTheirIconsAndOnlyShownAnimationsRunTheTimer) {
    openOnSamplePage();
    ASSERT_NE(row("PUZZLE___SYS"), nullptr);
    EXPECT_FALSE(row("PUZZLE___SYS")->icon(0).isNull());
    EXPECT_FALSE(row("RACEDATA_001")->icon(0).isNull());
    EXPECT_TRUE(row("QUORVANE_001")->icon(0).isNull());
    EXPECT_TRUE(window->findChild<IconAnimator*>()->running());

    // The three frames follow each other at the save's own speed.
    const qint64 first = row("PUZZLE___SYS")->icon(0).pixmap(16).cacheKey();
    QTest::qWait(600);
    EXPECT_NE(row("PUZZLE___SYS")->icon(0).pixmap(16).cacheKey(), first);

    clickRow(column(0).indexOf("PUZZLE___SYS"));
    const QLabel* icon = named<QLabel>("fileIcon");
    EXPECT_EQ(icon->pixmap().size(), QSize(64, 64));
    clickRow(column(0).indexOf("QUORVANE_001"));
    EXPECT_TRUE(icon->pixmap().isNull());

    window->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(window->findChild<IconAnimator*>()->running())
        << "never while the window is minimised";
    window->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(window->findChild<IconAnimator*>()->running());

    // The second page holds no save: nothing is left to play.
    organizer->choosePage(2);
    readPage();
    EXPECT_FALSE(window->findChild<IconAnimator*>()->running());
}

TEST(PageCheckDialog, CopiesItsReportAndOffersTheRepairOnlyWhereBlocksAreLost) {
    PageCheckDialog clean(QStringLiteral("Check of page 1\n\nThe page is clean."), false);
    EXPECT_EQ(clean.findChild<QPushButton*>(QStringLiteral("freeLostBlocksButton")), nullptr);
    clean.findChild<QPushButton*>(QStringLiteral("copyButton"))->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Check of page 1\n\nThe page is clean.");

    PageCheckDialog damaged(QStringLiteral("lost blocks"), true);
    ASSERT_NE(damaged.findChild<QPushButton*>(QStringLiteral("freeLostBlocksButton")), nullptr);
    damaged.findChild<QPushButton*>(QStringLiteral("freeLostBlocksButton"))->click();
    EXPECT_EQ(damaged.result(), PageCheckDialog::FREE_LOST_BLOCKS);
}

}  // namespace
}  // namespace quorvane::ui::testing
