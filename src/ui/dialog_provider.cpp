// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog_provider.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "ui/page_check_dialog.h"

namespace quorvane::ui {

namespace {

QMessageBox::Icon qtIcon(app::BoxIcon icon) {
    switch (icon) {
        case app::BoxIcon::Error:
            return QMessageBox::Critical;
        case app::BoxIcon::Warning:
            return QMessageBox::Warning;
        case app::BoxIcon::Question:
            return QMessageBox::Question;
        case app::BoxIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

std::optional<QString> runFileDialog(QFileDialog& dialog, const QStringList& filters,
                                     const QString& folder = {}) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(folder.isEmpty() ? QDir::currentPath() : folder);
    dialog.setNameFilters(filters);
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first();
}

}  // namespace

app::BoxAnswer QtDialogProvider::messageBox(QWidget* parent, const QtMessage& message) {
    QMessageBox box(qtIcon(message.icon), message.caption, message.text, QMessageBox::NoButton,
                    parent);
    if (!message.details.isEmpty()) {
        box.setDetailedText(message.details);
    }
    if (message.buttons == app::BoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? app::BoxAnswer::Yes : app::BoxAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return app::BoxAnswer::Ok;
}

app::PageCheckAnswer QtDialogProvider::pageCheck(QWidget* parent, const QString& report,
                                                 bool canFreeLostBlocks) {
    PageCheckDialog dialog(report, canFreeLostBlocks, parent);
    return dialog.exec() == PageCheckDialog::FREE_LOST_BLOCKS ? app::PageCheckAnswer::FreeLostBlocks
                                                              : app::PageCheckAnswer::Close;
}

// A folder dialog whose filter list offers the formats: the one selected is the format.
std::optional<std::pair<QString, int>> QtDialogProvider::chooseFolderAndFormat(
    QWidget* parent, const QStringList& formats) {
    QFileDialog dialog(parent);
    dialog.setWindowTitle(
        QCoreApplication::translate("quorvane::ui::QtDialogProvider", "Save All Files"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setLabelText(QFileDialog::FileType,
                        QCoreApplication::translate("quorvane::ui::QtDialogProvider", "Save as:"));
    dialog.setLabelText(QFileDialog::Accept,
                        QCoreApplication::translate("quorvane::ui::QtDialogProvider", "Save"));
    const std::optional<QString> folder = runFileDialog(dialog, formats);
    if (!folder) {
        return std::nullopt;
    }
    return std::pair{*folder, static_cast<int>(formats.indexOf(dialog.selectedNameFilter()))};
}

void QtDialogProvider::openFolder(const QString& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

std::optional<QString> QtDialogProvider::openFile(QWidget* parent, const QStringList& filters,
                                                  const QString& folder) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog, filters, folder);
}

std::optional<QString> QtDialogProvider::saveFile(QWidget* parent, const QStringList& filters,
                                                  const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return runFileDialog(dialog, filters);
}

}  // namespace quorvane::ui
