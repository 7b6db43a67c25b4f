// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// JSON for the command line's --json output: objects and arrays written in order, one member
// or element a line, indented.
namespace quorvane::cli {

// `text` as a JSON string: quoted, with quotes, backslashes and control characters (C0 and C1)
// escaped; bytes that are not UTF-8 become U+FFFD, so the output is always well-formed.
std::string jsonString(std::string_view text);

class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The next member's name, inside an object; its value follows: key("page").numberValue(1).
    JsonWriter& key(std::string_view name);
    void stringValue(std::string_view text);
    void numberValue(std::int64_t number);
    void boolValue(bool value);
    void nullValue();

    // The document so far, ending with a line break once the outermost value is closed.
    const std::string& text() const { return m_text; }

private:
    struct Level {
        int count = 0;  // members or elements written
    };
    // Where a value goes: after a key, or as the next element of an array.
    void beginValue();
    void open(char bracket);
    void close(char bracket);
    void newLine();

    std::string m_text;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

}  // namespace quorvane::cli
