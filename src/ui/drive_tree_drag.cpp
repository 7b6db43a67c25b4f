// SPDX-License-Identifier: GPL-3.0-or-later
// A drag on a folder of the tree: it selects the folder and marks it highlighted until the
// next drag. Nothing is dragged anywhere and nothing is dropped.
#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "ui/drive_tree.h"

namespace quorvane::ui {

namespace {

// Marks the item a drag began on; the colours alone would not tell it from a selection.
constexpr int DROP_HIGHLIGHT_ROLE = Qt::UserRole + 1;

}  // namespace

// Watches the tree's mouse for the start of a drag: the left button held down and moved the
// platform's drag distance. Once a drag began, the moves until the release are swallowed, so
// the selection does not follow the mouse. The viewport is compared, never asked for: while
// the window is torn down the tree may be half destroyed when its viewport's last events come.
bool DriveTree::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_viewport) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_dragStart = mouse->position().toPoint();
                m_dragging = false;
            }
            return false;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_dragging) {
                return true;
            }
            if (m_dragStart && (mouse->buttons() & Qt::LeftButton) &&
                (mouse->position().toPoint() - *m_dragStart).manhattanLength() >=
                    QApplication::startDragDistance()) {
                QTreeWidgetItem* item = m_tree->itemAt(*m_dragStart);
                m_dragStart.reset();
                if (item != nullptr) {
                    m_dragging = true;
                    beginDrag(item);
                    return true;
                }
            }
            return false;
        }
        case QEvent::MouseButtonRelease:
            m_dragStart.reset();
            m_dragging = false;
            return false;
        default:
            return false;
    }
}

void DriveTree::beginDrag(QTreeWidgetItem* item) {
    clearDropHighlight();
    m_tree->setCurrentItem(item);
    item->setData(0, DROP_HIGHLIGHT_ROLE, true);
    const QPalette palette = m_tree->palette();
    item->setBackground(0, palette.brush(QPalette::Active, QPalette::Highlight));
    item->setForeground(0, palette.brush(QPalette::Active, QPalette::HighlightedText));
}

void DriveTree::clearDropHighlight() {
    if (QTreeWidgetItem* marked = dropHighlightedItem()) {
        marked->setData(0, DROP_HIGHLIGHT_ROLE, QVariant());
        marked->setData(0, Qt::BackgroundRole, QVariant());
        marked->setData(0, Qt::ForegroundRole, QVariant());
    }
}

QTreeWidgetItem* DriveTree::dropHighlightedItem() const {
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        if ((*it)->data(0, DROP_HIGHLIGHT_ROLE).toBool()) {
            return *it;
        }
    }
    return nullptr;
}

}  // namespace quorvane::ui
