#pragma once

#include <QDialog>
#include <QPixmap>
#include <QUrl>

namespace quorvane::ui {

inline constexpr char MAKER_SITE[] = "https://quorvane.example.org";

// The About box: our artwork, the version, a button to the maker's web site and "OK".
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    static QPixmap artwork(QSize size);

public slots:
    void openMakerSite();
};

}  // namespace quorvane::ui
