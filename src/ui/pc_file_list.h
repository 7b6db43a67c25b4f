// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QTreeWidget;

namespace quorvane::ui {

// The plain files of one directory: name and size in bytes, as rows of a two-column list.
class PcFileList {
public:
    explicit PcFileList(QTreeWidget* list);
    void listPcFiles(const QString& directory);
    QTreeWidget* widget() const { return m_list; }

private:
    QTreeWidget* m_list;
};

}  // namespace quorvane::ui
