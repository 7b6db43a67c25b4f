// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/column_sorter.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <limits>
#include <vector>

namespace quorvane::ui {

long long leadingInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr long long LIMIT = std::numeric_limits<long long>::max() / 10 - 9;
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value < LIMIT) {  // saturate rather than overflow on absurdly long digit runs
            value = value * 10 + (text[i].unicode() - u'0');
        }
    }
    return negative ? -value : value;
}

void ColumnSorter::attach(QTreeWidget* list) {
    list->setSortingEnabled(false);
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(false);
    QObject::connect(list->header(), &QHeaderView::sectionClicked, list,
                     [list](int column) { sort(list, column); });
}

namespace {

struct KeyedRow {
    QTreeWidgetItem* item;
    QString text;
    long long number;
};

bool isNumericColumn(int column) {
    return column >= 0 &&
           static_cast<std::size_t>(column) < ColumnSorter::COLUMN_IS_NUMERIC.size() &&
           ColumnSorter::COLUMN_IS_NUMERIC[static_cast<std::size_t>(column)];
}

}  // namespace

void ColumnSorter::sort(QTreeWidget* list, int column) {
    const bool numeric = isNumericColumn(column);
    QTreeWidgetItem* current = list->currentItem();
    const QList<QTreeWidgetItem*> selected = list->selectedItems();

    std::vector<KeyedRow> rows;
    rows.reserve(static_cast<std::size_t>(list->topLevelItemCount()));
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        const QString text = item->text(column);
        rows.push_back({item, text, numeric ? leadingInteger(text) : 0});
    }
    std::stable_sort(rows.begin(), rows.end(), [numeric](const KeyedRow& a, const KeyedRow& b) {
        if (numeric) {
            return a.number < b.number;
        }
        return QString::compare(a.text, b.text, Qt::CaseInsensitive) < 0;
    });

    // Moving rows is not a change of selection: nobody listening may take it for one.
    const QSignalBlocker blockSelection(list->selectionModel());
    const QSignalBlocker blockList(list);
    while (list->topLevelItemCount() > 0) {
        list->takeTopLevelItem(0);
    }
    QList<QTreeWidgetItem*> ordered;
    ordered.reserve(static_cast<qsizetype>(rows.size()));
    for (const KeyedRow& row : rows) {
        ordered.append(row.item);
    }
    list->addTopLevelItems(ordered);
    if (current != nullptr) {
        list->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    }
    for (QTreeWidgetItem* item : selected) {
        item->setSelected(true);
    }
    list->viewport()->update();
}

}  // namespace quorvane::ui
