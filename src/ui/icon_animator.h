// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

#include "card/save_header.h"

class QTreeWidget;
class QTreeWidgetItem;
class QLabel;

namespace quorvane::ui {

// A save's icon as the window shows it, each frame made once at the size it is shown in.
struct IconPictures {
    QList<QPixmap> frames;
    int frameMilliseconds = 0;
};
IconPictures iconPictures(const card::SaveIcon& icon, int side);

// Plays the icons of several files at once: the rows of the card list and the icon beside the
// information lines. Its timer runs only while a shown icon has more than one frame and the
// window is neither hidden nor minimised, so a still window costs nothing.
class IconAnimator : public QObject {
    Q_OBJECT
public:
    // `window` is watched for being minimised, hidden or shown again.
    explicit IconAnimator(QWidget* window);

    void setList(QTreeWidget* list);
    // Shows the icon in the row's first column and plays it there.
    void setRowIcon(QTreeWidgetItem* row, IconPictures pictures);
    void clearRows();
    // Shows the icon on the label and plays it there; empty pictures clear it.
    void setLabelIcon(QLabel* label, IconPictures pictures);

    bool running() const { return m_timer.isActive(); }

    // Looks again whether anything shown must move; the window calls it when rows changed.
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Played {
        IconPictures pictures;
        std::function<void(const QPixmap&)> show;
        std::function<bool()> visible;
        int frame = 0;
        qint64 nextChange = 0;  // on m_clock
    };
    void tick();
    bool windowShown() const;
    void start();

    QPointer<QWidget> m_window;
    QPointer<QTreeWidget> m_list;
    // Compared, never asked for: while the window is torn down its events may come from a list
    // that is half destroyed.
    QPointer<QObject> m_viewport;
    std::vector<Played> m_rows;
    std::vector<Played> m_label;  // none or one
    QTimer m_timer;
    QElapsedTimer m_clock;
};

}  // namespace quorvane::ui
