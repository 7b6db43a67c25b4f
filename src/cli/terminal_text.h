#pragma once

#include <string>
#include <string_view>

// Texts on their way to a terminal: the program's messages and the card's bytes as UTF-8 that
// cannot move the cursor or break a line.
namespace quorvane::cli {

// The length of the UTF-8 character that starts at byte `at` of `text`, or 0 when none
// well-formed starts there.
std::size_t utf8Length(std::string_view text, std::size_t at);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isUtf8(std::string_view text);

// A status text or message as the window shows it: UTF-8 where it is, otherwise (a card name
// inside a text) byte for character.
std::string messageText(std::string_view bytes);

// UTF-8 with every control character (C0, DEL and C1) as card::CONTROL_PLACEHOLDER, so that
// outside bytes cannot drive the terminal.
std::string printable(std::string_view utf8);

// The same line by line, keeping the line breaks.
std::string printableLines(std::string_view utf8);

// A text of several lines on one: each line trimmed of spaces, empty ones dropped, the rest
// joined by a space.
std::string oneLine(std::string_view text);

// How many characters (code points) a UTF-8 text holds, for columns.
std::size_t characterCount(std::string_view utf8);

}  // namespace quorvane::cli
