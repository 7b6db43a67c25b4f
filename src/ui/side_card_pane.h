// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <QObject>
#include <array>
#include <memory>
#include <vector>

#include "app/screen.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace quorvane::app {
class Organizer;
class SideCard;
}  // namespace quorvane::app

namespace quorvane::ui {

class IconAnimator;
class PageSpinner;

// The second card in the left pane, in place of the PC folders: another page of the card or a
// card image, with its own page field, Select/Refresh, counts, list and information lines. Its
// questions and progress go to the window.
class SideCardPane : public QGroupBox, public app::Screen {
    Q_OBJECT
public:
    SideCardPane(app::Screen& window, QWidget* parent);
    ~SideCardPane() override;

    // The card shown from now on, made with this pane as its screen, its first page read when
    // `readFirstPage`; null shows none.
    void showCard(std::unique_ptr<app::SideCard> card, bool readFirstPage);
    // The organiser of the card shown; null when none is.
    app::Organizer* organizer() const;
    QTreeWidget& cardList() const { return *m_cardList; }
    std::vector<int> selectedSlots() const;
    void allowSeveralRows(bool several);

    // app::Screen
    void showTexts(const app::BoundTexts& texts) override;
    void showListing(const app::Listing& listing) override;
    app::BoxAnswer ask(const app::MessageBox& box) override;
    app::Progress& progress(app::ProgressKind kind) override;

private:
    void buildControls();
    void connectCard(app::Organizer& organizer);
    void showTitle(const QString& title);

    app::Screen& m_window;
    std::unique_ptr<app::SideCard> m_card;
    // The connections to the card's organiser live as long as it does.
    std::unique_ptr<QObject> m_cardConnections;
    IconAnimator* m_icons;
    QLabel* m_pageCaption = nullptr;
    PageSpinner* m_pageNumber = nullptr;
    QPushButton* m_selectRefresh = nullptr;
    QLabel* m_blocksUsed = nullptr;
    QLabel* m_blocksFree = nullptr;
    QTreeWidget* m_cardList = nullptr;
    std::array<QLabel*, 3> m_fileInfo{};
    QLabel* m_fileIcon = nullptr;
    QLabel* m_statusLine = nullptr;
    std::shared_ptr<const card::SaveIcon> m_shownIcon;
};

}  // namespace quorvane::ui
