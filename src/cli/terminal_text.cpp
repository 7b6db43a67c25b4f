#include "cli/terminal_text.h"

#include "card/card_text.h"

namespace quorvane::cli {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t utf8Length(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!isContinuation(byte)) {
            return 0;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (overlong || surrogate || value > 0x10FFFF) {
        return 0;
    }
    return length;
}

bool isUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8Length(text, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

std::string messageText(std::string_view bytes) {
    return isUtf8(bytes) ? std::string(bytes) : card::nameToUtf8(bytes);
}

std::string printable(std::string_view utf8) {
    std::string text;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = utf8Length(utf8, at);
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const bool c0OrDelete = length == 1 && (lead < 0x20 || lead == 0x7F);
        const bool c1 =
            length == 2 && lead == 0xC2 && static_cast<unsigned char>(utf8[at + 1]) < 0xA0;
        if (length == 0 || c0OrDelete || c1) {
            text += card::CONTROL_PLACEHOLDER;
            at += length == 0 ? 1 : length;
        } else {
            text += utf8.substr(at, length);
            at += length;
        }
    }
    return text;
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

std::string oneLine(std::string_view text) {
    std::string joined;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string_view::npos) {
            continue;
        }
        line = line.substr(first, line.find_last_not_of(' ') - first + 1);
        joined += (joined.empty() ? "" : " ") + std::string(line);
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
