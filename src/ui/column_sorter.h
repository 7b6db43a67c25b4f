// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

class QTreeWidget;

namespace quorvane::ui {

// Sorts the rows of a list by one column when its header is clicked: always ascending (a
// second click gives the same order), numeric columns by their leading integer, the others as
// text without regard to case. Rows with equal keys keep their order. The selection stays on
// the rows it was on.
class ColumnSorter {
public:
    // Sort kind per column index; columns beyond the table sort as text.
    static constexpr std::array<bool, 4> COLUMN_IS_NUMERIC{false, true, false, false};

    // Sorts `list` on every click of its header from now on.
    static void attach(QTreeWidget* list);
    static void sort(QTreeWidget* list, int column);
};

// The leading decimal integer of a text the way atoi reads it: blanks skipped, an optional
// sign, digits up to the first non-digit; no digits gives 0.
long long leadingInteger(const QString& text);

}  // namespace quorvane::ui
