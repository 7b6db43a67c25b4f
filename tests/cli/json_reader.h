// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The program's JSON as the tests read it: parsed by nlohmann/json, which takes only
// well-formed documents (UTF-8 included), so a test that reads the output also checks that it
// is JSON; then held in plain members that assertions can compare.
namespace quorvane::cli::testing {

struct JsonMember;

struct JsonValue {
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;  // in the document's order

    // The member `name`; a null value when there is none.
    const JsonValue& operator[](std::string_view name) const;
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

class JsonReader {
public:
    // The document's value, or none when `text` is not one well-formed JSON value.
    static std::optional<JsonValue> read(std::string_view text) {
        const auto document = nlohmann::ordered_json::parse(text, nullptr, false);
        if (document.is_discarded()) {
            return std::nullopt;
        }
        return valueOf(document);
    }

private:
    static JsonValue valueOf(const nlohmann::ordered_json& parsed) {
        JsonValue value;
        if (parsed.is_boolean()) {
            value.boolean = parsed.get<bool>();
        } else if (parsed.is_number()) {
            value.number = parsed.get<double>();
        } else if (parsed.is_string()) {
            value.string = parsed.get<std::string>();
        } else if (parsed.is_array()) {
            for (const auto& item : parsed) {
                value.items.push_back(valueOf(item));
            }
        } else if (parsed.is_object()) {
            for (const auto& [key, member] : parsed.items()) {
                value.members.push_back(JsonMember{key, valueOf(member)});
            }
        }
        return value;
    }
};

}  // namespace quorvane::cli::testing
