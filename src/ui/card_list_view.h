// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <vector>

#include "app/screen.h"
#include "ui/icon_animator.h"

class QTreeWidget;

namespace quorvane::app {
class Organizer;
}

namespace quorvane::ui {

// A list of card files as every card pane shows it: the same columns, icons and sorting, and its
// rows' directory slots.
void setUpCardListView(QTreeWidget& list, IconAnimator& icons);
// The listing's rows replace the list's.
void showCardRows(QTreeWidget& list, IconAnimator& icons, const std::vector<app::CardRow>& rows);
// The slots of every selected row.
std::vector<int> selectedCardSlots(const QTreeWidget& list);
// A row that becomes selected is the organiser's selection; of several, the focused one.
void followCardSelection(QTreeWidget& list, app::Organizer& organizer, QObject* context);
// Shift and Ctrl select several rows, or one row at a time.
void allowSeveralRows(QTreeWidget& list, bool several);

}  // namespace quorvane::ui
