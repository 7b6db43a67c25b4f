// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drive_tree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <filesystem>
#include <system_error>
#include <vector>

#include "pc/name_lookup.h"
#include "pc/name_order.h"
#include "pc/subdirectories.h"
#include "pc/top_folders.h"
#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

// "/a/b" with "c" gives "/a/b/c"; "/" with "c" gives "/c".
QString joinPath(const QString& directory, const QString& name) {
    return directory.endsWith(u'/') ? directory + name : directory + u'/' + name;
}

// One trailing '/' dropped, but the root stays "/".
QString withoutTrailingSlash(QString path) {
    if (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

// The entry of `directory` that `name` denotes, spelled as on the disk; empty when there is none.
QString nameOnDisk(const QString& directory, const QString& name) {
    const std::optional<std::filesystem::path> entry =
        pc::findEntryIgnoringCase(textToPath(directory), textToPath(name).native());
    return entry ? pathToText(entry->filename()) : QString();
}

bool startsOnComponentBoundary(const QString& path, const QString& prefix) {
    if (prefix.isEmpty() || !path.startsWith(prefix, Qt::CaseInsensitive)) {
        return false;
    }
    return path.size() == prefix.size() || prefix.endsWith(u'/') || path[prefix.size()] == u'/';
}

QTreeWidgetItem* childLabelled(QTreeWidgetItem* parent, const QString& label) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == label) {
            return parent->child(i);
        }
    }
    return nullptr;
}

// Gives an item an expand button before its level has been read.
QTreeWidgetItem* newPlaceholder() {
    auto* placeholder = new QTreeWidgetItem(QStringList{QString()});
    placeholder->setFlags(Qt::ItemIsEnabled);
    return placeholder;
}

void replaceChildrenWithPlaceholder(QTreeWidgetItem* item) {
    qDeleteAll(item->takeChildren());
    item->addChild(newPlaceholder());
}

// Redrawing stays off while a level is inserted; nested users keep it off until the outermost
// one ends.
class RedrawSuspended {
public:
    explicit RedrawSuspended(QWidget* widget)
        : m_widget(widget), m_wasOn(widget->updatesEnabled()) {
        m_widget->setUpdatesEnabled(false);
    }
    ~RedrawSuspended() { m_widget->setUpdatesEnabled(m_wasOn); }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    QWidget* m_widget;
    bool m_wasOn;
};

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

QStringList DriveTree::defaultDrives() {
    QStringList drives;
    for (const std::filesystem::path& folder : pc::topFolders(
             textToPath(QDir::homePath()), pc::currentUserName(), pc::readMountTable())) {
        drives.append(pathToText(folder));
    }
    return drives;
}

DriveTree::DriveTree(QTreeWidget* tree, DriveLister listDrives, QObject* parent)
    : QObject(parent), m_tree(tree), m_listDrives(std::move(listDrives)) {
    setUpWidget();
    connect(m_tree, &QTreeWidget::itemExpanded, this, &DriveTree::expandItem);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &DriveTree::collapseItem);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &DriveTree::emitSelection);
    m_viewport = m_tree->viewport();
    m_viewport->installEventFilter(this);
}

void DriveTree::setUpWidget() {
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row is one line high; telling the view so keeps a level of thousands fast.
    m_tree->setUniformRowHeights(true);
    // The chosen folder stays visibly selected while the user works in the card list.
    QPalette palette = m_tree->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                     palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     palette.brush(QPalette::Active, QPalette::HighlightedText));
    m_tree->setPalette(palette);
}

void DriveTree::refreshDrives(const std::function<void(std::string_view)>& showStatus) {
    showStatus(app::text::REFRESHING_FILE_SYSTEM);
    fillTree();
    showStatus(app::text::FILE_SYSTEM_REFRESHED);
}

bool DriveTree::fillTree() {
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->clear();
    if (!loadIcons()) {
        return false;
    }
    return listDrives();
}

bool DriveTree::loadIcons() {
    QFileIconProvider provider;
    const QIcon folder = QIcon::fromTheme(QStringLiteral("folder"),
                                          provider.icon(QAbstractFileIconProvider::Folder));
    const QIcon openFolder = QIcon::fromTheme(QStringLiteral("folder-open"), folder);
    const QIcon drive = QIcon::fromTheme(QStringLiteral("drive-harddisk"),
                                         provider.icon(QAbstractFileIconProvider::Drive));
    if (folder.isNull() || drive.isNull()) {
        return false;
    }
    const int extent = m_tree->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_tree);
    const QSize size(extent, extent);
    const QPixmap folderPixmap = folder.pixmap(size);
    const QPixmap openFolderPixmap = openFolder.pixmap(size);
    const QPixmap drivePixmap = drive.pixmap(size);
    if (folderPixmap.isNull() || openFolderPixmap.isNull() || drivePixmap.isNull()) {
        return false;
    }
    // The view draws an item's icon in the Selected mode while it is selected: the open folder.
    m_directoryIcon = QIcon();
    m_directoryIcon.addPixmap(folderPixmap, QIcon::Normal);
    m_directoryIcon.addPixmap(openFolderPixmap, QIcon::Selected);
    m_driveIcon = QIcon(drivePixmap);
    return true;
}

bool DriveTree::listDrives() {
    m_tree->clear();
    const QStringList drives = m_listDrives ? m_listDrives() : QStringList{};
    if (drives.isEmpty()) {
        return false;
    }
    for (const QString& drive : drives) {
        QTreeWidgetItem* item = insertPathItem(nullptr, drive);
        if (item != nullptr && pc::hasSubdirectory(textToPath(drive))) {
            item->addChild(newPlaceholder());
        }
    }
    return true;
}

void DriveTree::fillLevel(QTreeWidgetItem* parent, const QString& directory) {
    RedrawSuspended noRedraw(m_tree);
    WaitCursor wait;
    std::vector<std::filesystem::path> paths = pc::listSubdirectories(textToPath(directory));
    pc::sortIgnoringCase(paths);
    // Built apart from the tree and inserted at once: one insertion for the view to lay out
    // instead of one per directory.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(paths.size()));
    for (const std::filesystem::path& path : paths) {
        QTreeWidgetItem* item = makePathItem(parent == nullptr, pathToText(path));
        if (item == nullptr) {
            continue;
        }
        if (pc::hasSubdirectory(path)) {
            item->addChild(newPlaceholder());
        }
        items.append(item);
    }
    if (parent != nullptr) {
        parent->addChildren(items);
    } else {
        m_tree->addTopLevelItems(items);
    }
}

QTreeWidgetItem* DriveTree::insertPathItem(QTreeWidgetItem* parent, const QString& path) {
    QTreeWidgetItem* item = makePathItem(parent == nullptr, path);
    if (item == nullptr) {
        return nullptr;
    }
    if (parent != nullptr) {
        parent->addChild(item);
    } else {
        m_tree->addTopLevelItem(item);
    }
    return item;
}

QTreeWidgetItem* DriveTree::makePathItem(bool isDrive, const QString& path) {
    // The path vanished since it was listed (or a drive was never there): nothing to show.
    if (!QFileInfo::exists(path)) {
        return nullptr;
    }
    const QString cleaned = withoutTrailingSlash(path);
    auto* item = new QTreeWidgetItem(QStringList{isDrive ? cleaned : lastComponent(cleaned)});
    item->setIcon(0, isDrive ? m_driveIcon : m_directoryIcon);
    return item;
}

QString DriveTree::lastComponent(const QString& path) {
    QString trimmed = path;
    if (trimmed.endsWith(u'/')) {
        trimmed.chop(1);
    }
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    return slash < 0 ? trimmed : trimmed.mid(slash + 1);
}

void DriveTree::expandItem(QTreeWidgetItem* item) {
    qDeleteAll(item->takeChildren());
    fillLevel(item, itemPath(item));
}

// A closed level is forgotten, so that opening it again reads the disk afresh.
void DriveTree::collapseItem(QTreeWidgetItem* item) {
    replaceChildrenWithPlaceholder(item);
}

void DriveTree::emitSelection() {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (!selected.isEmpty()) {
        emit directorySelected(itemPath(selected.first()));
    }
}

QString DriveTree::itemPath(const QTreeWidgetItem* item) const {
    QStringList labels;
    for (const QTreeWidgetItem* at = item; at != nullptr; at = at->parent()) {
        labels.prepend(at->text(0));
    }
    if (labels.isEmpty()) {
        return {};
    }
    QString path = labels.takeFirst();
    for (const QString& label : labels) {
        path = joinPath(path, label);
    }
    return withoutTrailingSlash(path);
}

bool DriveTree::selectPath(const QString& path) {
    const std::optional<ResolvedPath> resolved = resolvePath(path);
    if (!resolved) {
        return false;
    }
    QTreeWidgetItem* item = nullptr;
    {
        RedrawSuspended noRedraw(m_tree);
        item = reopenItem(resolved->drive);
        for (const QString& name : resolved->components) {
            // On a case-sensitive disk "Data" and "data" may both exist: the exact name wins.
            QTreeWidgetItem* child = childLabelled(item, name);
            item = child != nullptr ? child : findChild(item, name.toUpper());
            if (item == nullptr) {
                break;
            }
            reopenItem(item);
        }
        if (item != nullptr) {
            m_tree->setCurrentItem(item);
            m_tree->scrollToItem(item);
        }
    }
    QDir::setCurrent(resolved->onDisk);
    return item != nullptr;
}

// Reads the item's level afresh and leaves it open.
QTreeWidgetItem* DriveTree::reopenItem(QTreeWidgetItem* item) {
    {
        // The level is re-read below once, not again by the expansion signal.
        const QSignalBlocker quiet(m_tree);
        item->setExpanded(false);
        replaceChildrenWithPlaceholder(item);
        item->setExpanded(true);
    }
    expandItem(item);
    return item;
}

QTreeWidgetItem* DriveTree::findChild(QTreeWidgetItem* parent, const QString& upperCaseName) const {
    QTreeWidgetItem* level = parent != nullptr ? parent : m_tree->invisibleRootItem();
    for (int i = 0; i < level->childCount(); ++i) {
        if (level->child(i)->text(0).toUpper() == upperCaseName) {
            return level->child(i);
        }
    }
    return nullptr;
}

bool DriveTree::isKnownPath(const QString& path) const {
    return resolvePath(path).has_value();
}

// The drive whose label is the longest leading part of `path` ending on a component boundary,
// so that a drive /home/user does not claim /home/username.
QTreeWidgetItem* DriveTree::findDriveItem(const QString& path) const {
    QTreeWidgetItem* best = nullptr;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* drive = m_tree->topLevelItem(i);
        if (startsOnComponentBoundary(path, drive->text(0)) &&
            (best == nullptr || drive->text(0).size() > best->text(0).size())) {
            best = drive;
        }
    }
    return best;
}

// A path is known when a drive holds it and it exists, each component matched on the disk
// without regard to case as the tree's own lookup does.
std::optional<DriveTree::ResolvedPath> DriveTree::resolvePath(const QString& path) const {
    const QString cleaned = QDir::cleanPath(path);
    if (!QDir::isAbsolutePath(cleaned)) {
        return std::nullopt;
    }
    QTreeWidgetItem* drive = findDriveItem(cleaned);
    if (drive == nullptr) {
        return std::nullopt;
    }
    ResolvedPath resolved{drive, {}, drive->text(0)};
    std::error_code error;
    if (!std::filesystem::exists(textToPath(resolved.onDisk), error)) {
        return std::nullopt;
    }
    const QString below = cleaned.mid(resolved.onDisk.size());
    for (const QString& component : below.split(u'/', Qt::SkipEmptyParts)) {
        const QString name = nameOnDisk(resolved.onDisk, component);
        if (name.isEmpty()) {
            return std::nullopt;
        }
        resolved.components.append(name);
        resolved.onDisk = joinPath(resolved.onDisk, name);
    }
    return resolved;
}

}  // namespace quorvane::ui
