// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/side_card_pane.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/organizer.h"
#include "app/program.h"
#include "app/texts.h"
#include "ui/card_list_view.h"
#include "ui/icon_animator.h"
#include "ui/page_spinner.h"
#include "ui/text_codec.h"

namespace quorvane::ui {

namespace {

constexpr int FILE_ICON_SIDE = card::ICON_SIDE * 2;

constexpr int SIZE_COLUMN_WIDTH = 90;

QLabel* plainLabel(const QString& text = {}) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A value the program fills in, framed as the right pane frames its values.
QLabel* valueLabel() {
    QLabel* label = plainLabel();
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(1);  // a long line is cut, never widens the pane
    return label;
}

// Wide enough for any count of blocks.
QLabel* countLabel() {
    QLabel* label = valueLabel();
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                         2 * label->frameWidth());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

SideCardPane::SideCardPane(app::Screen& window, QWidget* parent)
    : QGroupBox(parent), m_window(window), m_icons(new IconAnimator(this)) {
    buildControls();
    showTitle(tr("Another Page of the Card"));
    setUpCardListView(*m_cardList, *m_icons);
    // The pane is narrow: names take what the sizes leave, so both stay in view.
    m_cardList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_cardList->setColumnWidth(1, SIZE_COLUMN_WIDTH);
    m_cardList->setAccessibleName(tr("Other card's files"));
    m_pageNumber->setAccessibleName(tr("Other card's page number"));
}

SideCardPane::~SideCardPane() = default;

void SideCardPane::buildControls() {
    auto* layout = new QVBoxLayout(this);
    m_pageCaption = plainLabel();
    layout->addWidget(m_pageCaption);
    auto* page = new QHBoxLayout;
    m_pageNumber = new PageSpinner;
    m_pageNumber->setObjectName(QStringLiteral("sidePageNumber"));
    m_selectRefresh = new QPushButton(tr("Select/Refresh"));
    m_selectRefresh->setObjectName(QStringLiteral("sideSelectRefreshButton"));
    page->addWidget(m_pageNumber, 1);
    page->addWidget(m_selectRefresh);
    layout->addLayout(page);

    auto* counts = new QHBoxLayout;
    m_blocksUsed = countLabel();
    m_blocksFree = countLabel();
    counts->addWidget(plainLabel(tr("Blocks Used")));
    counts->addWidget(m_blocksUsed);
    counts->addStretch(1);
    counts->addWidget(plainLabel(tr("Blocks Free")));
    counts->addWidget(m_blocksFree);
    layout->addLayout(counts);

    m_cardList = new QTreeWidget;
    m_cardList->setObjectName(QStringLiteral("sideCardList"));
    layout->addWidget(m_cardList, 1);

    auto* info = new QGridLayout;
    for (std::size_t i = 0; i < m_fileInfo.size(); ++i) {
        m_fileInfo[i] = valueLabel();
        info->addWidget(m_fileInfo[i], static_cast<int>(i), 0);
    }
    m_fileIcon = plainLabel();
    m_fileIcon->setFixedSize(FILE_ICON_SIDE, FILE_ICON_SIDE);
    info->addWidget(m_fileIcon, 0, 1, 3, 1);
    info->setColumnStretch(0, 1);
    layout->addLayout(info);
    m_statusLine = valueLabel();
    m_statusLine->setObjectName(QStringLiteral("sideStatusLine"));
    layout->addWidget(m_statusLine);
}

void SideCardPane::showCard(std::unique_ptr<app::SideCard> card, bool readFirstPage) {
    m_cardConnections.reset();
    m_card = std::move(card);
    if (m_card == nullptr) {
        showListing({});
        return;
    }
    app::Organizer& organizer = m_card->organizer();
    connectCard(organizer);
    organizer.start();
    if (readFirstPage) {
        organizer.readPage(1);
    }
}

void SideCardPane::connectCard(app::Organizer& organizer) {
    m_cardConnections = std::make_unique<QObject>();
    QObject* context = m_cardConnections.get();
    connect(m_selectRefresh, &QPushButton::clicked, context,
            [&organizer] { organizer.readChosenPage(); });
    followPageSteps(*m_pageNumber, organizer, context);
    followCardSelection(*m_cardList, organizer, context);
}

// Announced by its title, as every frame of the window is.
void SideCardPane::showTitle(const QString& title) {
    setTitle(title);
    setAccessibleName(title);
}

app::Organizer* SideCardPane::organizer() const {
    return m_card != nullptr ? &m_card->organizer() : nullptr;
}

std::vector<int> SideCardPane::selectedSlots() const {
    return selectedCardSlots(*m_cardList);
}

void SideCardPane::allowSeveralRows(bool several) {
    ui::allowSeveralRows(*m_cardList, several);
}

void SideCardPane::showTexts(const app::BoundTexts& texts) {
    m_statusLine->setText(messageToText(texts.status));
    m_fileInfo[0]->setText(infoLineToText(texts.info1));
    m_fileInfo[1]->setText(infoLineToText(texts.info2));
    m_fileInfo[2]->setText(infoLineToText(texts.info3));
    if (texts.icon != m_shownIcon) {
        m_shownIcon = texts.icon;
        m_icons->setLabelIcon(m_fileIcon, texts.icon != nullptr
                                              ? iconPictures(*texts.icon, FILE_ICON_SIDE)
                                              : IconPictures{});
    }
    const app::PageShown& page = texts.page;
    m_pageNumber->setNumberText(QString::number(page.chosenPage));
    m_pageCaption->setText(messageToText(page.listedPage > 0
                                             ? app::text::currentPage(page.listedPage)
                                             : std::string(app::text::CURRENT_PAGE_NONE)));
    showTitle(page.cardName.empty() ? tr("Another Page of the Card")
                                    : tr("Card Image: %1").arg(messageToText(page.cardName)));
    m_statusLine->repaint();
}

void SideCardPane::showListing(const app::Listing& listing) {
    m_blocksUsed->setText(listing.counts ? QString::number(listing.counts->used) : QString());
    m_blocksFree->setText(listing.counts ? QString::number(listing.counts->free) : QString());
    showCardRows(*m_cardList, *m_icons, listing.rows);
}

app::BoxAnswer SideCardPane::ask(const app::MessageBox& box) {
    return m_window.ask(box);
}

app::Progress& SideCardPane::progress(app::ProgressKind kind) {
    return m_window.progress(kind);
}

}  // namespace quorvane::ui
