// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractSpinBox>

namespace quorvane::app {
class Organizer;
}

namespace quorvane::ui {

// The page number field with its up-down control. It keeps no number of its own: a step only
// asks for a change (stepRequested), and the window writes the number it decides on with
// setNumberText, so the shown page always comes from one place.
class PageSpinner : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit PageSpinner(QWidget* parent = nullptr);

    void setNumberText(const QString& text);
    void stepBy(int steps) override;

    // Where the up and down arrows are drawn, for clicking them.
    QRect upArrowRect();
    QRect downArrowRect();

signals:
    void stepRequested(int delta);

protected:
    StepEnabled stepEnabled() const override;
};

// The spinner's steps change the organiser's page field, kept in range, for as long as
// `context` lives.
void followPageSteps(PageSpinner& spinner, app::Organizer& organizer, QObject* context);

}  // namespace quorvane::ui
