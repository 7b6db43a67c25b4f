#include "ui/pc_file_list.h"

#include <QTreeWidget>

namespace quorvane::ui {

PcFileList::PcFileList(QTreeWidget* list) : m_list(list) {}
void PcFileList::ListPcFiles(const QString&) {}

}  // namespace quorvane::ui
