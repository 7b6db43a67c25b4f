// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page_spinner.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <climits>

#include "app/organizer.h"

namespace quorvane::ui {

PageSpinner::PageSpinner(QWidget* parent) : QAbstractSpinBox(parent) {
    setAlignment(Qt::AlignCenter);
    // Only the field is read-only: a read-only spin box would switch its arrows off too.
    lineEdit()->setReadOnly(true);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

void PageSpinner::setNumberText(const QString& text) {
    lineEdit()->setText(text);
}

void PageSpinner::stepBy(int steps) {
    emit stepRequested(steps);
}

// The arrows always send their step; limiting the page is the window's business.
QAbstractSpinBox::StepEnabled PageSpinner::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

QRect PageSpinner::upArrowRect() {
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
}

QRect PageSpinner::downArrowRect() {
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxDown, this);
}

void followPageSteps(PageSpinner& spinner, app::Organizer& organizer, QObject* context) {
    QObject::connect(&spinner, &PageSpinner::stepRequested, context, [&organizer](int delta) {
        // Widened so that no delta can overflow before the page is kept in range.
        const long long wanted = static_cast<long long>(organizer.chosenPage()) + delta;
        organizer.choosePage(static_cast<int>(std::clamp<long long>(wanted, 0, INT_MAX)));
    });
}

}  // namespace quorvane::ui
