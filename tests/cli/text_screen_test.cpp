// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/text_screen.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/reports.h"
#include "app/texts.h"
#include "cli/terminal_text.h"
#include "support/files.h"

namespace quorvane::cli {
namespace {

using app::BoxAnswer;
using app::BoxButtons;
using app::BoxIcon;

// A screen whose streams the test reads and writes.
struct Streams {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    Console console(bool inputIsTerminal = false, bool errorIsTerminal = false) {
        return Console{out, err, in, inputIsTerminal, errorIsTerminal};
    }
};

const app::MessageBox DELETE_QUESTION{"Are you sure?", "Delete file", BoxButtons::YesNo,
                                      BoxIcon::Question};

TEST(TextScreen, ABoxKeepsItsLinesWithItsCaptionAndItsDetailsBelow) {
    Streams streams;
    TextScreen screen(streams.console(), QuestionPolicy::Refuse);
    EXPECT_EQ(screen.ask({"Connection FAILED.", "Connection Error", BoxButtons::Ok, BoxIcon::Error,
                          "No way to the port:\n- ppdev: missing."}),
              BoxAnswer::Ok);
    EXPECT_EQ(screen.ask({"The file could not be written:\n/x/A.ddc\nNo space left",
                          "Copy file to PC", BoxButtons::Ok, BoxIcon::Error}),
              BoxAnswer::Ok);
    EXPECT_EQ(streams.err.str(),
              "[Connection Error] Connection FAILED.\n"
              "  No way to the port:\n"
              "  - ppdev: missing.\n"
              "[Copy file to PC] The file could not be written:\n"
              "  /x/A.ddc\n"
              "  No space left\n");
    EXPECT_EQ(streams.out.str(), "");
}

TEST(TextScreen, QuestionsAreAnsweredByYesAskedOnTheTerminalOrRefused) {
    {
        Streams streams;
        TextScreen screen(streams.console(), QuestionPolicy::AnswerYes);
        EXPECT_EQ(screen.ask(DELETE_QUESTION), BoxAnswer::Yes);
        EXPECT_EQ(streams.err.str(), "[Delete file] Are you sure? [y/n] y\n");
    }
    {
        Streams streams;
        streams.in.str("yes\n n\nmaybe\n");
        TextScreen screen(streams.console(true, true), QuestionPolicy::AskTerminal);
        EXPECT_EQ(screen.ask(DELETE_QUESTION), BoxAnswer::Yes);
        EXPECT_EQ(screen.ask(DELETE_QUESTION), BoxAnswer::No);
        EXPECT_EQ(screen.ask(DELETE_QUESTION), BoxAnswer::No);
        EXPECT_EQ(screen.ask(DELETE_QUESTION), BoxAnswer::No);  // end of input
        // The terminal echoes what is typed; only the end of input needs a line break.
        EXPECT_EQ(streams.err.str(),
                  "[Delete file] Are you sure? [y/n] "
                  "[Delete file] Are you sure? [y/n] "
                  "[Delete file] Are you sure? [y/n] "
                  "[Delete file] Are you sure? [y/n] \n");
    }
    {
        Streams streams;
        streams.in.str("Y\n");
        TextScreen screen(streams.console(true, false), QuestionPolicy::AskTerminal);
        EXPECT_EQ(screen.ask(DELETE_QUESTION), BoxAnswer::Yes);
        EXPECT_EQ(streams.err.str(), "[Delete file] Are you sure? [y/n] Y\n");
    }
    {
        Streams streams;
        streams.in.str("y\n");  // there, but not from a terminal: never read
        TextScreen screen(streams.console(), QuestionPolicy::Refuse);
        EXPECT_EQ(screen.ask(DELETE_QUESTION), BoxAnswer::No);
        EXPECT_EQ(streams.err.str(),
                  "[Delete file] Are you sure? [y/n]\n"
                  "Not asked: standard input is not a terminal. Answer Yes with --yes.\n");
        EXPECT_EQ(streams.in.tellg(), 0);
    }
}

TEST(TextScreen, ProgressIsDrawnOnATerminalOnlyAndClearedBeforeText) {
    for (const bool terminal : {false, true}) {
        Streams streams;
        TextScreen screen(streams.console(false, terminal), QuestionPolicy::Refuse);
        app::Progress& read = screen.progress(app::ProgressKind::Transfer);
        read.begin(256);
        read.advance(0);
        read.advance(128);
        read.advance(129);  // still 50 %: not drawn again
        app::BoundTexts texts;
        texts.status = "Memory card read successful.";
        screen.showTexts(texts);
        screen.printStatus();
        app::Progress& commit = screen.progress(app::ProgressKind::Window);
        commit.begin(4);
        commit.advance(1);
        commit.end();
        const std::string bar50 = "\r[####################....................]  50%";
        const std::string bar25 = "\r[##########..............................]  25%";
        const std::string blank = "\r" + std::string(47, ' ') + "\r";
        EXPECT_EQ(streams.err.str(),
                  terminal ? bar50 + blank + "Memory card read successful.\n" + bar25 + blank
                           : "Memory card read successful.\n");
    }
}

TEST(TerminalText, OutsideBytesCannotDriveTheTerminal) {
    const std::string placeholder = "\xEF\xBF\xBD";
    EXPECT_EQ(printable("A\x1B[2JB\x07"), "A" + placeholder + "[2JB" + placeholder);
    EXPECT_EQ(printable("\xC2\x9B"
                        "1m"),
              placeholder + "1m");  // C1 CSI
    EXPECT_EQ(printable("CAF\xC3\x89 \xC2\xA0"), "CAF\xC3\x89 \xC2\xA0");
    EXPECT_EQ(printable("\xFF"), placeholder);
    // Zero-width space, right-to-left override, line separator, a tag: they print nothing either.
    EXPECT_EQ(printable("\xE2\x80\x8B\xE2\x80\xAE\xE2\x80\xA8\xF3\xA0\x80\x81"),
              placeholder + placeholder + placeholder + placeholder);
    EXPECT_EQ(printableLines("a\x1B\nb"), "a" + placeholder + "\nb");
    // Messages come as UTF-8: a PC path is taken as UTF-8 where it is, otherwise byte for
    // character; a card name is always byte for character, beside a path of either kind.
    EXPECT_EQ(app::text::systemText("CAF\xC9"), "CAF\xC3\x89");
    EXPECT_EQ(app::text::systemText("CAF\xC3\x89"), "CAF\xC3\x89");
    EXPECT_EQ(app::text::saveAllSummary("/tmp/\xC3\xA9t\xC3\xA9",
                                        {{"CAF\xC9", "CAF\xC3\x89.ddc", {}, 0}}),
              "1 file saved in /tmp/\xC3\xA9t\xC3\xA9:\nCAF\xC3\x89 as CAF\xC3\x89.ddc");
    EXPECT_EQ(app::text::writeFailure("/tmp/caf\xE9", 0),
              "The file could not be written:\n/tmp/caf\xC3\xA9");
    EXPECT_EQ(oneLine("Committing to Memory pack will overwrite data\n\n"
                      "                           Are you sure?"),
              "Committing to Memory pack will overwrite data Are you sure?");
    EXPECT_EQ(characterCount("CAF\xC3\x89"), 4U);
}

}  // namespace
}  // namespace quorvane::cli
