// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace quorvane::ui {

// The page check's report: the text, which can be copied, and the repair of lost blocks where
// there are any. It changes nothing itself: the window runs the repair once it has closed.
class PageCheckDialog final : public QDialog {
    Q_OBJECT
public:
    // exec() gives FREE_LOST_BLOCKS when the user asked for the repair.
    static constexpr int FREE_LOST_BLOCKS = 2;

    PageCheckDialog(const QString& reportText, bool canFreeLostBlocks, QWidget* parent = nullptr);

    QString report() const;

private:
    QPlainTextEdit* m_text;
    QPushButton* m_copy;
    QPushButton* m_free = nullptr;
};

}  // namespace quorvane::ui
