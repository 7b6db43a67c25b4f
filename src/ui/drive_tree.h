// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string_view>

#include "app/texts.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace quorvane::ui {

// The PC's drives and directories, level by level as the user opens them. Top-level items are
// the "drives": the home directory, "/" and the mount points under /media, /run/media and /mnt,
// each labelled with its full path. Items carry no data but their labels; a path is rebuilt
// from them (itemPath).
class DriveTree : public QObject {
    Q_OBJECT
public:
    using DriveLister = std::function<QStringList()>;
    static QStringList defaultDrives();

    // Works on a tree widget the window owns. `listDrives` gives the top-level paths.
    explicit DriveTree(QTreeWidget* tree, DriveLister listDrives = defaultDrives,
                       QObject* parent = nullptr);

    // fillTree, between the two status texts of the refresh, each handed to `showStatus` as the
    // program made it.
    void refreshDrives(const std::function<void(std::string_view)>& showStatus);
    bool fillTree();
    bool listDrives();
    void fillLevel(QTreeWidgetItem* parent, const QString& directory);
    QTreeWidgetItem* insertPathItem(QTreeWidgetItem* parent, const QString& path);
    static QString lastComponent(const QString& path);
    void expandItem(QTreeWidgetItem* item);
    QString itemPath(const QTreeWidgetItem* item) const;
    bool selectPath(const QString& path);
    QTreeWidgetItem* findChild(QTreeWidgetItem* parent, const QString& upperCaseName) const;
    bool isKnownPath(const QString& path) const;

    QTreeWidget* widget() const { return m_tree; }

    // The item the last drag began on, or none. A drag only selects its item and marks it
    // highlighted; nothing is dropped anywhere, and the mark stays until the next drag.
    QTreeWidgetItem* dropHighlightedItem() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The selected item changed: its full path (currentPcDirectory).
    void directorySelected(const QString& path);

private:
    // A path below a drive item, with its components as they are spelled on the disk.
    struct ResolvedPath {
        QTreeWidgetItem* drive;
        QStringList components;
        QString onDisk;  // the full path, spelled as on the disk
    };

    void setUpWidget();
    bool loadIcons();
    QTreeWidgetItem* makePathItem(bool isDrive, const QString& path);
    void collapseItem(QTreeWidgetItem* item);
    void emitSelection();
    void beginDrag(QTreeWidgetItem* item);
    void clearDropHighlight();
    QTreeWidgetItem* reopenItem(QTreeWidgetItem* item);
    QTreeWidgetItem* findDriveItem(const QString& path) const;
    std::optional<ResolvedPath> resolvePath(const QString& path) const;

    QTreeWidget* m_tree;
    DriveLister m_listDrives;
    // Looked up once per fill: the icon theme is far too slow to ask per item.
    QIcon m_driveIcon;
    QIcon m_directoryIcon;         // closed folder, open folder while selected
    QPointer<QObject> m_viewport;  // the tree's viewport, whose mouse events are watched
    // Where the left button went down on the tree, while a drag may still begin from there.
    std::optional<QPoint> m_dragStart;
    bool m_dragging = false;  // a drag began and the button is still down
};

}  // namespace quorvane::ui
