// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_dialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/texts.h"
#include "app/version.h"
#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

// 227 x 119 dialog units, and one line more for the licence.
constexpr QSize DIALOG_SIZE{340, 196};
constexpr QSize PICTURE_SIZE{320, 111};  // 213 x 74 dialog units

void drawCard(QPainter& painter, const QRectF& card) {
    QPainterPath outline;
    const qreal notch = card.width() * 0.22;
    outline.moveTo(card.left(), card.top());
    outline.lineTo(card.right() - notch, card.top());
    outline.lineTo(card.right(), card.top() + notch);
    outline.lineTo(card.right(), card.bottom());
    outline.lineTo(card.left(), card.bottom());
    outline.closeSubpath();
    painter.setPen(QPen(QColor(0x0b, 0x1d, 0x3d), 2));
    painter.setBrush(QColor(0xf4, 0xf4, 0xf4));
    painter.drawPath(outline);

    const qreal contactWidth = card.width() / 7;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xe8, 0xb7, 0x30));
    for (int i = 0; i < 4; ++i) {
        painter.drawRect(QRectF(card.left() + contactWidth * (0.7 + 1.5 * i),
                                card.bottom() - card.height() * 0.28, contactWidth,
                                card.height() * 0.2));
    }
    painter.setBrush(QColor(0x1d, 0x3f, 0x7a));
    painter.drawRect(QRectF(card.left() + card.width() * 0.12, card.top() + card.height() * 0.15,
                            card.width() * 0.55, card.height() * 0.4));
}

}  // namespace

QPixmap AboutDialog::artwork(QSize size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0x1d, 0x3f, 0x7a));
    sky.setColorAt(1, QColor(0x4f, 0x86, 0xc6));
    painter.fillRect(picture.rect(), sky);

    const qreal cardHeight = size.height() * 0.7;
    drawCard(painter,
             QRectF(size.width() * 0.06, size.height() * 0.15, cardHeight * 0.7, cardHeight));
    drawCard(painter, QRectF(size.width() * 0.06 + cardHeight * 0.35, size.height() * 0.22,
                             cardHeight * 0.7, cardHeight));

    QFont title = painter.font();
    title.setBold(true);
    title.setPixelSize(size.height() / 3);
    painter.setFont(title);
    painter.setPen(Qt::white);
    const QRectF textArea(size.width() * 0.38, 0, size.width() * 0.6, size.height() * 0.75);
    painter.drawText(textArea, Qt::AlignCenter, QStringLiteral("Quorvane"));
    QFont subtitle = title;
    subtitle.setBold(false);
    subtitle.setPixelSize(size.height() / 9);
    painter.setFont(subtitle);
    painter.drawText(
        QRectF(textArea.left(), size.height() * 0.6, textArea.width(), size.height() * 0.3),
        Qt::AlignCenter,
        QCoreApplication::translate("quorvane::ui::AboutDialog", "memory card organiser"));
    return picture;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Quorvane"));
    setFixedSize(DIALOG_SIZE);

    auto* picture = new QLabel(this);
    picture->setPixmap(artwork(PICTURE_SIZE));
    picture->setFixedSize(PICTURE_SIZE);
    picture->setAccessibleName(QStringLiteral("Quorvane"));

    auto* version = new QLabel(tr("Version ") + messageToText(app::VERSION), this);
    version->setAlignment(Qt::AlignCenter);
    auto* licence = new QLabel(messageToText(app::text::LICENCE_SHORT), this);
    licence->setAlignment(Qt::AlignCenter);

    auto* site = new QPushButton(tr("Visit the Quorvane web site"), this);
    site->setAutoDefault(false);
    site->setEnabled(!app::HOMEPAGE.empty());
    connect(site, &QPushButton::clicked, this, &AboutDialog::openMakerSite);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(site);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addWidget(version);
    layout->addWidget(licence);
    layout->addLayout(buttons);
}

// A failure to open the address is not reported; the box stays open either way.
void AboutDialog::openMakerSite() {
    QDesktopServices::openUrl(QUrl(messageToText(app::HOMEPAGE)));
}

}  // namespace quorvane::ui
