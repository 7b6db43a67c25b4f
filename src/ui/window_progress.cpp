// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_progress.h"

#include <QProgressBar>
#include <QWidget>

#include "ui/progress_dialog.h"

namespace quorvane::ui {

void BarProgress::begin(int steps) {
    if (m_bar != nullptr) {
        m_bar->setRange(0, steps);
    }
    advance(0);
}

void BarProgress::advance(int done) {
    if (m_bar != nullptr) {
        m_bar->setValue(done);
        m_bar->repaint();
    }
}

void BarProgress::end() {
    advance(0);
}

void WindowProgress::begin(int steps) {
    m_mainWindow.repaint();
    m_dialog.create();
    m_dialog.setRange(0, steps);
    m_dialog.setStep(1);
}

void WindowProgress::advance(int done) {
    m_dialog.setPos(done);
}

void WindowProgress::end() {
    m_dialog.destroy();
}

}  // namespace quorvane::ui
