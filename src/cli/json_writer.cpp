// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_writer.h"

#include "card/card_text.h"

namespace quorvane::cli {

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t INDENT = 2;

void appendUnicodeEscape(std::string& json, unsigned char character) {
    static constexpr char HEX[] = "0123456789abcdef";
    json += "\\u00";
    json += HEX[character >> 4];
    json += HEX[character & 0xF];
}

void appendEscaped(std::string& json, char c) {
    switch (c) {
        case '"':
            json += "\\\"";
            return;
        case '\\':
            json += "\\\\";
            return;
        case '\b':
            json += "\\b";
            return;
        case '\f':
            json += "\\f";
            return;
        case '\n':
            json += "\\n";
            return;
        case '\r':
            json += "\\r";
            return;
        case '\t':
            json += "\\t";
            return;
        default:
            break;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) {
        appendUnicodeEscape(json, byte);
        return;
    }
    json += c;
}

// U+0080..U+009F, the C1 controls: a terminal may obey them even in UTF-8 (0x9B as ESC [).
bool isC1(std::string_view text, std::size_t at, std::size_t length) {
    return length == 2 && static_cast<unsigned char>(text[at]) == 0xC2 &&
           static_cast<unsigned char>(text[at + 1]) < 0xA0;
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = card::utf8Length(text, at);
        if (length == 0) {
            json += REPLACEMENT;
            ++at;
        } else if (length == 1) {
            appendEscaped(json, text[at]);
            ++at;
        } else if (isC1(text, at, length)) {
            appendUnicodeEscape(json, static_cast<unsigned char>(0x80 | (text[at + 1] & 0x3F)));
            at += length;
        } else {
            json += text.substr(at, length);
            at += length;
        }
    }
    return json + "\"";
}

void JsonWriter::newLine() {
    m_text += '\n';
    m_text.append(m_levels.size() * INDENT, ' ');
}

void JsonWriter::beginValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_levels.empty()) {
        Level& level = m_levels.back();
        if (level.count++ > 0) {
            m_text += ',';
        }
        newLine();
    }
}

JsonWriter& JsonWriter::key(std::string_view name) {
    Level& level = m_levels.back();
    if (level.count++ > 0) {
        m_text += ',';
    }
    newLine();
    m_text += jsonString(name) + ": ";
    m_afterKey = true;
    return *this;
}

void JsonWriter::open(char bracket) {
    beginValue();
    m_text += bracket;
    m_levels.push_back({});
}

void JsonWriter::close(char bracket) {
    const bool empty = m_levels.back().count == 0;
    m_levels.pop_back();
    if (!empty) {
        newLine();
    }
    m_text += bracket;
    if (m_levels.empty()) {
        m_text += '\n';
    }
}

void JsonWriter::beginObject() {
    open('{');
}

void JsonWriter::endObject() {
    close('}');
}

void JsonWriter::beginArray() {
    open('[');
}

void JsonWriter::endArray() {
    close(']');
}

void JsonWriter::stringValue(std::string_view text) {
    beginValue();
    m_text += jsonString(text);
}

void JsonWriter::numberValue(std::int64_t number) {
    beginValue();
    m_text += std::to_string(number);
}

void JsonWriter::boolValue(bool value) {
    beginValue();
    m_text += value ? "true" : "false";
}

void JsonWriter::nullValue() {
    beginValue();
    m_text += "null";
}

}  // namespace quorvane::cli
