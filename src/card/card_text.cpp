// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/card_text.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

namespace quorvane::card {

namespace {

// Windows' Shift-JIS (code page 932): the same characters as the Shift-JIS decoders of the
// desktops the saves are looked at on, ASCII range included.
constexpr const char* SHIFT_JIS = "CP932";

struct CharacterRange {
    char32_t first;
    char32_t last;
};

// Unicode's controls (Cc), format characters (Cf) and line and paragraph separators (Zl, Zp).
constexpr CharacterRange NON_PRINTING[] = {
    {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x0600, 0x0605},
    {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},
    {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x2028, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},
    {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
    {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
};

// The character of a well-formed UTF-8 sequence of `length` bytes.
char32_t characterAt(std::string_view text, std::size_t at, std::size_t length) {
    static constexpr unsigned char LEAD_BITS[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = static_cast<unsigned char>(text[at]) & LEAD_BITS[length];
    for (std::size_t i = 1; i < length; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    return value;
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void appendLatin1(std::string& text, unsigned char byte) {
    if (byte < 0x80) {
        text += static_cast<char>(byte);
    } else {
        text += static_cast<char>(0xC0 | (byte >> 6));
        text += static_cast<char>(0x80 | (byte & 0x3F));
    }
}

class ShiftJisDecoder {
public:
    ShiftJisDecoder() : m_converter(iconv_open("UTF-8", SHIFT_JIS)) {}
    ~ShiftJisDecoder() {
        if (usable()) {
            iconv_close(m_converter);
        }
    }
    ShiftJisDecoder(const ShiftJisDecoder&) = delete;
    ShiftJisDecoder& operator=(const ShiftJisDecoder&) = delete;

    // iconv_open fails with (iconv_t)-1; compared as a number, no pointer is made from -1.
    bool usable() const { return reinterpret_cast<std::intptr_t>(m_converter) != -1; }

    // The bytes decoded whole; none when they are not Shift-JIS (a lead byte cut off at the end
    // counts as an error).
    std::optional<std::string> decode(std::string_view bytes) {
        iconv(m_converter, nullptr, nullptr, nullptr, nullptr);
        std::string input(bytes);
        // UTF-8 takes at most 3 bytes for a character that Shift-JIS writes in 1 or 2.
        std::string output(input.size() * 3, '\0');
        char* in = input.data();
        std::size_t inLeft = input.size();
        char* out = output.data();
        std::size_t outLeft = output.size();
        if (iconv(m_converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return std::nullopt;
        }
        output.resize(output.size() - outLeft);
        return output;
    }

private:
    iconv_t m_converter;
};

// The line in Shift-JIS; none when it is not Shift-JIS. Control bytes decode as themselves: none
// can be the second byte of a Shift-JIS character.
std::optional<std::string> shiftJisText(std::string_view line) {
    ShiftJisDecoder decoder;
    if (!decoder.usable()) {
        return std::nullopt;
    }
    return decoder.decode(line);
}

}  // namespace

std::string nameToUtf8(std::string_view nameBytes) {
    std::string text;
    for (const char c : nameBytes) {
        appendLatin1(text, static_cast<unsigned char>(c));
    }
    return text;
}

std::optional<std::string> utf8ToName(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            name += static_cast<char>(byte);
            continue;
        }
        // Latin-1 beyond ASCII is U+0080..U+00FF: two bytes, led by 0xC2 or 0xC3.
        if ((byte != 0xC2 && byte != 0xC3) || i + 1 == text.size()) {
            return std::nullopt;
        }
        const auto next = static_cast<unsigned char>(text[++i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        name += static_cast<char>(((byte & 0x03) << 6) | (next & 0x3F));
    }
    return name;
}

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
        if ((byte & 0xC0) != 0x80) {  // not a continuation byte
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

bool isNonPrinting(char32_t character) {
    return std::any_of(std::begin(NON_PRINTING), std::end(NON_PRINTING),
                       [character](const CharacterRange& range) {
                           return character >= range.first && character <= range.last;
                       });
}

std::string printableUtf8(std::string_view utf8) {
    std::string text;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = utf8Length(utf8, at);
        if (length == 0 || isNonPrinting(characterAt(utf8, at, length))) {
            text += CONTROL_PLACEHOLDER;
        } else {
            text += utf8.substr(at, length);
        }
        at += length == 0 ? 1 : length;
    }
    return text;
}

std::string infoLineToUtf8(std::string_view lineBytes) {
    std::optional<std::string> text;
    if (!isAscii(lineBytes)) {
        text = shiftJisText(lineBytes);
    }
    return printableUtf8(text ? *text : nameToUtf8(lineBytes));
}

std::optional<PcNameRefusal> pcNameRefusal(std::string_view cardName) {
    if (cardName.empty()) {
        return PcNameRefusal{PcNameFault::Empty};
    }
    if (cardName == "." || cardName == "..") {
        return PcNameRefusal{PcNameFault::FolderName};
    }
    // Names are Latin-1: each byte is the character of the same number.
    for (std::size_t at = 0; at < cardName.size(); ++at) {
        const auto byte = static_cast<unsigned char>(cardName[at]);
        if (byte == '/') {
            return PcNameRefusal{PcNameFault::Slash, at};
        }
        if (isNonPrinting(byte)) {
            return PcNameRefusal{PcNameFault::NonPrinting, at};
        }
    }
    return std::nullopt;
}

bool usableAsPcFileName(std::string_view cardName) {
    return !pcNameRefusal(cardName);
}

}  // namespace quorvane::card
