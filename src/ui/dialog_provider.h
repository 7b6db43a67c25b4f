// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

#include "app/screen.h"

class QWidget;

namespace quorvane::ui {

// A message box in Qt's text.
struct QtMessage {
    QString text;
    QString caption;
    app::BoxButtons buttons = app::BoxButtons::Ok;
    app::BoxIcon icon = app::BoxIcon::Warning;
    QString details;  // behind "Show Details..."; empty = none
};

// The message boxes and file dialogs of the main window. The window asks through this
// interface, so tests can answer with a script while they drive the real buttons and menus.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    virtual app::BoxAnswer messageBox(QWidget* parent, const QtMessage& message) = 0;
    // A folder and one of `formats` (Qt name filters) for Save All Files: the index chosen.
    virtual std::optional<std::pair<QString, int>> chooseFolderAndFormat(
        QWidget* parent, const QStringList& formats) = 0;
    // Shows a folder in the desktop's file manager.
    virtual void openFolder(const QString& folder) = 0;
    // The page check's report (PageCheckDialog).
    virtual app::PageCheckAnswer pageCheck(QWidget* parent, const QString& report,
                                           bool canFreeLostBlocks) = 0;
    // `filters` are Qt name filters ("Description (*.a *.b)"). Nothing = cancelled.
    // Opens in `folder`, or in the current directory when it is empty.
    virtual std::optional<QString> openFile(QWidget* parent, const QStringList& filters,
                                            const QString& folder) = 0;
    // Asks before replacing an existing file; appends `defaultSuffix` to a name without one.
    virtual std::optional<QString> saveFile(QWidget* parent, const QStringList& filters,
                                            const QString& defaultSuffix) = 0;
};

// Real QMessageBox and QFileDialog windows, opened in the current directory.
class QtDialogProvider final : public DialogProvider {
public:
    app::BoxAnswer messageBox(QWidget* parent, const QtMessage& message) override;
    app::PageCheckAnswer pageCheck(QWidget* parent, const QString& report,
                                   bool canFreeLostBlocks) override;
    void openFolder(const QString& folder) override;
    std::optional<std::pair<QString, int>> chooseFolderAndFormat(
        QWidget* parent, const QStringList& formats) override;
    std::optional<QString> openFile(QWidget* parent, const QStringList& filters,
                                    const QString& folder) override;
    std::optional<QString> saveFile(QWidget* parent, const QStringList& filters,
                                    const QString& defaultSuffix) override;
};

}  // namespace quorvane::ui
