// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page_spinner.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

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

}  // namespace quorvane::ui
