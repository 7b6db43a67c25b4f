// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_bar.h"

#include <algorithm>
#include <string>

namespace quorvane::cli {

namespace {

constexpr char FILLED = '#';
constexpr char EMPTY = '.';

}  // namespace

void ProgressBar::setRange(int lower, int upper) {
    m_lower = lower;
    m_upper = std::max(lower, upper);
    m_position = lower;
}

int ProgressBar::percent() const {
    const long long span = static_cast<long long>(m_upper) - m_lower;
    if (span <= 0) {
        return 100;
    }
    const long long done =
        std::clamp<long long>(static_cast<long long>(m_position) - m_lower, 0, span);
    return static_cast<int>(done * 100 / span);
}

void ProgressBar::setPosition(int position) {
    m_position = position;
    if (!m_enabled) {
        return;
    }
    const int shownPercent = percent();
    if (m_shown && shownPercent == m_drawnPercent) {
        return;
    }
    const int filled = shownPercent * WIDTH / 100;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(filled), FILLED);
    line.append(static_cast<std::size_t>(WIDTH - filled), EMPTY);
    line += "] ";
    const std::string number = std::to_string(shownPercent);
    line.append(3 - number.size(), ' ');
    line += number + "%";
    m_stream << line << std::flush;
    m_drawnPercent = shownPercent;
    m_shown = true;
}

void ProgressBar::clear() {
    if (!m_shown) {
        return;
    }
    constexpr std::size_t LINE_LENGTH = 1 + WIDTH + 2 + 4;
    m_stream << '\r' << std::string(LINE_LENGTH, ' ') << '\r' << std::flush;
    m_shown = false;
    m_drawnPercent = -1;
}

}  // namespace quorvane::cli
