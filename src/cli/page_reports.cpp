// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/page_reports.h"

#include "app/reports.h"
#include "app/texts.h"
#include "card/card_text.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/listing.h"
#include "cli/json_writer.h"
#include "cli/terminal_text.h"

namespace quorvane::cli {

namespace {

namespace texts = app::text::cli;

// The widest name a directory entry holds, in characters (one a byte).
constexpr std::size_t NAME_COLUMN = 12;

// The name of a finding's problem in JSON: its enumerator, as a JSON member would be named.
std::string_view problemName(card::FileProblem problem) {
    switch (problem) {
        case card::FileProblem::ChainEndsEarly:
            return "chainEndsEarly";
        case card::FileProblem::LastBlockFree:
            return "lastBlockFree";
        case card::FileProblem::ChainRunsOn:
            return "chainRunsOn";
        case card::FileProblem::ChainLoops:
            return "chainLoops";
        case card::FileProblem::ChainIntoSystemBlocks:
            return "chainIntoSystemBlocks";
        case card::FileProblem::ChainPastPage:
            return "chainPastPage";
        case card::FileProblem::ChainCrossesFile:
            return "chainCrossesFile";
        case card::FileProblem::SizeDisagrees:
            return "sizeDisagrees";
        case card::FileProblem::HeaderPastFile:
            return "headerPastFile";
        case card::FileProblem::OddFileType:
            return "oddFileType";
        case card::FileProblem::DuplicateName:
            return "duplicateName";
        case card::FileProblem::DataBeyondUserBlocks:
            return "dataBeyondUserBlocks";
        case card::FileProblem::GameNotAtBlockZero:
            return "gameNotAtBlockZero";
        case card::FileProblem::GameNotContiguous:
            return "gameNotContiguous";
        case card::FileProblem::HeaderCrcMismatch:
            return "headerCrcMismatch";
        case card::FileProblem::NameUnusableOnPc:
            return "nameUnusableOnPc";
    }
    return "unknown";
}

std::string trimmedEnd(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string slotName(const card::PageBytes& pageImage, int slot) {
    if (slot < 0 || slot >= card::DIR_SLOT_COUNT) {
        return {};
    }
    return card::nameToUtf8(card::entryName(card::readSlot(pageImage, slot)));
}

// -1 stands for "none" in a finding.
void numberOrNull(JsonWriter& json, int value) {
    if (value < 0) {
        json.nullValue();
    } else {
        json.numberValue(value);
    }
}

}  // namespace

std::string listingText(const app::Listing& listing) {
    std::string text;
    for (const app::CardRow& row : listing.rows) {
        const std::string name = printable(card::nameToUtf8(row.name));
        const std::size_t width = characterCount(name);
        text += name + std::string(width < NAME_COLUMN ? NAME_COLUMN - width : 0, ' ') + "  " +
                texts::blockCount(row.sizeInBlocks) + "\n";
        for (const std::string& line : row.info) {
            const std::string shown = trimmedEnd(printable(card::infoLineToUtf8(line)));
            if (!shown.empty()) {
                text += "  " + shown + "\n";
            }
        }
    }
    if (text.empty()) {
        text = std::string(texts::NO_FILES) + "\n";
    }
    const card::BlockCounts counts = listing.counts.value_or(card::BlockCounts{});
    return text + "\n" + std::string(texts::BLOCKS_USED) + " " + std::to_string(counts.used) +
           "\n" + std::string(texts::BLOCKS_FREE) + " " + std::to_string(counts.free) + "\n";
}

std::string listingJson(const app::Listing& listing, int pageNumber) {
    const card::BlockCounts counts = listing.counts.value_or(card::BlockCounts{});
    JsonWriter json;
    json.beginObject();
    json.key("page").numberValue(pageNumber);
    json.key("blocksUsed").numberValue(counts.used);
    json.key("blocksFree").numberValue(counts.free);
    json.key("files").beginArray();
    for (const app::CardRow& row : listing.rows) {
        json.beginObject();
        json.key("name").stringValue(card::nameToUtf8(row.name));
        json.key("blocks").numberValue(row.sizeInBlocks);
        json.key("info").beginArray();
        for (const std::string& line : row.info) {
            json.stringValue(trimmedEnd(card::infoLineToUtf8(line)));
        }
        json.endArray();
        json.key("eyecatch").boolValue(row.eyecatch);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.text();
}

std::string pageCheckJson(const card::PageCheck& check, const card::PageBytes& pageImage,
                          int pageNumber) {
    JsonWriter json;
    json.beginObject();
    json.key("page").numberValue(pageNumber);
    json.key("clean").boolValue(check.clean());
    json.key("formatMarkMissing").boolValue(check.formatMarkMissing);
    json.key("lostBlocks").beginArray();
    for (const int block : check.lostBlocks) {
        json.numberValue(block);
    }
    json.endArray();
    json.key("freeShown").numberValue(check.freeShown);
    json.key("freeInFat").numberValue(check.freeInFat);
    json.key("findings").beginArray();
    for (const card::FileFinding& finding : check.files) {
        json.beginObject();
        json.key("slot").numberValue(finding.slot);
        json.key("name").stringValue(slotName(pageImage, finding.slot));
        json.key("problem").stringValue(problemName(finding.problem));
        json.key("warningOnly").boolValue(finding.warningOnly());
        numberOrNull(json.key("block"), finding.block);
        numberOrNull(json.key("otherSlot"), finding.otherSlot);
        json.key("expected").numberValue(finding.expected);
        json.key("found").numberValue(finding.found);
        json.key("text").stringValue(app::text::pageCheckFinding(finding, pageImage));
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.text();
}

}  // namespace quorvane::cli
