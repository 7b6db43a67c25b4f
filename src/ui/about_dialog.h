// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QUrl>

namespace quorvane::ui {

// The About box: our artwork, the version, the licence, a button to the maker's web site (off
// while the project has none) and "OK".
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    static QPixmap artwork(QSize size);

public slots:
    void openMakerSite();
};

}  // namespace quorvane::ui
