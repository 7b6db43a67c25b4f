#include "ui/text_codec.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>

namespace quorvane::ui {

QString nameToText(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string textToName(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

namespace {

bool hasNonAscii(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

QString infoLineToText(std::string_view bytes) {
    if (hasNonAscii(bytes)) {
        // Stateless: a lead byte cut off at the end of the line counts as an error.
        QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
        if (decoder.isValid()) {
            QString text =
                decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
            if (!decoder.hasError()) {
                return text;
            }
        }
    }
    return nameToText(bytes);
}

QString messageToText(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return decoder.hasError() ? nameToText(bytes) : text;
}

}  // namespace quorvane::ui
