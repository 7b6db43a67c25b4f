// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// How card bytes read as text, the same for every front end; the text comes out as UTF-8.
namespace quorvane::card {

// What stands for a non-printing character of card text: one visible character that reads as
// "unprintable", so the text stays on one line and keeps its length.
inline constexpr std::string_view CONTROL_PLACEHOLDER = "\xEF\xBF\xBD";  // U+FFFD

// A character that shows nothing of its own or acts on the text around it: the controls (C0,
// DEL and C1: a terminal obeys 0x9B as it obeys ESC [), the format characters (soft hyphen,
// zero-width and direction marks) and the line and paragraph separators. Names that differ only
// by one would read alike, and a terminal may act on one.
bool isNonPrinting(char32_t character);

// UTF-8 as it may be shown: each non-printing character, and each byte that is not UTF-8, as
// CONTROL_PLACEHOLDER.
std::string printableUtf8(std::string_view utf8);

// Card file names: one character per byte (Latin-1), so the text always maps back to the
// exact name bytes.
std::string nameToUtf8(std::string_view nameBytes);
// The name bytes a text stands for, the other way round: none when the text is not UTF-8 or
// holds a character beyond Latin-1, which no name byte can stand for.
std::optional<std::string> utf8ToName(std::string_view text);

// The length of the UTF-8 character that starts at byte `at` of `text`, or 0 when none
// well-formed starts there (overlong forms, surrogates and values past U+10FFFF are not).
std::size_t utf8Length(std::string_view text, std::size_t at);
bool isUtf8(std::string_view text);

// An information line (its bytes up to the first zero byte): Japanese saves write their
// descriptions in Shift-JIS, so a line whose other bytes are not all ASCII and decode as
// Shift-JIS without error is decoded; any other line is read byte for character. Each
// non-printing character (a control byte 0x01..0x1F, 0x7F, or 0x80..0x9F read as Latin-1, among
// others) shows as CONTROL_PLACEHOLDER either way.
std::string infoLineToUtf8(std::string_view lineBytes);

// A card name is outside data: it may become a PC file name only when it cannot leave the folder
// or hide characters in it. Refused: empty, ".", "..", a '/', a NUL or a byte whose character is
// non-printing. Save File, Save All Files and the page check go by this one rule.
bool usableAsPcFileName(std::string_view cardName);

// Why usableAsPcFileName refuses a name: the first thing in the way.
enum class PcNameFault { Empty, FolderName, Slash, NonPrinting };
struct PcNameRefusal {
    PcNameFault fault = PcNameFault::Empty;
    std::size_t at = 0;  // the byte of a Slash or NonPrinting, counted from 0
};
std::optional<PcNameRefusal> pcNameRefusal(std::string_view cardName);

}  // namespace quorvane::card
