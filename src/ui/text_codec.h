// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

// How card bytes become text in the window and back.
namespace quorvane::ui {

// Card file names: one character per byte (Latin-1), so a row's text maps back to the exact
// name bytes with textToName.
QString nameToText(std::string_view bytes);
std::string textToName(const QString& text);
// A name's text as it is drawn: each non-printing character as card::CONTROL_PLACEHOLDER. For
// display only: it no longer maps back to the name.
QString printableText(const QString& text);

// An information line, for display only, as card::infoLineToUtf8 reads it: Shift-JIS where it
// is, otherwise byte for character, control bytes as a placeholder, always on one line.
QString infoLineToText(std::string_view bytes);

// Status texts and messages: the program makes them in UTF-8, card names and PC paths included.
QString messageToText(std::string_view utf8);

// PC paths between the window's text and the file system, in the system's file name encoding.
QString pathToText(const std::filesystem::path& path);
std::filesystem::path textToPath(const QString& text);

}  // namespace quorvane::ui
