// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/screen.h"
#include "cli/progress_bar.h"

// The organiser's screen as text: what the window shows goes to standard output and error,
// its questions are answered from the command line or the terminal.
namespace quorvane::cli {

// The streams of the run and what they are connected to.
struct Console {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool inputIsTerminal = false;
    bool errorIsTerminal = false;
};

// How the window's Yes/No questions are answered.
enum class QuestionPolicy {
    AnswerYes,    // --yes
    AskTerminal,  // asked on the terminal, answered with y or n
    Refuse,       // nobody to ask: answered No, with a line that says so
};

class TextScreen final : public app::Screen {
public:
    TextScreen(const Console& console, QuestionPolicy questions);

    // The status line as it stands now, on standard error (nothing while it is empty).
    void printStatus();
    // The status line as it stands now.
    std::string_view status() const { return m_texts.status; }
    // A line of the program's own on standard error.
    void printError(std::string_view line);
    // Text for standard output, after the progress bar is taken off its line.
    void print(std::string_view text);
    // The files of the page last listed: the commands pick their files from it.
    const app::Listing& listing() const { return m_listing; }

    // --- app::Screen ---
    void showTexts(const app::BoundTexts& texts) override;
    void showListing(const app::Listing& listing) override;
    app::BoxAnswer ask(const app::MessageBox& box) override;
    app::Progress& progress(app::ProgressKind kind) override;

private:
    // One bar on standard error for both kinds of work; a position of 0 takes it off.
    class BarProgress final : public app::Progress {
    public:
        explicit BarProgress(ProgressBar& bar) : m_bar(bar) {}
        void begin(int steps) override { m_bar.setRange(0, steps); }
        void advance(int done) override;
        void end() override { m_bar.clear(); }

    private:
        ProgressBar& m_bar;
    };

    // Asks `question` (a question box as text), the prompt after its last line; true for Yes.
    bool askLine(const std::string& question);
    // Starts a line on standard error, taking the progress bar off it first.
    std::ostream& errorLine();

    std::ostream& m_out;
    std::ostream& m_err;
    std::istream& m_in;
    QuestionPolicy m_questions;
    bool m_errorIsTerminal;
    ProgressBar m_progressBar;
    BarProgress m_progress;
    app::BoundTexts m_texts;
    app::Listing m_listing;
};

}  // namespace quorvane::cli
