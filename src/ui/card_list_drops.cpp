// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/card_list_drops.h"

#include <QAbstractItemView>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

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

CardListDrops::CardListDrops(QAbstractItemView& list, Add add)
    : QObject(&list), m_viewport(list.viewport()), m_add(std::move(add)) {
    list.setAcceptDrops(true);
    list.viewport()->setAcceptDrops(true);
    list.viewport()->installEventFilter(this);
}

bool CardListDrops::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_viewport) {
        return false;
    }
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (localFiles(drag->mimeData()).empty()) {
                return false;
            }
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<std::filesystem::path> files = localFiles(drop->mimeData());
            if (files.empty()) {
                return false;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            m_add(files);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace quorvane::ui
