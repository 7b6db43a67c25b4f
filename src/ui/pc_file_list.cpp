// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pc_file_list.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTreeWidget>
#include <filesystem>
#include <vector>

#include "pc/folder_files.h"
#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

constexpr int NAME_COLUMN = 0;
constexpr int SIZE_COLUMN = 1;
constexpr int NAME_COLUMN_WIDTH = 220;
constexpr int SIZE_COLUMN_WIDTH = 100;

// The headings a QTreeWidget shows until someone sets its own: "1", "2".
bool hasOwnHeadings(const QTreeWidget* list) {
    const QTreeWidgetItem* header = list->headerItem();
    for (int column = 0; column < list->columnCount(); ++column) {
        const QString text = header->text(column);
        if (text.isEmpty() || text == QString::number(column + 1)) {
            return false;
        }
    }
    return list->columnCount() == 2;
}

QTreeWidgetItem* newFileRow(const pc::FolderFile& file) {
    auto* row = new QTreeWidgetItem(QStringList{pathToText(file.name), QString::number(file.size)});
    row->setTextAlignment(SIZE_COLUMN, Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

}  // namespace

PcFileList::PcFileList(QTreeWidget* list) : m_list(list) {
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformRowHeights(true);
    if (!hasOwnHeadings(m_list)) {
        m_list->setColumnCount(2);
        m_list->setHeaderLabels({QCoreApplication::translate("quorvane::ui::PcFileList", "Name"),
                                 QCoreApplication::translate("quorvane::ui::PcFileList", "Size")});
        m_list->setColumnWidth(NAME_COLUMN, NAME_COLUMN_WIDTH);
        m_list->setColumnWidth(SIZE_COLUMN, SIZE_COLUMN_WIDTH);
    }
}

void PcFileList::listPcFiles(const QString& directory) {
    m_list->clear();
    const std::vector<pc::FolderFile> files = pc::listFolderFiles(textToPath(directory));
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(files.size()));
    for (const pc::FolderFile& file : files) {
        rows.append(newFileRow(file));
    }
    m_list->addTopLevelItems(rows);
}

}  // namespace quorvane::ui
