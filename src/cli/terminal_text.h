// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Texts on their way to a terminal: the program's messages and the card's bytes as UTF-8 that
// cannot move the cursor or break a line.
namespace quorvane::cli {

// UTF-8 with every non-printing character (C0, DEL, C1 and the others of card::isNonPrinting)
// as card::CONTROL_PLACEHOLDER, so that outside bytes cannot drive the terminal.
std::string printable(std::string_view utf8);

// The same line by line, keeping the line breaks.
std::string printableLines(std::string_view utf8);

// The lines of a text, each trimmed of spaces, the empty ones dropped.
std::vector<std::string> trimmedLines(std::string_view text);

// A text of several lines on one: its trimmed lines joined by a space.
std::string oneLine(std::string_view text);

// How many characters (code points) a UTF-8 text holds, for columns.
std::size_t characterCount(std::string_view utf8);

}  // namespace quorvane::cli
