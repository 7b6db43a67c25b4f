#include "cli/text_screen.h"

#include <string>
#include <system_error>
#include <utility>

#include "app/texts.h"
#include "card/card_text.h"
#include "cli/terminal_text.h"

namespace quorvane::cli {

namespace {

// A message box on one line: its caption in brackets, then its text.
std::string boxLine(const app::MessageBox& box) {
    return "[" + printable(oneLine(card::messageToUtf8(box.caption))) + "] " +
           printable(oneLine(card::messageToUtf8(box.text)));
}

bool saysYes(std::string answer) {
    const std::size_t first = answer.find_first_not_of(" \t");
    const std::size_t last = answer.find_last_not_of(" \t\r");
    answer = first == std::string::npos ? "" : answer.substr(first, last - first + 1);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

// A dialog's answer is given once: the next dialog is cancelled unless answered again.
template <typename Answer>
std::optional<Answer> take(std::optional<Answer>& answer) {
    return std::exchange(answer, std::nullopt);
}

// Paths are taken relative to the folder the program started in, which nothing changes.
std::filesystem::path absoluteOrAsGiven(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute;
}

}  // namespace

TextScreen::TextScreen(const Console& console, QuestionPolicy questions)
    : m_out(console.out),
      m_err(console.err),
      m_in(console.in),
      m_questions(questions),
      m_errorIsTerminal(console.errorIsTerminal),
      m_progress(console.err, console.errorIsTerminal) {}

void TextScreen::answerOpenDialog(const std::filesystem::path& path) {
    m_openAnswer = path;
}

void TextScreen::answerSaveDialog(const std::filesystem::path& path, bool askBeforeReplacing) {
    m_saveAnswer = path;
    m_askBeforeReplacing = askBeforeReplacing;
}

void TextScreen::answerSaveAllDialog(const std::filesystem::path& folder, std::size_t format) {
    m_saveAllAnswer = app::SaveAllChoice{folder, format};
}

std::optional<app::SaveAllChoice> TextScreen::saveAllDialog(std::span<const app::FileFilter>) {
    return take(m_saveAllAnswer);
}

std::ostream& TextScreen::errorLine() {
    m_progress.clear();
    return m_err;
}

void TextScreen::printStatus() {
    if (!m_texts.status.empty()) {
        errorLine() << printable(card::messageToUtf8(m_texts.status)) << '\n' << std::flush;
    }
}

void TextScreen::printError(std::string_view line) {
    errorLine() << app::text::cli::PROGRAM << ": " << line << '\n' << std::flush;
}

void TextScreen::showBoundTexts(const app::BoundTexts& texts) {
    m_texts = texts;
}

app::BoxAnswer TextScreen::messageBox(const app::MessageBox& box) {
    const std::string line = boxLine(box);
    if (box.buttons == app::BoxButtons::YesNo) {
        return ask(line) ? app::BoxAnswer::Yes : app::BoxAnswer::No;
    }
    std::ostream& err = errorLine();
    err << line << '\n';
    // The window shows these on request; here they follow, indented under the box.
    std::string_view details = box.details;
    while (!details.empty()) {
        const std::size_t end = details.find('\n');
        err << "  " << printable(card::messageToUtf8(details.substr(0, end))) << '\n';
        details = end == std::string_view::npos ? std::string_view() : details.substr(end + 1);
    }
    err << std::flush;
    return app::BoxAnswer::Ok;
}

bool TextScreen::ask(const std::string& line) {
    std::ostream& err = errorLine();
    err << line << ' ' << app::text::cli::ANSWER_PROMPT;
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

// The file was named on the command line; the folder a dialog would start in does not matter.
std::optional<std::filesystem::path> TextScreen::openFileDialog(std::span<const app::FileFilter>,
                                                                const std::filesystem::path&) {
    std::optional<std::filesystem::path> chosen = take(m_openAnswer);
    if (!chosen) {
        return std::nullopt;
    }
    return absoluteOrAsGiven(*chosen);
}

std::optional<std::filesystem::path> TextScreen::saveFileDialog(std::span<const app::FileFilter>,
                                                                std::string_view defaultSuffix) {
    std::optional<std::filesystem::path> chosen = take(m_saveAnswer);
    if (!chosen) {
        return std::nullopt;
    }
    std::filesystem::path target = absoluteOrAsGiven(*chosen);
    if (!target.has_extension() && !defaultSuffix.empty()) {
        target += "." + std::string(defaultSuffix);
    }
    // A link, folder or FIFO is left to the command, which names what it is and where it leads.
    std::error_code error;
    if (m_askBeforeReplacing &&
        std::filesystem::is_regular_file(std::filesystem::symlink_status(target, error))) {
        const std::string question = app::text::cli::replaceFileQuestion(target);
        if (messageBox({question, app::text::cli::REPLACE_CAPTION, app::BoxButtons::YesNo,
                        app::BoxIcon::Warning}) != app::BoxAnswer::Yes) {
            return std::nullopt;
        }
    }
    return target;
}

void TextScreen::setProgressRange(int lower, int upper) {
    m_progress.setRange(lower, upper);
}

// A read starts and ends its bar at position 0: then the bar goes.
void TextScreen::setProgressPos(int position) {
    if (position == 0) {
        m_progress.clear();
        return;
    }
    m_progress.setPosition(position);
}

bool TextScreen::progressCreate() {
    return true;
}

void TextScreen::progressSetRange(int lower, int upper) {
    m_progress.setRange(lower, upper);
}

void TextScreen::progressSetStep(int step) {
    m_progressStep = step;
}

void TextScreen::progressStepIt() {
    m_progress.setPosition(m_progress.position() + m_progressStep);
}

void TextScreen::progressSetPos(int position) {
    m_progress.setPosition(position);
}

void TextScreen::progressDestroy() {
    m_progress.clear();
}

app::PageCheckAnswer TextScreen::showPageCheck(std::string_view report, bool) {
    m_progress.clear();
    m_out << printableLines(card::messageToUtf8(report)) << std::flush;
    return app::PageCheckAnswer::Close;
}

}  // namespace quorvane::cli
