// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pc_file_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace quorvane::ui {
namespace {

class PcFileListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    void makeFile(const QString& name, qint64 size) {
        QFile file(temp.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));  // sparse: no disk space is used for big sizes
    }
    QMap<QString, QString> rows() const {
        QMap<QString, QString> sizes;
        for (int i = 0; i < widget.topLevelItemCount(); ++i) {
            sizes.insert(widget.topLevelItem(i)->text(0), widget.topLevelItem(i)->text(1));
        }
        return sizes;
    }

    QTemporaryDir temp;
    QTreeWidget widget;
    PcFileList list{&widget};
};

TEST_F(PcFileListTest, ListsPlainFilesWithTheirTrueSizes) {
    makeFile("save.ddc", 1234);
    makeFile(".hidden", 0);
    makeFile("big.dcm", 3LL * 1024 * 1024 * 1024);
    ASSERT_TRUE(QDir(temp.path()).mkdir("folder"));
    list.listPcFiles(temp.path());
    const QMap<QString, QString> expected{
        {"save.ddc", "1234"}, {".hidden", "0"}, {"big.dcm", "3221225472"}};
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(widget.headerItem()->text(0), "Name");
    EXPECT_EQ(widget.headerItem()->text(1), "Size");
}

TEST_F(PcFileListTest, AnotherFolderReplacesTheRows) {
    makeFile("first", 1);
    ASSERT_TRUE(QDir(temp.path()).mkdir("sub"));
    makeFile("sub/second", 22);
    list.listPcFiles(temp.path());
    list.listPcFiles(temp.filePath("sub"));
    EXPECT_EQ(rows(), (QMap<QString, QString>{{"second", "22"}}));
    list.listPcFiles(temp.filePath("missing"));
    EXPECT_EQ(widget.topLevelItemCount(), 0);
}

}  // namespace
}  // namespace quorvane::ui
