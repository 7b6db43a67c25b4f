// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal_text.h"

#include "card/card_text.h"

namespace quorvane::cli {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::string printable(std::string_view utf8) {
    return card::printableUtf8(utf8);
}

std::string printableLines(std::string_view utf8) {
    std::string text;
    for (;;) {
        const std::size_t end = utf8.find('\n');
        text += printable(utf8.substr(0, end));
        if (end == std::string_view::npos) {
            return text;
        }
        text += '\n';
        utf8 = utf8.substr(end + 1);
    }
}

std::vector<std::string> trimmedLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string_view::npos) {
            lines.emplace_back(line.substr(first, line.find_last_not_of(' ') - first + 1));
        }
    }
    return lines;
}

std::string oneLine(std::string_view text) {
    std::string joined;
    for (const std::string& line : trimmedLines(text)) {
        joined += (joined.empty() ? "" : " ") + line;
    }
    return joined;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8) {
        count += isContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
    }
    return count;
}

}  // namespace quorvane::cli
