#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A strict reader of JSON for the tests: it takes only well-formed documents (RFC 8259), so a
// test that reads the program's output also checks that it is JSON.
namespace quorvane::cli::testing {

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;  // in the document's order

    // The member `name`; a null value when there is none.
    const JsonValue& operator[](std::string_view name) const;
    bool has(std::string_view name) const;
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

inline const JsonValue& JsonValue::operator[](std::string_view name) const {
    static const JsonValue NONE;
    for (const JsonMember& member : members) {
        if (member.key == name) {
            return member.value;
        }
    }
    return NONE;
}

inline bool JsonValue::has(std::string_view name) const {
    for (const JsonMember& member : members) {
        if (member.key == name) {
            return true;
        }
    }
    return false;
}

class JsonReader {
public:
    // The document's value, or none when `text` is not one well-formed JSON value.
    static std::optional<JsonValue> read(std::string_view text) {
        JsonReader reader(text);
        JsonValue value;
        if (!reader.value(value)) {
            return std::nullopt;
        }
        reader.skipSpace();
        if (reader.m_at != text.size()) {
            return std::nullopt;
        }
        return value;
    }

private:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    void skipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' ||
                                        m_text[m_at] == '\r' || m_text[m_at] == '\t')) {
            ++m_at;
        }
    }
    bool literal(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word) {
            return false;
        }
        m_at += word.size();
        return true;
    }
    bool value(JsonValue& out) {
        skipSpace();
        if (m_at >= m_text.size() || ++m_depth > MAX_DEPTH) {
            return false;
        }
        bool read = false;
        const char c = m_text[m_at];
        if (c == '{') {
            read = object(out);
        } else if (c == '[') {
            read = array(out);
        } else if (c == '"') {
            out.kind = JsonValue::Kind::String;
            read = string(out.string);
        } else if (c == 't' || c == 'f') {
            out.kind = JsonValue::Kind::Bool;
            out.boolean = c == 't';
            read = literal(c == 't' ? "true" : "false");
        } else if (c == 'n') {
            read = literal("null");
        } else {
            out.kind = JsonValue::Kind::Number;
            read = number(out.number);
        }
        --m_depth;
        return read;
    }
    bool object(JsonValue& out) {
        out.kind = JsonValue::Kind::Object;
        ++m_at;
        skipSpace();
        if (literal("}")) {
            return true;
        }
        for (;;) {
            skipSpace();
            std::string key;
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !string(key)) {
                return false;
            }
            skipSpace();
            if (!literal(":")) {
                return false;
            }
            JsonValue member;
            if (!value(member)) {
                return false;
            }
            out.members.push_back({std::move(key), std::move(member)});
            skipSpace();
            if (literal("}")) {
                return true;
            }
            if (!literal(",")) {
                return false;
            }
        }
    }
    bool array(JsonValue& out) {
        out.kind = JsonValue::Kind::Array;
        ++m_at;
        skipSpace();
        if (literal("]")) {
            return true;
        }
        for (;;) {
            JsonValue item;
            if (!value(item)) {
                return false;
            }
            out.items.push_back(std::move(item));
            skipSpace();
            if (literal("]")) {
                return true;
            }
            if (!literal(",")) {
                return false;
            }
        }
    }
    bool number(double& out) {
        const std::size_t start = m_at;
        auto digits = [this] {
            const std::size_t from = m_at;
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
                ++m_at;
            }
            return m_at - from;
        };
        literal("-");
        if (literal("0")) {
            // no leading zeros
        } else if (digits() == 0) {
            return false;
        }
        if (literal(".") && digits() == 0) {
            return false;
        }
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            ++m_at;
            if (!literal("+")) {
                literal("-");
            }
            if (digits() == 0) {
                return false;
            }
        }
        out = std::stod(std::string(m_text.substr(start, m_at - start)));
        return true;
    }
    bool hex4(std::uint32_t& out) {
        if (m_at + 4 > m_text.size()) {
            return false;
        }
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) {
                return false;
            }
            out = out * 16 + static_cast<std::uint32_t>(digit);
        }
        return true;
    }
    static void appendUtf8(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool string(std::string& out) {
        ++m_at;  // the opening quote
        while (m_at < m_text.size()) {
            const auto c = static_cast<unsigned char>(m_text[m_at++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20) {
                return false;  // control characters must be escaped
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_at >= m_text.size()) {
                return false;
            }
            const char escape = m_text[m_at++];
            switch (escape) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::uint32_t code = 0;
                    if (!hex4(code)) {
                        return false;
                    }
                    if (code >= 0xD800 && code <= 0xDBFF) {
                        std::uint32_t low = 0;
                        if (!literal("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                            return false;
                        }
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xDC00 && code <= 0xDFFF) {
                        return false;
                    }
                    appendUtf8(out, code);
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }

    static constexpr int MAX_DEPTH = 64;
    std::string_view m_text;
    std::size_t m_at = 0;
    int m_depth = 0;
};

}  // namespace quorvane::cli::testing
