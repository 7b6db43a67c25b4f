// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>

class QDialog;
class QProgressBar;
class QWidget;

namespace quorvane::ui {

// The modeless "Please Wait" window of a commit. The object lives with the main window; its
// window exists only between create and destroy. While shown it holds its owner disabled,
// so no second command can start, and every step first lets Qt process waiting events, so
// the screen keeps painting during the long transfer.
class ProgressDialog {
public:
    static constexpr std::uint32_t DEFAULT_CAPTION_ID = 104;

    // `mainWindow` is the owner when create is given none. A caption id of 0 means the default.
    explicit ProgressDialog(QWidget* mainWindow = nullptr, std::uint32_t captionId = 0);
    ~ProgressDialog();
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    bool create(QWidget* owner = nullptr);
    void setRange(int lowerEnd, int upperEnd);
    void setStep(int stepSize);
    void stepIt();
    void setPos(int position);
    void destroy();

    std::uint32_t captionId;
    int lower = 0;
    int upper = 1000;
    int step = 1;
    bool ownerDisabled = false;
    QPointer<QWidget> owner;

    // The window while it exists (for looking at it), else null.
    QDialog* window() const;
    QProgressBar* bar() const;
    static QString captionText(std::uint32_t id);

private:
    static void pumpMessages();

    QWidget* m_mainWindow;
    QPointer<QDialog> m_window;
    QProgressBar* m_bar = nullptr;
};

}  // namespace quorvane::ui
