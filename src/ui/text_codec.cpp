// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/text_codec.h"

#include <QFile>

#include "card/card_text.h"

namespace quorvane::ui {

QString nameToText(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string textToName(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString printableText(const QString& text) {
    return QString::fromStdString(card::printableUtf8(text.toStdString()));
}

QString infoLineToText(std::string_view bytes) {
    return QString::fromStdString(card::infoLineToUtf8(bytes));
}

QString messageToText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString pathToText(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

std::filesystem::path textToPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

}  // namespace quorvane::ui
