// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <vector>

class QAbstractItemView;

namespace quorvane::ui {

// Files dropped on the card list from the desktop's file manager (text/uri-list): the local
// files among them go to `add`, in the order they were dropped.
class CardListDrops : public QObject {
    Q_OBJECT
public:
    using Add = std::function<void(const std::vector<std::filesystem::path>&)>;
    CardListDrops(QAbstractItemView& list, Add add);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QObject* m_viewport;
    Add m_add;
};

}  // namespace quorvane::ui
