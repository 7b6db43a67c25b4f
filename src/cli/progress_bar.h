// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

// A progress bar on one line of a terminal, redrawn in place.
namespace quorvane::cli {

class ProgressBar {
public:
    // A bar that is not `enabled` draws nothing: a log file gets no carriage returns.
    ProgressBar(std::ostream& stream, bool enabled) : m_stream(stream), m_enabled(enabled) {}

    // A new range starts at its lower end, not drawn until a position is set.
    void setRange(int lower, int upper);
    // Draws the bar at `position` (clamped to the range) when what it shows changes.
    void setPosition(int position);
    int position() const { return m_position; }
    // Takes the bar off its line, so that the next text starts at the line's beginning; the
    // next position draws it again.
    void clear();
    bool shown() const { return m_shown; }

private:
    static constexpr int WIDTH = 40;  // cells of the bar, besides its percentage

    int percent() const;

    std::ostream& m_stream;
    bool m_enabled;
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
    int m_drawnPercent = -1;  // none drawn
    bool m_shown = false;
};

}  // namespace quorvane::cli
