// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/card_name_delegate.h"

#include <QApplication>
#include <QPainter>

#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

constexpr int ICON_MARGIN = 1;
constexpr int GAP = 2;
constexpr int TEXT_MARGIN = 2;

}  // namespace

void CardNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();

    // The row's background and selection as the style draws them; the rest is ours.
    QStyleOptionViewItem background = item;
    background.text.clear();
    background.icon = QIcon();
    background.features &= ~QStyleOptionViewItem::HasDecoration;
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const QRect row = item.rect;
    if (!item.icon.isNull()) {
        const QRect iconRect(row.left() + ICON_MARGIN, row.top() + (row.height() - ICON_SIDE) / 2,
                             ICON_SIDE, ICON_SIDE);
        item.icon.paint(painter, iconRect);
    }
    // Every name starts at the same place, with an icon or without.
    const QRect textRect = row.adjusted(ICON_MARGIN + ICON_SIDE + GAP, 0, -TEXT_MARGIN, 0);
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group =
        (item.state & QStyle::State_Active) != 0 ? QPalette::Active : QPalette::Inactive;
    painter->save();
    painter->setPen(
        item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(item.font);
    // The row keeps the name's own text, which selects its file; only the drawing shows
    // characters that print nothing as the placeholder.
    painter->drawText(
        textRect, Qt::AlignLeft | Qt::AlignVCenter,
        item.fontMetrics.elidedText(printableText(item.text), Qt::ElideRight, textRect.width()));
    painter->restore();
}

QSize CardNameDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), ICON_SIDE + 2 * ICON_MARGIN));
    return size;
}

}  // namespace quorvane::ui
