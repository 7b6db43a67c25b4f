#include "ui/progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QProgressBar>
#include <algorithm>

namespace quorvane::ui {

namespace {

constexpr int kDialogWidth = 280;  // 187 x 37 dialog units
constexpr int kDialogHeight = 56;
constexpr QRect kBarGeometry{24, 20, 231, 20};  // (16, 13), 154 x 13 dialog units
// The bar takes its ends as two 16-bit halves.
constexpr int kRangeMax = 0xFFFF;

// Only Destroy ends the window: Enter, Esc and closing requests do nothing.
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
        Destroy();
    }
}

QString ProgressDialog::CaptionText(std::uint32_t id) {
    if (id == DEFAULT_CAPTION_ID) {
        return QStringLiteral("Please Wait");
    }
    return QString();
}

bool ProgressDialog::Create(QWidget* ownerWindow) {
    owner = ownerWindow != nullptr ? ownerWindow : m_mainWindow;
    if (owner && owner->isEnabled()) {
        owner->setEnabled(false);
        ownerDisabled = true;
    }
    // No parent: a child window would be disabled along with its owner.
    auto* window =
        new ProgressWindow(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->setModal(false);
    window->setFixedSize(kDialogWidth, kDialogHeight);
    window->setWindowTitle(CaptionText(captionId));
    m_bar = new QProgressBar(window);
    m_bar->setGeometry(kBarGeometry);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->setRange(std::clamp(lower, 0, kRangeMax), std::clamp(upper, 0, kRangeMax));
    m_bar->setValue(m_bar->minimum());
    m_window = window;
    if (owner) {
        const QPoint centre = owner->geometry().center();
        window->move(centre.x() - kDialogWidth / 2, centre.y() - kDialogHeight / 2);
    }
    window->show();
    return true;
}

void ProgressDialog::SetRange(int lowerEnd, int upperEnd) {
    lower = lowerEnd;
    upper = upperEnd;
    if (m_bar != nullptr) {
        m_bar->setRange(std::clamp(lower, 0, kRangeMax), std::clamp(upper, 0, kRangeMax));
    }
}

void ProgressDialog::SetStep(int stepSize) {
    step = stepSize;
}

void ProgressDialog::StepIt() {
    PumpMessages();
    if (m_bar != nullptr) {
        m_bar->setValue(std::min(m_bar->value() + step, m_bar->maximum()));
    }
}

void ProgressDialog::SetPos(int position) {
    PumpMessages();
    if (m_bar != nullptr) {
        m_bar->setValue(std::clamp(position, m_bar->minimum(), m_bar->maximum()));
    }
}

void ProgressDialog::Destroy() {
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

void ProgressDialog::PumpMessages() {
    QCoreApplication::processEvents();
}

}  // namespace quorvane::ui
