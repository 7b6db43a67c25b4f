// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/card_list_view.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTreeWidget>

#include "app/organizer.h"
#include "ui/card_name_delegate.h"
#include "ui/column_sorter.h"
#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

constexpr int NAME_COLUMN_WIDTH = 118;
constexpr int SIZE_COLUMN_WIDTH = 100;
constexpr int LIST_ICON_SIDE = CardNameDelegate::ICON_SIDE;
// Where a card row keeps the directory slot of its file.
constexpr int SLOT_ROLE = Qt::UserRole + 1;

}  // namespace

void setUpCardListView(QTreeWidget& list, IconAnimator& icons) {
    list.setColumnCount(2);
    list.setHeaderLabels(
        {QCoreApplication::translate("quorvane::ui::MainWindow", "FileName"),
         QCoreApplication::translate("quorvane::ui::MainWindow", "Size(in Blocks)")});
    list.headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    list.headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list.header()->setStretchLastSection(false);
    list.setColumnWidth(0, NAME_COLUMN_WIDTH);
    list.setColumnWidth(1, SIZE_COLUMN_WIDTH);
    list.setRootIsDecorated(false);
    list.setItemsExpandable(false);
    list.setUniformRowHeights(true);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setIconSize(QSize(LIST_ICON_SIDE, LIST_ICON_SIDE));
    list.setItemDelegateForColumn(0, new CardNameDelegate(&list));
    ColumnSorter::attach(&list);
    icons.setList(&list);
    // Sorting moves rows: some may come into view.
    QObject::connect(list.header(), &QHeaderView::sectionClicked, &icons, &IconAnimator::update);
}

void showCardRows(QTreeWidget& list, IconAnimator& icons, const std::vector<app::CardRow>& rows) {
    icons.clearRows();
    list.clear();
    for (const app::CardRow& row : rows) {
        auto* item = new QTreeWidgetItem({nameToText(row.name), QString::number(row.sizeInBlocks)});
        item->setData(0, SLOT_ROLE, row.slot);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        list.addTopLevelItem(item);
        if (row.icon != nullptr) {
            icons.setRowIcon(item, iconPictures(*row.icon, LIST_ICON_SIDE));
        }
    }
}

std::vector<int> selectedCardSlots(const QTreeWidget& list) {
    std::vector<int> slotNumbers;
    for (const QModelIndex& row : list.selectionModel()->selectedRows(0)) {
        slotNumbers.push_back(row.data(SLOT_ROLE).toInt());
    }
    return slotNumbers;
}

void followCardSelection(QTreeWidget& list, app::Organizer& organizer, QObject* context) {
    // Only a row that becomes selected counts; a row losing its selection changes nothing.
    QObject::connect(
        list.selectionModel(), &QItemSelectionModel::selectionChanged, context,
        [&list, &organizer](const QItemSelection& selected, const QItemSelection&) {
            for (const QModelIndex& index : selected.indexes()) {
                if (index.column() == 0) {
                    organizer.selectFile(index.data(SLOT_ROLE).toInt());
                }
            }
            // Of several rows, the information lines are those of the focused one.
            const QModelIndex focused = list.currentIndex();
            if (selected.indexes().size() > 1 &&
                list.selectionModel()->isRowSelected(focused.row(), {})) {
                organizer.selectFile(focused.siblingAtColumn(0).data(SLOT_ROLE).toInt());
            }
        });
}

void allowSeveralRows(QTreeWidget& list, bool several) {
    list.setSelectionMode(several ? QAbstractItemView::ExtendedSelection
                                  : QAbstractItemView::SingleSelection);
}

}  // namespace quorvane::ui
