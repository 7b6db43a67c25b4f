// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

namespace quorvane::ui {

// Draws the card list's name column: the save's icon in a narrow slot at the left, then the
// name, characters that print nothing as the placeholder. The column keeps its width, so the slot
// and the gap are as small as can be read: a twelve-character name still fits beside its icon.
class CardNameDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int ICON_SIDE = 16;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace quorvane::ui
