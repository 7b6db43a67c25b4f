// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/text_screen.h"

#include <string>
#include <system_error>
#include <utility>

#include "app/texts.h"
#include "cli/help_texts.h"
#include "cli/terminal_text.h"

namespace quorvane::cli {

namespace {

// A message box as text: its caption in brackets, then its lines, those after the first
// indented under it (without the blank lines and padding that lay out the window's box), and
// what it is about after the last.
std::string boxText(const app::MessageBox& box) {
    std::string text = "[" + printable(oneLine(box.caption)) + "]";
    const char* before = " ";
    for (const std::string& line : trimmedLines(box.text)) {
        text += before + printable(line);
        before = "\n  ";
    }
    if (!box.subject.empty()) {
        text += " (" + printable(box.subject) + ")";
    }
    return text;
}

bool saysYes(std::string answer) {
    const std::size_t first = answer.find_first_not_of(" \t");
    const std::size_t last = answer.find_last_not_of(" \t\r");
    answer = first == std::string::npos ? "" : answer.substr(first, last - first + 1);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

}  // namespace

TextScreen::TextScreen(const Console& console, QuestionPolicy questions)
    : m_out(console.out),
      m_err(console.err),
      m_in(console.in),
      m_questions(questions),
      m_errorIsTerminal(console.errorIsTerminal),
      m_progressBar(console.err, console.errorIsTerminal),
      m_progress(m_progressBar) {}

std::ostream& TextScreen::errorLine() {
    m_progressBar.clear();
    return m_err;
}

void TextScreen::printStatus() {
    if (!m_texts.status.empty()) {
        errorLine() << printable(m_texts.status) << '\n' << std::flush;
    }
}

void TextScreen::printError(std::string_view line) {
    errorLine() << help::PROGRAM << ": " << line << '\n' << std::flush;
}

void TextScreen::print(std::string_view text) {
    m_progressBar.clear();
    m_out << text << std::flush;
}

void TextScreen::showTexts(const app::BoundTexts& texts) {
    m_texts = texts;
}

void TextScreen::showListing(const app::Listing& listing) {
    m_listing = listing;
}

app::BoxAnswer TextScreen::ask(const app::MessageBox& box) {
    const std::string text = boxText(box);
    if (box.buttons == app::BoxButtons::YesNo) {
        return askLine(text) ? app::BoxAnswer::Yes : app::BoxAnswer::No;
    }
    std::ostream& err = errorLine();
    err << text << '\n';
    // The window shows these on request; here they follow, indented under the box.
    std::string_view details = box.details;
    while (!details.empty()) {
        const std::size_t end = details.find('\n');
        err << "  " << printable(details.substr(0, end)) << '\n';
        details = end == std::string_view::npos ? std::string_view() : details.substr(end + 1);
    }
    err << std::flush;
    return app::BoxAnswer::Ok;
}

bool TextScreen::askLine(const std::string& question) {
    std::ostream& err = errorLine();
    err << question << ' ' << app::text::cli::ANSWER_PROMPT;
    switch (m_questions) {
        case QuestionPolicy::AnswerYes:
            err << ' ' << app::text::cli::ANSWERED_YES << '\n' << std::flush;
            return true;
        case QuestionPolicy::AskTerminal: {
            err << ' ' << std::flush;
            std::string answer;
            if (!std::getline(m_in, answer)) {
                err << '\n' << std::flush;  // end of input: the line the user never ended
                return false;
            }
            // The terminal echoed the answer where the user typed it, not into a log.
            if (!m_errorIsTerminal) {
                err << printable(answer) << '\n' << std::flush;
            }
            return saysYes(answer);
        }
        case QuestionPolicy::Refuse:
            break;
    }
    err << '\n' << app::text::cli::NOT_ASKED << '\n' << std::flush;
    return false;
}

app::Progress& TextScreen::progress(app::ProgressKind) {
    return m_progress;
}

// A read starts and ends its bar at position 0: then the bar goes.
void TextScreen::BarProgress::advance(int done) {
    if (done == 0) {
        m_bar.clear();
        return;
    }
    m_bar.setPosition(done);
}

}  // namespace quorvane::cli
