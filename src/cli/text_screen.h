#pragma once

#include <filesystem>
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

    // What the next open or save dialog returns, as the window's user would have chosen it;
    // a dialog with no answer is cancelled. Paths are taken relative to the folder the program
    // started in, which the dialogs never change.
    void answerOpenDialog(const std::filesystem::path& path);
    // `askBeforeReplacing`: ask before an existing file is replaced, as the window's save dialog
    // does; off for a command that asks that itself. A symbolic link or anything but a file is
    // not asked about here: the command asks or refuses, naming it.
    void answerSaveDialog(const std::filesystem::path& path, bool askBeforeReplacing);
    // What the next Save All Files dialog returns: the folder and the index of the format.
    void answerSaveAllDialog(const std::filesystem::path& folder, std::size_t format);

    // The status line as it stands now, on standard error (nothing while it is empty).
    void printStatus();
    // A line of the program's own on standard error.
    void printError(std::string_view line);
    const app::BoundTexts& texts() const { return m_texts; }

    // --- app::Screen ---
    void showBoundTexts(const app::BoundTexts& texts) override;
    app::BoxAnswer messageBox(const app::MessageBox& box) override;
    std::optional<std::filesystem::path> openFileDialog(
        std::span<const app::FileFilter> filters,
        const std::filesystem::path& startFolder) override;
    std::optional<std::filesystem::path> saveFileDialog(std::span<const app::FileFilter> filters,
                                                        std::string_view defaultSuffix) override;
    void setProgressRange(int lower, int upper) override;
    void setProgressPos(int position) override;
    bool progressCreate() override;
    void progressSetRange(int lower, int upper) override;
    void progressSetStep(int step) override;
    void progressStepIt() override;
    void progressSetPos(int position) override;
    void progressDestroy() override;
    // The list command prints the page it read itself; the rows and the icons are not needed.
    void clearCardList() override {}
    void appendCardRow(const app::CardRow&) override {}
    void showFileIcon(const card::SaveIcon*) override {}
    void showPageNumber(int) override {}
    void showCardName(std::string_view) override {}
    void showPageCaption(std::string_view) override {}
    void enableEditCommands() override {}
    void repaintNow() override {}
    std::optional<app::SaveAllChoice> saveAllDialog(
        std::span<const app::FileFilter> formats) override;
    app::PageCheckAnswer showPageCheck(std::string_view report, bool canFreeLostBlocks) override;
    bool selectPcPath(const std::filesystem::path&) override { return false; }
    void listPcFiles(const std::filesystem::path&) override {}

private:
    // Asks `line` (a question box as one line); true for Yes.
    bool ask(const std::string& line);
    // Starts a line on standard error, taking the progress bar off it first.
    std::ostream& errorLine();

    std::ostream& m_out;
    std::ostream& m_err;
    std::istream& m_in;
    QuestionPolicy m_questions;
    bool m_errorIsTerminal;
    ProgressBar m_progress;
    int m_progressStep = 1;
    app::BoundTexts m_texts;
    std::optional<std::filesystem::path> m_openAnswer;
    std::optional<std::filesystem::path> m_saveAnswer;
    std::optional<app::SaveAllChoice> m_saveAllAnswer;
    bool m_askBeforeReplacing = true;
};

}  // namespace quorvane::cli
