// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QProgressBar>
#include <algorithm>

namespace quorvane::ui {

namespace {

constexpr int DIALOG_WIDTH = 280;  // 187 x 37 dialog units
constexpr int DIALOG_HEIGHT = 56;
constexpr QRect BAR_GEOMETRY{24, 20, 231, 20};  // (16, 13), 154 x 13 dialog units
// The bar takes its ends as two 16-bit halves.
constexpr int RANGE_MAX = 0xFFFF;

// Only destroy ends the window: Enter, Esc and closing requests do nothing.
class ProgressWindow final : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
                event->accept();
                return;
            default:
                QDialog::keyPressEvent(event);
        }
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
    void reject() override {}
    void accept() override {}
};

}  // namespace

ProgressDialog::ProgressDialog(QWidget* mainWindow, std::uint32_t id)
    : captionId(id != 0 ? id : DEFAULT_CAPTION_ID), m_mainWindow(mainWindow) {}

ProgressDialog::~ProgressDialog() {
    if (m_window) {
        destroy();
    }
}

QString ProgressDialog::captionText(std::uint32_t id) {
    if (id == DEFAULT_CAPTION_ID) {
        return QCoreApplication::translate("quorvane::ui::ProgressDialog", "Please Wait");
    }
    return QString();
}

bool ProgressDialog::create(QWidget* ownerWindow) {
    owner = ownerWindow != nullptr ? ownerWindow : m_mainWindow;
    if (owner && owner->isEnabled()) {
        owner->setEnabled(false);
        ownerDisabled = true;
    }
    // No parent: a child window would be disabled along with its owner.
    auto* window =
        new ProgressWindow(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->setModal(false);
    window->setFixedSize(DIALOG_WIDTH, DIALOG_HEIGHT);
    window->setWindowTitle(captionText(captionId));
    m_bar = new QProgressBar(window);
    m_bar->setGeometry(BAR_GEOMETRY);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(
        QCoreApplication::translate("quorvane::ui::ProgressDialog", "Progress"));
    m_bar->setRange(std::clamp(lower, 0, RANGE_MAX), std::clamp(upper, 0, RANGE_MAX));
    m_bar->setValue(m_bar->minimum());
    m_window = window;
    if (owner) {
        const QPoint centre = owner->geometry().center();
        window->move(centre.x() - DIALOG_WIDTH / 2, centre.y() - DIALOG_HEIGHT / 2);
    }
    window->show();
    return true;
}

void ProgressDialog::setRange(int lowerEnd, int upperEnd) {
    lower = lowerEnd;
    upper = upperEnd;
    if (m_bar != nullptr) {
        m_bar->setRange(std::clamp(lower, 0, RANGE_MAX), std::clamp(upper, 0, RANGE_MAX));
    }
}

void ProgressDialog::setStep(int stepSize) {
    step = stepSize;
}

void ProgressDialog::stepIt() {
    pumpMessages();
    if (m_bar != nullptr) {
        m_bar->setValue(std::min(m_bar->value() + step, m_bar->maximum()));
    }
}

void ProgressDialog::setPos(int position) {
    pumpMessages();
    if (m_bar != nullptr) {
        m_bar->setValue(std::clamp(position, m_bar->minimum(), m_bar->maximum()));
    }
}

void ProgressDialog::destroy() {
    if (ownerDisabled && owner) {
        owner->setEnabled(true);
    }
    ownerDisabled = false;
    m_bar = nullptr;
    delete m_window.data();
    m_window = nullptr;
}

QDialog* ProgressDialog::window() const {
    return m_window.data();
}

QProgressBar* ProgressDialog::bar() const {
    return m_bar;
}

void ProgressDialog::pumpMessages() {
    QCoreApplication::processEvents();
}

}  // namespace quorvane::ui
