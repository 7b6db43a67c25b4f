#include "cli/json_writer.h"

#include "card/card_text.h"

namespace quorvane::cli {

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t INDENT = 2;

void appendEscaped(std::string& json, char c) {
    static constexpr char HEX[] = "0123456789abcdef";
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
        json += "\\u00";
        json += HEX[byte >> 4];
        json += HEX[byte & 0xF];
        return;
    }
    json += c;
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
