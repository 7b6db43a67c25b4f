// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/program.h"
#include "card/dir_entry.h"
#include "card/listing.h"
#include "ui/drag_and_drop.h"
#include "ui/pc_file_list.h"
#include "ui_fixture.h"

namespace quorvane::ui::testing {
namespace {

using app::testing::addFileToCardPage;

// Each command of the File menu and the edit buttons, driven through the window with its
// dialogs answered by a script; the virtual card must hold the result afterwards.
class WindowCommands : public WindowFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        addFileToCardPage(pages[0], "FIRST", 2);
        addFileToCardPage(pages[0], "SECOND", 3, 0x40);
    }
    std::vector<std::string> cardNames(int pageIndex) {
        std::vector<std::string> names;
        for (const card::FileRow& row : card::listFileRows(cardPage(pageIndex))) {
            names.push_back(row.name);
        }
        return names;
    }
    QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(WindowCommands, DeleteFileButtonRemovesTheSelectedFileFromTheCard) {
    open(Layout::SinglePane);
    readPage();
    clickRow(column(0).indexOf("FIRST"));
    click("Delete File");
    EXPECT_EQ(dialogs.boxes, QStringList{"Are you sure? | Delete file"});
    EXPECT_EQ(text("statusLine"), "File Deleted.");
    EXPECT_EQ(column(0), QStringList{"SECOND"});
    EXPECT_EQ(cardNames(0), std::vector<std::string>{"SECOND"});
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(WindowCommands, DeleteAllMenuEntryEmptiesTheCardUnlessDeclined) {
    open(Layout::SinglePane);
    readPage();
    dialogs.answers = {app::BoxAnswer::No};
    choose("Delete All");
    EXPECT_EQ(text("statusLine"), "Action cancelled...");
    EXPECT_EQ(cardNames(0).size(), 2U);

    click("Delete ALL");
    EXPECT_EQ(text("statusLine"), "Files Deleted.");
    EXPECT_TRUE(column(0).isEmpty());
    EXPECT_TRUE(cardNames(0).empty());
    EXPECT_EQ(text("blocksFreeValue"), "200");
}

TEST_F(WindowCommands, SaveFileWritesTheSelectedFileAsDdcAndMakesItsFolderCurrent) {
    open(Layout::SinglePane);
    readPage();
    clickRow(column(0).indexOf("SECOND"));
    dialogs.saveAnswers = {inFolder("second.ddc")};
    click("Save File");
    EXPECT_EQ(dialogs.lastFilters,
              (QStringList{"DC Memory Card File (*.ddc)", "VMS file with its VMI (*.vms)"}));
    EXPECT_EQ(dialogs.lastSuffix, "ddc");
    EXPECT_EQ(text("statusLine"), "File saved...");
    const QByteArray saved = fileBytes(inFolder("second.ddc"));
    ASSERT_EQ(saved.size(), 36 + 3 * 512);
    EXPECT_EQ(saved.left(4), QByteArray("CFU\0", 4));
    EXPECT_EQ(saved.mid(4 + 4, 6), "SECOND");
    EXPECT_EQ(static_cast<unsigned char>(saved.at(36)), 0x40);
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(),
              QFileInfo(folder.path()).canonicalFilePath());
}

TEST_F(WindowCommands, AddFileButtonStoresADdcFileOnTheCard) {
    QByteArray ddc("CFU\0", 4);
    QByteArray entry(32, '\0');
    entry[0] = '\x33';
    entry.replace(4, 5, "ADDED");
    entry[24] = 1;  // one block
    ddc += entry;
    ddc += QByteArray(512, '\x5a');
    QFile file(inFolder("added.ddc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ddc);
    file.close();

    open(Layout::SinglePane);
    readPage();
    dialogs.openAnswers = {inFolder("added.ddc")};
    click("Add File");
    EXPECT_EQ(dialogs.lastFilters.size(), 3);
    EXPECT_TRUE(column(0).contains("ADDED"));
    const auto names = cardNames(0);
    EXPECT_NE(std::find(names.begin(), names.end(), "ADDED"), names.end());
    EXPECT_EQ(text("statusLine"), "Memory card written successfully....");

    // Dropped from a file manager on the card list: added as Add File adds it.
    ddc.replace(4 + 4, 5, "DROPD");
    QFile dropped(inFolder("dropped.ddc"));
    ASSERT_TRUE(dropped.open(QIODevice::WriteOnly));
    dropped.write(ddc);
    dropped.close();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(inFolder("dropped.ddc"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cardList()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cardList()->viewport(), &drop);
    QApplication::processEvents();
    EXPECT_TRUE(column(0).contains("DROPD"));
}

// The rows of `list` as a drag carries them, dropped on `target`; whether the drop was taken.
// Qt delivers a drop only where the drag's entry was accepted.
bool dropRows(QWidget* target, const QString& list, int slot, Qt::KeyboardModifiers keys) {
    std::unique_ptr<QMimeData> rows(cardRowsMimeData({list, {slot}}, {}));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, rows.get(), Qt::LeftButton,
                          keys);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, rows.get(), Qt::LeftButton,
                    keys);
    QApplication::sendEvent(target, &drop);
    QApplication::processEvents();
    return drop.isAccepted();
}

TEST_F(WindowCommands, AnotherPageBesideTheCardTakesCopiesMovesAndDrops) {
    open(Layout::TwoPane, {[this](app::Screen& pane) {
                               return app::SideCard::of(std::make_unique<app::Organizer>(
                                   pane, *link, app::testing::fixedTime));
                           },
                           &app::SideCard::image});
    readPage();
    QPushButton* toLeft = button("<--");
    EXPECT_EQ(toLeft->toolTip(), "Copy the selected files to the PC folder on the left");
    choose("Left Pane: Another Page of the Card");
    EXPECT_TRUE(named("pcFrame")->isHidden());
    EXPECT_EQ(toLeft->toolTip(), "Copy the files selected on the right card to the left card");
    auto* left = named<QTreeWidget>("sideCardList");
    named<PageSpinner>("sidePageNumber")->stepBy(1);
    QTest::mouseClick(named<QPushButton>("sideSelectRefreshButton"), Qt::LeftButton);

    clickRow(column(0).indexOf("SECOND"));
    QTest::mouseClick(toLeft, Qt::LeftButton);
    EXPECT_EQ(dialogs.boxes.last(), "Copy SECOND to page 2? | Copy to the Other Card");
    EXPECT_EQ(cardNames(1), (std::vector<std::string>{"SECOND"}));
    EXPECT_EQ(left->topLevelItemCount(), 1);

    // Rows are never dropped back on their own list; Shift moves them to the other.
    const int first = card::findSlotByName(cardPage(0), "FIRST");
    EXPECT_FALSE(dropRows(cardList()->viewport(), "right", first, Qt::ShiftModifier));
    EXPECT_TRUE(dropRows(left->viewport(), "right", first, Qt::ShiftModifier));
    EXPECT_EQ(cardNames(0), (std::vector<std::string>{"SECOND"}));
    EXPECT_EQ(left->topLevelItemCount(), 2);

    // A card image instead: read at once, and written by a copy.
    QFile image(inFolder("other.bin"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    image.write(reinterpret_cast<const char*>(pages[1].bytes.data()), 131072);
    image.close();
    dialogs.openAnswers = {inFolder("other.bin")};
    choose("Left Pane: Card Image...");
    EXPECT_EQ(left->parentWidget()->property("title").toString(), "Card Image: other.bin");
    clickRow(0);
    QTest::mouseClick(toLeft, Qt::LeftButton);
    EXPECT_EQ(dialogs.boxes.last(), "Copy SECOND to other.bin? | Copy to the Other Card");
    EXPECT_EQ(left->topLevelItemCount(), 1);

    // Back to the PC folders: a row dropped there is written as "<--" writes it.
    choose("Left Pane: PC Folders");
    EXPECT_FALSE(named("sideCardList")->isVisible());
    window->showPcFolder(folder.path().toStdString());
    clickRow(0);
    EXPECT_TRUE(dropRows(named("pcFileList")->findChild<QWidget*>("qt_scrollarea_viewport"),
                         "right", card::findSlotByName(cardPage(0), "SECOND"), {}));
    EXPECT_EQ(fileBytes(inFolder("SECOND")).size(), 36 + 3 * 512);
}

TEST_F(WindowCommands, ExportMenuEntryWritesThePageImage) {
    open(Layout::SinglePane);
    readPage();
    dialogs.saveAnswers = {inFolder("page.dcm")};
    choose("Export to .DCM file");
    EXPECT_EQ(dialogs.lastSuffix, "dcm");
    EXPECT_EQ(text("statusLine"), "DCM file written...");
    const QByteArray exported = fileBytes(inFolder("page.dcm"));
    ASSERT_EQ(exported.size(), 131072);
    EXPECT_TRUE(std::equal(adapter->page(0).bytes.begin(), adapter->page(0).bytes.end(),
                           reinterpret_cast<const std::uint8_t*>(exported.constData())));
}

TEST_F(WindowCommands, ImportMenuEntryWritesTheFileOntoTheCard) {
    card::CardOrderPage image = app::testing::formattedCardPage();
    addFileToCardPage(image, "IMPORTED", 4);
    QFile file(inFolder("other.dcm"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(image.bytes.data()),
               static_cast<qint64>(image.bytes.size()));
    file.close();

    open(Layout::SinglePane);
    readPage();
    dialogs.openAnswers = {inFolder("other.dcm")};
    choose("Import .DCM file");
    EXPECT_EQ(dialogs.boxes.size(), 1);  // the warning, answered Yes
    EXPECT_EQ(column(0), QStringList{"IMPORTED"});
    EXPECT_EQ(adapter->page(0), image);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(WindowCommands, CopyToPcButtonWritesTheFileIntoTheChosenFolder) {
    open(Layout::TwoPane);
    auto* tree = named<QTreeWidget>("driveTree");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    tree->setCurrentItem(tree->topLevelItem(0));
    readPage();
    clickRow(column(0).indexOf("SECOND"));
    click("<--");
    EXPECT_EQ(dialogs.boxes, QStringList{"Copy file to PC? | Copy file to PC"});
    EXPECT_EQ(fileBytes(inFolder("SECOND")).size(), 36 + 3 * 512);
    auto* files = named<QTreeWidget>("pcFileList");
    ASSERT_EQ(files->topLevelItemCount(), 1);
    EXPECT_EQ(files->topLevelItem(0)->text(0), "SECOND");
}

TEST_F(WindowCommands, CommitButtonAsksBeforeWriting) {
    open(Layout::TwoPane);
    readPage();
    dialogs.answers = {app::BoxAnswer::No};
    click("Commit to Memory pack");
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_TRUE(dialogs.boxes.first().endsWith("| Last Chance Warning!"));
    EXPECT_EQ(text("statusLine"), "Action cancelled...");

    // The commit lets events through at every step: look at the window while it runs.
    int stepsSeen = 0;
    bool alwaysDisabledUnderProgress = true;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (QDialog* progress = window->progressDialog().window()) {
            ++stepsSeen;
            alwaysDisabledUnderProgress &= !window->isEnabled() && progress->isVisible() &&
                                           progress->windowTitle() == "Please Wait";
        }
    });
    watcher.start(0);
    click("Commit to Memory pack");
    watcher.stop();
    EXPECT_GT(stepsSeen, 0);
    EXPECT_TRUE(alwaysDisabledUnderProgress);
    EXPECT_EQ(text("statusLine"), "Memory card written successfully....");
    EXPECT_EQ(window->progressDialog().window(), nullptr);
    EXPECT_TRUE(window->isEnabled());
}

}  // namespace
}  // namespace quorvane::ui::testing
