// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/screen.h"

class QProgressBar;
class QWidget;

namespace quorvane::ui {

class ProgressDialog;

// A transfer's progress on the main window's bar, painted at once: a read takes no events while
// it runs. A window without the bar shows none.
class BarProgress final : public app::Progress {
public:
    explicit BarProgress(QProgressBar* bar) : m_bar(bar) {}
    void begin(int steps) override;
    void advance(int done) override;
    void end() override;

private:
    QProgressBar* m_bar;
};

// A commit's or a long save's progress in the "Please Wait" window, shown from begin to end.
// The main window is painted first, so that it shows what the command left before it waits.
class WindowProgress final : public app::Progress {
public:
    WindowProgress(ProgressDialog& dialog, QWidget& mainWindow)
        : m_dialog(dialog), m_mainWindow(mainWindow) {}
    void begin(int steps) override;
    void advance(int done) override;
    void end() override;

private:
    ProgressDialog& m_dialog;
    QWidget& m_mainWindow;
};

}  // namespace quorvane::ui
