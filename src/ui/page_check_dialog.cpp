// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page_check_dialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvane::ui {

namespace {

constexpr QSize DIALOG_SIZE{560, 360};

}  // namespace

PageCheckDialog::PageCheckDialog(const QString& reportText, bool canFreeLostBlocks, QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(reportText, this)) {
    setWindowTitle(tr("Check Page"));
    resize(DIALOG_SIZE);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setAccessibleName(tr("Page check report"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_copy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    m_copy->setObjectName(QStringLiteral("copyButton"));
    connect(m_copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(report()); });
    if (canFreeLostBlocks) {
        m_free = buttons->addButton(tr("Free lost blocks"), QDialogButtonBox::ActionRole);
        m_free->setObjectName(QStringLiteral("freeLostBlocksButton"));
        connect(m_free, &QPushButton::clicked, this, [this] { done(FREE_LOST_BLOCKS); });
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
}

QString PageCheckDialog::report() const {
    return m_text->toPlainText();
}

}  // namespace quorvane::ui
