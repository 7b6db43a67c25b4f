// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "json_reader.h"

namespace quorvane::cli {
namespace {

TEST(JsonWriter, StringsAreQuotedAndEscaped) {
    EXPECT_EQ(jsonString("RACEDATA_001"), "\"RACEDATA_001\"");
    EXPECT_EQ(jsonString("say \"hi\" \\ now"), R"("say \"hi\" \\ now")");
    EXPECT_EQ(jsonString("a\nb\tc\rd\be\ff"), R"("a\nb\tc\rd\be\ff")");
    EXPECT_EQ(jsonString(std::string("\x01\x1B\x1F\0", 4)), R"("\u0001\u001b\u001f\u0000")");
    EXPECT_EQ(jsonString("\x7F"), "\"\x7F\"");  // DEL needs no escape
    EXPECT_EQ(jsonString("\xC2\x80\xC2\x9B\xC2\xA0"), "\"\\u0080\\u009b\xC2\xA0\"");  // C1 does
    EXPECT_EQ(jsonString(""), "\"\"");
}

TEST(JsonWriter, Utf8IsKeptAndOtherBytesBecomeReplacementCharacters) {
    EXPECT_EQ(jsonString("CAF\xC3\x89 \xE3\x82\xBD \xF0\x9F\x8E\xAE"),
              "\"CAF\xC3\x89 \xE3\x82\xBD \xF0\x9F\x8E\xAE\"");
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(jsonString("CAF\xC9!"), "\"CAF" + replacement + "!\"");            // a Latin-1 byte
    EXPECT_EQ(jsonString("\xC3"), "\"" + replacement + "\"");                    // cut off
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"" + replacement + replacement + "\"");  // overlong '/'
    EXPECT_EQ(jsonString("\xED\xA0\x80"),                                        // a surrogate
              "\"" + replacement + replacement + replacement + "\"");
}

TEST(JsonWriter, DocumentsNestIndentedOneValueALine) {
    JsonWriter json;
    json.beginObject();
    json.key("page");
    json.numberValue(1);
    json.key("files");
    json.beginArray();
    json.beginObject();
    json.key("name");
    json.stringValue("A\"B");
    json.key("info");
    json.beginArray();
    json.stringValue("x");
    json.nullValue();
    json.endArray();
    json.endObject();
    json.endArray();
    json.key("empty");
    json.beginArray();
    json.endArray();
    json.key("none");
    json.beginObject();
    json.endObject();
    json.key("clean");
    json.boolValue(false);
    json.key("negative");
    json.numberValue(-3);
    json.endObject();
    EXPECT_EQ(json.text(),
              "{\n"
              "  \"page\": 1,\n"
              "  \"files\": [\n"
              "    {\n"
              "      \"name\": \"A\\\"B\",\n"
              "      \"info\": [\n"
              "        \"x\",\n"
              "        null\n"
              "      ]\n"
              "    }\n"
              "  ],\n"
              "  \"empty\": [],\n"
              "  \"none\": {},\n"
              "  \"clean\": false,\n"
              "  \"negative\": -3\n"
              "}\n");
    const auto read = testing::JsonReader::read(json.text());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ((*read)["files"].items[0]["name"].string, "A\"B");
}

TEST(JsonWriter, EveryByteOfANameGivesJsonThatReadsBack) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes += static_cast<char>(b);
    }
    JsonWriter json;
    json.beginArray();
    json.stringValue(bytes);
    json.endArray();
    const auto read = testing::JsonReader::read(json.text());
    ASSERT_TRUE(read.has_value()) << json.text();
    EXPECT_EQ(read->items[0].string.substr(0, 128), bytes.substr(0, 128));
}

}  // namespace
}  // namespace quorvane::cli
