// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drive_tree.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::ui {
namespace {

QStringList childLabels(const QTreeWidgetItem* item) {
    QStringList labels;
    for (int i = 0; i < item->childCount(); ++i) {
        labels.append(item->child(i)->text(0));
    }
    return labels;
}

bool hasOnlyPlaceholder(const QTreeWidgetItem* item) {
    return item->childCount() == 1 && item->child(0)->text(0).isEmpty();
}

// Labels, open state and selection of every item: what "the tree as it was" means.
QString snapshot(const QTreeWidgetItem* item) {
    QString text =
        item->text(0) + (item->isExpanded() ? "+" : "") + (item->isSelected() ? "*" : "");
    for (int i = 0; i < item->childCount(); ++i) {
        text += "(" + snapshot(item->child(i)) + ")";
    }
    return text;
}

class DriveTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        drive = QFileInfo(temp.path()).canonicalFilePath();
    }
    void TearDown() override { QDir::setCurrent(startDirectory); }

    void makeDirs(const QStringList& relativePaths) {
        for (const QString& relative : relativePaths) {
            ASSERT_TRUE(QDir(drive).mkpath(relative)) << relative.toStdString();
        }
    }
    QTreeWidgetItem* driveItem() { return widget.topLevelItem(0); }
    QTreeWidgetItem* openChild(QTreeWidgetItem* parent, const QString& label) {
        QTreeWidgetItem* child = tree.findChild(parent, label.toUpper());
        if (child != nullptr) {
            child->setExpanded(true);
        }
        return child;
    }

    QString startDirectory = QDir::currentPath();
    QTemporaryDir temp;
    QString drive;
    QTreeWidget widget;
    DriveTree tree{&widget, [this] { return QStringList{drive}; }};
};

TEST_F(DriveTreeTest, LevelListsOnlyDirectoriesSortedWithoutRegardToCase) {
    makeDirs({"WINDOWS", "games", "Data", "apps"});
    QFile file(drive + "/Zfile.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(tree.fillTree());
    ASSERT_EQ(widget.topLevelItemCount(), 1);
    EXPECT_EQ(driveItem()->text(0), drive);
    EXPECT_TRUE(hasOnlyPlaceholder(driveItem()));

    driveItem()->setExpanded(true);
    EXPECT_EQ(childLabels(driveItem()), (QStringList{"apps", "Data", "games", "WINDOWS"}));
}

TEST_F(DriveTreeTest, ExpandButtonOnlyWhereASubdirectoryExistsHiddenOnesIncluded) {
    makeDirs({"onlyHidden/.secret", "leaf", ".dotted"});
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    ASSERT_EQ(childLabels(driveItem()), (QStringList{".dotted", "leaf", "onlyHidden"}));
    EXPECT_EQ(driveItem()->child(0)->childCount(), 0);
    EXPECT_EQ(driveItem()->child(1)->childCount(), 0);
    EXPECT_TRUE(hasOnlyPlaceholder(driveItem()->child(2)));
    EXPECT_EQ(childLabels(openChild(driveItem(), "onlyHidden")), QStringList{".secret"});
}

TEST_F(DriveTreeTest, DriveWithoutSubdirectoriesHasNoExpandButton) {
    ASSERT_TRUE(tree.fillTree());
    EXPECT_EQ(driveItem()->childCount(), 0);
}

TEST_F(DriveTreeTest, ClosingALevelForgetsItAndReopeningReadsTheDiskAgain) {
    makeDirs({"b"});
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    EXPECT_EQ(childLabels(driveItem()), QStringList{"b"});

    makeDirs({"a"});
    driveItem()->setExpanded(false);
    EXPECT_TRUE(hasOnlyPlaceholder(driveItem()));
    driveItem()->setExpanded(true);
    EXPECT_EQ(childLabels(driveItem()), (QStringList{"a", "b"}));
}

TEST_F(DriveTreeTest, ItemPathJoinsLabelsWithSlashes) {
    makeDirs({"Data/Games"});
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    QTreeWidgetItem* games = openChild(openChild(driveItem(), "Data"), "Games");
    ASSERT_NE(games, nullptr);
    EXPECT_EQ(tree.itemPath(games), drive + "/Data/Games");
    EXPECT_EQ(tree.itemPath(driveItem()), drive);

    EXPECT_EQ(DriveTree::lastComponent("/a/Games"), "Games");
    EXPECT_EQ(DriveTree::lastComponent("/a/Games/"), "Games");
    EXPECT_EQ(DriveTree::lastComponent("Games"), "Games");
}

TEST(DriveTreeRootTest, RootDriveIsSlashAndItsChildrenHaveOneSlash) {
    QTreeWidget widget;
    DriveTree tree(&widget, [] { return QStringList{"/"}; });
    ASSERT_TRUE(tree.fillTree());
    QTreeWidgetItem* root = widget.topLevelItem(0);
    EXPECT_EQ(root->text(0), "/");
    EXPECT_EQ(tree.itemPath(root), "/");
    root->setExpanded(true);
    QTreeWidgetItem* tmp = tree.findChild(root, "TMP");
    ASSERT_NE(tmp, nullptr);
    EXPECT_EQ(tree.itemPath(tmp), "/tmp");
}

TEST_F(DriveTreeTest, SelectPathInAnotherCaseOpensEachLevelAfreshAndSelectsTheLast) {
    makeDirs({"Data/Games", "Other"});
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    openChild(driveItem(), "Data");
    makeDirs({"Data/Games/Saves", "Data/Added"});
    QSignalSpy selected(&tree, &DriveTree::directorySelected);

    ASSERT_TRUE(tree.selectPath((drive + "/data/GAMES").toUpper()));

    ASSERT_EQ(widget.selectedItems().size(), 1);
    QTreeWidgetItem* games = widget.selectedItems().first();
    EXPECT_EQ(tree.itemPath(games), drive + "/Data/Games");
    EXPECT_TRUE(games->isExpanded());
    EXPECT_EQ(childLabels(games), QStringList{"Saves"});
    EXPECT_EQ(childLabels(games->parent()), (QStringList{"Added", "Games"}));
    EXPECT_EQ(QDir::currentPath(), drive + "/Data/Games");
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().first().toString(), drive + "/Data/Games");
}

TEST_F(DriveTreeTest, SelectPathOutsideEveryDriveOrMissingFailsAndLeavesTheTree) {
    makeDirs({"Data"});
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    widget.setCurrentItem(driveItem()->child(0));
    const QString before = snapshot(widget.invisibleRootItem());

    EXPECT_FALSE(tree.selectPath("/usr"));
    EXPECT_FALSE(tree.selectPath(drive + "/Data/Missing"));
    EXPECT_FALSE(tree.selectPath("Data"));
    EXPECT_EQ(snapshot(widget.invisibleRootItem()), before);
    EXPECT_EQ(QDir::currentPath(), startDirectory);
}

TEST(DriveTreeKnownPathTest, DriveMatchesOnlyWholeComponents) {
    QTemporaryDir temp;
    const QString base = QFileInfo(temp.path()).canonicalFilePath();
    ASSERT_TRUE(QDir(base).mkpath("home/user/x"));
    ASSERT_TRUE(QDir(base).mkpath("home/username"));
    QTreeWidget widget;
    DriveTree tree(&widget, [&] { return QStringList{base + "/home/user"}; });
    ASSERT_TRUE(tree.fillTree());
    EXPECT_TRUE(tree.isKnownPath(base + "/home/user"));
    EXPECT_TRUE(tree.isKnownPath(base + "/home/user/"));
    EXPECT_TRUE(tree.isKnownPath(base + "/home/user/x"));
    EXPECT_FALSE(tree.isKnownPath(base + "/home/username"));
    EXPECT_FALSE(tree.isKnownPath(base + "/home/user/y"));
    EXPECT_FALSE(tree.isKnownPath(""));

    DriveTree rootTree(&widget, [] { return QStringList{"/"}; });
    ASSERT_TRUE(rootTree.fillTree());
    EXPECT_TRUE(rootTree.isKnownPath(base + "/home/username"));
    EXPECT_TRUE(rootTree.isKnownPath("/"));
}

TEST_F(DriveTreeTest, UnreadableFolderGivesAnEmptyLevel) {
    makeDirs({"locked/inner"});
    const QByteArray locked = QFile::encodeName(drive + "/locked");
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    DIR* probe = opendir(locked.constData());
    if (probe != nullptr) {
        closedir(probe);
        chmod(locked.constData(), 0755);
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    QTreeWidgetItem* item = driveItem()->child(0);
    EXPECT_EQ(item->childCount(), 0);
    tree.fillLevel(item, drive + "/locked");
    EXPECT_EQ(item->childCount(), 0);
    chmod(locked.constData(), 0755);
}

TEST_F(DriveTreeTest, SymlinkLoopsAreListedOneLevelAtATime) {
    makeDirs({"a/b"});
    ASSERT_EQ(symlink("self", QFile::encodeName(drive + "/a/self").constData()), 0);
    ASSERT_EQ(symlink("..", QFile::encodeName(drive + "/a/b/up").constData()), 0);
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    QTreeWidgetItem* a = openChild(driveItem(), "a");
    EXPECT_EQ(childLabels(a), QStringList{"b"});  // "self" never resolves to a directory
    QTreeWidgetItem* up = openChild(openChild(a, "b"), "up");
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(childLabels(up), QStringList{"b"});
    EXPECT_TRUE(hasOnlyPlaceholder(up->child(0)));

    tree.fillLevel(up, drive + "/a/self");
    EXPECT_EQ(up->childCount(), 1);
}

// The left button held down on an item and moved by `distance` pixels.
void dragOn(QTreeWidget& widget, QTreeWidgetItem* item, int distance) {
    QWidget* viewport = widget.viewport();
    const QPointF from = widget.visualItemRect(item).center();
    const QPointF to = from + QPointF(distance, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, viewport->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, to, viewport->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &move);
    QApplication::sendEvent(viewport, &release);
}

TEST_F(DriveTreeTest, DragSelectsItsItemAndMarksItUntilTheNextDrag) {
    makeDirs({"apps", "games"});
    ASSERT_TRUE(tree.fillTree());
    driveItem()->setExpanded(true);
    widget.resize(300, 300);
    widget.show();
    QTreeWidgetItem* apps = driveItem()->child(0);
    QTreeWidgetItem* games = driveItem()->child(1);
    const int far = QApplication::startDragDistance() + 5;

    dragOn(widget, games, 1);  // a click that wobbles is no drag
    EXPECT_EQ(tree.dropHighlightedItem(), nullptr);

    dragOn(widget, apps, far);
    EXPECT_EQ(tree.dropHighlightedItem(), apps);
    EXPECT_TRUE(apps->isSelected());

    // Selecting another folder leaves the mark; only the next drag moves it.
    widget.setCurrentItem(games);
    EXPECT_EQ(tree.dropHighlightedItem(), apps);
    dragOn(widget, games, far);
    EXPECT_EQ(tree.dropHighlightedItem(), games);
    EXPECT_FALSE(apps->data(0, Qt::BackgroundRole).isValid());
}

TEST_F(DriveTreeTest, AMissingDriveIsPassedOverAndNoDrivesFillNothing) {
    makeDirs({"present"});
    DriveTree missingFirst(&widget, [this] { return QStringList{"/no/such/drive", drive}; });
    EXPECT_TRUE(missingFirst.fillTree());
    ASSERT_EQ(widget.topLevelItemCount(), 1);
    EXPECT_EQ(driveItem()->text(0), drive);

    DriveTree none(&widget, [] { return QStringList{}; });
    EXPECT_FALSE(none.fillTree());
}

TEST_F(DriveTreeTest, RefreshRebuildsBetweenTwoStatusTexts) {
    std::vector<std::string> status;
    tree.refreshDrives([&status](std::string_view text) { status.emplace_back(text); });
    EXPECT_EQ(status, (std::vector<std::string>{"Refreshing file system.......",
                                                "File system refreshed......."}));
    EXPECT_EQ(widget.topLevelItemCount(), 1);
}

}  // namespace
}  // namespace quorvane::ui
