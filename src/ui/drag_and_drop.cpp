// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drag_and_drop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

// Carries the process as well as the list: rows dragged from another copy of the program are
// its files, and arrive as the files written for them.
constexpr auto CARD_ROWS_TYPE = "application/x-quorvane-card-rows";

std::vector<std::filesystem::path> localFiles(const QMimeData* mime) {
    std::vector<std::filesystem::path> files;
    if (mime == nullptr || !mime->hasUrls()) {
        return files;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            files.push_back(textToPath(url.toLocalFile()));
        }
    }
    return files;
}

}  // namespace

QMimeData* cardRowsMimeData(const CardRowsDrag& rows, const QList<QUrl>& files) {
    QStringList fields{QString::number(QCoreApplication::applicationPid()), rows.list};
    for (const int slot : rows.slotNumbers) {
        fields.append(QString::number(slot));
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(CARD_ROWS_TYPE), fields.join(u' ').toUtf8());
    mime->setUrls(files);
    return mime;
}

std::optional<CardRowsDrag> cardRowsOf(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasFormat(QString::fromLatin1(CARD_ROWS_TYPE))) {
        return std::nullopt;
    }
    const QStringList fields =
        QString::fromUtf8(mime->data(QString::fromLatin1(CARD_ROWS_TYPE))).split(u' ');
    bool samePid = false;
    if (fields.size() < 3 || fields[0].toLongLong(&samePid) != QCoreApplication::applicationPid() ||
        !samePid) {
        return std::nullopt;
    }
    CardRowsDrag rows{fields[1], {}};
    for (qsizetype k = 2; k < fields.size(); ++k) {
        bool number = false;
        const int slot = fields[k].toInt(&number);
        if (!number) {
            return std::nullopt;
        }
        rows.slotNumbers.push_back(slot);
    }
    return rows;
}

RowDragSource::RowDragSource(QAbstractItemView& view, MakeMime makeMime)
    : QObject(&view), m_view(view), m_viewport(view.viewport()), m_makeMime(std::move(makeMime)) {
    view.viewport()->installEventFilter(this);
}

// The viewport is compared, never asked for: while the window is torn down the list may be
// half destroyed when its viewport's last events come.
bool RowDragSource::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_viewport) {
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool onRow = m_view.indexAt(mouse->position().toPoint()).isValid();
        m_pressedAt = mouse->button() == Qt::LeftButton && onRow
                          ? std::optional(mouse->position().toPoint())
                          : std::nullopt;
        return false;
    }
    if (event->type() != QEvent::MouseMove || !m_pressedAt) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if ((mouse->buttons() & Qt::LeftButton) == 0) {
        m_pressedAt.reset();
        return false;
    }
    if ((mouse->position().toPoint() - *m_pressedAt).manhattanLength() <
        QApplication::startDragDistance()) {
        return true;
    }
    m_pressedAt.reset();
    if (QMimeData* mime = m_makeMime()) {
        auto* drag = new QDrag(&m_view);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    }
    return true;
}

DropTarget::DropTarget(QAbstractItemView& view, Handlers handlers)
    : QObject(&view), m_viewport(view.viewport()), m_handlers(std::move(handlers)) {
    view.setAcceptDrops(true);
    view.viewport()->setAcceptDrops(true);
    view.viewport()->installEventFilter(this);
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_viewport) {
        return false;
    }
    const bool dropped = event->type() == QEvent::Drop;
    if (!dropped && event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const std::optional<CardRowsDrag> rows = cardRowsOf(drop->mimeData());
    // Rows carry their files too: rows that may not be dropped here are not taken as files.
    if (rows && (rows->list == m_handlers.ownList || !m_handlers.rows)) {
        drop->ignore();
        return true;
    }
    const std::vector<std::filesystem::path> files =
        rows ? std::vector<std::filesystem::path>{} : localFiles(drop->mimeData());
    if (!rows && (files.empty() || !m_handlers.files)) {
        return false;
    }
    const bool move = rows && (drop->modifiers() & Qt::ShiftModifier) != 0;
    drop->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
    drop->accept();
    if (!dropped) {
        return true;
    }
    // Run once the drop has ended: the questions on the way must not keep the other program's
    // drag waiting.
    const QPoint position = drop->position().toPoint();
    QTimer::singleShot(0, this, [this, rows, files, position, move] {
        if (rows) {
            m_handlers.rows(*rows, position, move);
        } else {
            m_handlers.files(files);
        }
    });
    return true;
}

}  // namespace quorvane::ui
