// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QAbstractItemView;
class QMimeData;

namespace quorvane::ui {

// Rows of one of this program's card lists, dragged: which list, and the directory slotNumbers.
struct CardRowsDrag {
    QString list;
    std::vector<int> slotNumbers;
};

// Rows of `list` with `files`, the same files written on the PC, for drops outside the program.
QMimeData* cardRowsMimeData(const CardRowsDrag& rows, const QList<QUrl>& files);
// The rows a drop carries; none when it carries none of this process's rows.
std::optional<CardRowsDrag> cardRowsOf(const QMimeData* mime);

// Starts a drag from a list's selected rows: `makeMime` gives what they carry (null: nothing
// to drag). The mouse moves of a drag no longer extend the selection.
class RowDragSource : public QObject {
    Q_OBJECT
public:
    using MakeMime = std::function<QMimeData*()>;
    RowDragSource(QAbstractItemView& view, MakeMime makeMime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& m_view;
    QObject* m_viewport;
    MakeMime m_makeMime;
    std::optional<QPoint> m_pressedAt;
};

// Drops on a list: PC files (text/uri-list) and card rows of another list, each to its
// handler, which runs once the drop has ended; what has no handler is refused. A list's own
// rows are never dropped back on it.
class DropTarget : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        QString ownList;
        std::function<void(const std::vector<std::filesystem::path>&)> files;
        // `move`: Shift held at the drop.
        std::function<void(const CardRowsDrag&, QPoint position, bool move)> rows;
    };
    DropTarget(QAbstractItemView& view, Handlers handlers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QObject* m_viewport;
    Handlers m_handlers;
};

}  // namespace quorvane::ui
