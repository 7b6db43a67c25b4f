#include "ui/drive_tree.h"

#include <QTreeWidget>

namespace quorvane::ui {

QStringList DriveTree::DefaultDrives() { return {}; }
DriveTree::DriveTree(QTreeWidget* tree, DriveLister listDrives, QObject* parent)
    : QObject(parent), m_tree(tree), m_listDrives(std::move(listDrives)) {}
void DriveTree::RefreshDrives() {}
bool DriveTree::FillTree() { return false; }
bool DriveTree::ListDrives() { return false; }
void DriveTree::FillLevel(QTreeWidgetItem*, const QString&) {}
QTreeWidgetItem* DriveTree::InsertPathItem(QTreeWidgetItem*, const QString&) { return nullptr; }
QString DriveTree::LastComponent(const QString& path) { return path; }
bool DriveTree::HasSubdirectories(const QString&) { return false; }
void DriveTree::ExpandItem(QTreeWidgetItem*) {}
QString DriveTree::ItemPath(const QTreeWidgetItem*) const { return {}; }
bool DriveTree::SelectPath(const QString&) { return false; }
QTreeWidgetItem* DriveTree::FindChild(QTreeWidgetItem*, const QString&) const { return nullptr; }
bool DriveTree::IsKnownPath(const QString&) const { return false; }

}  // namespace quorvane::ui
