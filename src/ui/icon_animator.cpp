// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/icon_animator.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <limits>

namespace quorvane::ui {

namespace {

// No frame is shorter than one frame of the card's own display.
constexpr int SHORTEST_FRAME_MILLISECONDS = 1000 / card::ANIMATION_FRAMES_PER_SECOND;

QPixmap framePixmap(const card::IconFrame& frame, int side) {
    const QImage image(frame.data(), card::ICON_SIDE, card::ICON_SIDE, card::ICON_SIDE * 4,
                       QImage::Format_RGBA8888);
    // Scaled by whole pixels: an icon this small stays sharp.
    const Qt::TransformationMode mode =
        side % card::ICON_SIDE == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
    return QPixmap::fromImage(image.scaled(side, side, Qt::IgnoreAspectRatio, mode));
}

bool animates(const IconPictures& pictures) {
    return pictures.frames.size() > 1;
}

}  // namespace

IconPictures iconPictures(const card::SaveIcon& icon, int side) {
    IconPictures pictures;
    for (const card::IconFrame& frame : icon.frames) {
        pictures.frames.append(framePixmap(frame, side));
    }
    pictures.frameMilliseconds = std::max(icon.frameMilliseconds, SHORTEST_FRAME_MILLISECONDS);
    return pictures;
}

IconAnimator::IconAnimator(QWidget* window) : QObject(window), m_window(window) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &IconAnimator::tick);
    m_clock.start();
    if (m_window) {
        m_window->installEventFilter(this);
    }
}

void IconAnimator::setList(QTreeWidget* list) {
    m_list = list;
    if (m_list) {
        // Rows scrolled into view may need to move again.
        connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this,
                &IconAnimator::update);
        m_viewport = m_list->viewport();
        m_viewport->installEventFilter(this);
    }
}

void IconAnimator::setRowIcon(QTreeWidgetItem* row, IconPictures pictures) {
    if (pictures.frames.isEmpty()) {
        return;
    }
    row->setIcon(0, pictures.frames.first());
    if (!animates(pictures)) {
        return;
    }
    QPointer<QTreeWidget> list = m_list;
    Played played;
    played.pictures = std::move(pictures);
    played.show = [row](const QPixmap& frame) { row->setIcon(0, frame); };
    played.visible = [list, row] {
        return list && list->isVisible() &&
               list->viewport()->rect().intersects(list->visualItemRect(row));
    };
    m_rows.push_back(std::move(played));
    update();
}

void IconAnimator::clearRows() {
    m_rows.clear();
    update();
}

void IconAnimator::setLabelIcon(QLabel* label, IconPictures pictures) {
    m_label.clear();
    if (label == nullptr) {
        return;
    }
    if (pictures.frames.isEmpty()) {
        label->clear();
        update();
        return;
    }
    label->setPixmap(pictures.frames.first());
    if (animates(pictures)) {
        QPointer<QLabel> shown = label;
        Played played;
        played.pictures = std::move(pictures);
        played.show = [shown](const QPixmap& frame) {
            if (shown) {
                shown->setPixmap(frame);
            }
        };
        played.visible = [shown] { return shown && shown->isVisible(); };
        m_label.push_back(std::move(played));
    }
    update();
}

bool IconAnimator::windowShown() const {
    return m_window && m_window->isVisible() && !m_window->isMinimized();
}

void IconAnimator::update() {
    bool needed = false;
    if (windowShown()) {
        for (const auto* played : {&m_rows, &m_label}) {
            needed = needed || std::any_of(played->begin(), played->end(),
                                           [](const Played& p) { return p.visible(); });
        }
    }
    if (needed && !m_timer.isActive()) {
        start();
    } else if (!needed) {
        m_timer.stop();
    }
}

// Ticks at the shortest frame time of what plays; each icon moves on at its own.
void IconAnimator::start() {
    int shortest = std::numeric_limits<int>::max();
    const qint64 now = m_clock.elapsed();
    for (auto* played : {&m_rows, &m_label}) {
        for (Played& p : *played) {
            shortest = std::min(shortest, p.pictures.frameMilliseconds);
            p.nextChange = now + p.pictures.frameMilliseconds;
        }
    }
    m_timer.start(shortest);
}

void IconAnimator::tick() {
    if (!windowShown()) {
        m_timer.stop();
        return;
    }
    const qint64 now = m_clock.elapsed();
    bool anyShown = false;
    for (auto* played : {&m_rows, &m_label}) {
        for (Played& p : *played) {
            if (!p.visible()) {
                continue;
            }
            anyShown = true;
            if (now >= p.nextChange) {
                p.frame = (p.frame + 1) % static_cast<int>(p.pictures.frames.size());
                p.show(p.pictures.frames[p.frame]);
                p.nextChange = now + p.pictures.frameMilliseconds;
            }
        }
    }
    if (!anyShown) {
        m_timer.stop();
    }
}

bool IconAnimator::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Resize:
            if (watched == m_window || watched == m_viewport) {
                update();
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace quorvane::ui
