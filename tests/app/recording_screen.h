#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/screen.h"

namespace quorvane::app::testing {

// A Screen that records what the handlers show and answers their questions from scripts.
// Every event is one line in `events`, in order, e.g.
//   "status: Connecting to Memory card......."
//   "box: Connection FAILED. | Connection Error | Ok | Error"
class RecordingScreen final : public Screen {
public:
    std::vector<std::string> events;
    BoundTexts texts;  // the last texts pushed
    std::vector<std::pair<std::string, unsigned>> cardRows;
    std::vector<std::size_t> rowIconFrames;  // frames of each row's icon, 0 = none
    std::size_t fileIconFrames = 0;          // of the icon beside the information lines
    std::deque<BoxAnswer> boxAnswers;        // answers to YesNo boxes; empty = Yes
    // Runs while a box is open, as something the user does meanwhile; null: nothing.
    std::function<void(const MessageBox&)> whileBoxOpen;
    std::deque<std::optional<std::filesystem::path>> openAnswers;  // empty = Cancel
    std::deque<std::optional<std::filesystem::path>> saveAnswers;  // empty = Cancel
    std::deque<std::optional<SaveAllChoice>> saveAllAnswers;       // empty = Cancel
    int progressSteps = 0;
    int progressPosition = 0;
    int mainProgressPosition = 0;
    bool progressShown = false;
    bool editCommandsEnabled = false;
    int pageNumber = 0;
    std::vector<std::string> pageCheckReports;
    PageCheckAnswer pageCheckAnswer = PageCheckAnswer::Close;  // when a repair is offered
    std::string pageCaption;
    std::string cardName;

    void showBoundTexts(const BoundTexts& t) override {
        if (t.status != texts.status) {
            events.push_back("status: " + t.status);
        }
        texts = t;
    }
    BoxAnswer messageBox(const MessageBox& box) override {
        std::string event = "box: " + std::string(box.text) + " | " + std::string(box.caption) +
                            " | " + (box.buttons == BoxButtons::Ok ? "Ok" : "YesNo") + " | " +
                            iconName(box.icon);
        if (!box.details.empty()) {
            event += " | details: " + std::string(box.details);
        }
        events.push_back(event);
        if (whileBoxOpen) {
            whileBoxOpen(box);
        }
        if (box.buttons == BoxButtons::Ok) {
            return BoxAnswer::Ok;
        }
        if (boxAnswers.empty()) {
            return BoxAnswer::Yes;
        }
        BoxAnswer answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    std::optional<std::filesystem::path> openFileDialog(
        std::span<const FileFilter> filters, const std::filesystem::path& startFolder) override {
        events.push_back("open dialog" + describe(filters) +
                         (startFolder.empty() ? "" : " in " + startFolder.string()));
        return next(openAnswers);
    }
    std::optional<std::filesystem::path> saveFileDialog(std::span<const FileFilter> filters,
                                                        std::string_view suffix) override {
        events.push_back("save dialog" + describe(filters) + " suffix " + std::string(suffix));
        return next(saveAnswers);
    }
    void setProgressRange(int, int) override {}
    void setProgressPos(int position) override { mainProgressPosition = position; }
    bool progressCreate() override {
        events.push_back("progress create");
        progressShown = true;
        progressSteps = 0;
        return true;
    }
    void progressSetRange(int lower, int upper) override {
        events.push_back("progress range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void progressSetStep(int) override {}
    void progressStepIt() override { ++progressSteps; }
    void progressSetPos(int position) override { progressPosition = position; }
    void progressDestroy() override {
        events.push_back("progress destroy");
        progressShown = false;
    }
    void clearCardList() override {
        cardRows.clear();
        rowIconFrames.clear();
    }
    void appendCardRow(const CardRow& row) override {
        cardRows.emplace_back(std::string(row.name), row.sizeInBlocks);
        rowIconFrames.push_back(row.icon != nullptr ? row.icon->frames.size() : 0);
    }
    void showFileIcon(const card::SaveIcon* icon) override {
        fileIconFrames = icon != nullptr ? icon->frames.size() : 0;
    }
    void showPageNumber(int number) override { pageNumber = number; }
    void showCardName(std::string_view name) override { cardName = name; }
    void showPageCaption(std::string_view caption) override { pageCaption = caption; }
    void enableEditCommands() override { editCommandsEnabled = true; }
    void repaintNow() override { events.push_back("repaint"); }
    bool selectPcPath(const std::filesystem::path& path) override {
        events.push_back("select pc path " + path.string());
        return true;
    }
    std::optional<SaveAllChoice> saveAllDialog(std::span<const FileFilter> formats) override {
        events.push_back("save all dialog" + describe(formats));
        if (saveAllAnswers.empty()) {
            return std::nullopt;
        }
        auto answer = saveAllAnswers.front();
        saveAllAnswers.pop_front();
        return answer;
    }
    PageCheckAnswer showPageCheck(std::string_view report, bool canFreeLostBlocks) override {
        pageCheckReports.emplace_back(report);
        events.push_back(std::string("page check") +
                         (canFreeLostBlocks ? " with lost blocks" : ""));
        return canFreeLostBlocks ? pageCheckAnswer : PageCheckAnswer::Close;
    }
    void listPcFiles(const std::filesystem::path& directory) override {
        events.push_back("list pc files " + directory.string());
    }

    // Events that start with `prefix`, in order.
    std::vector<std::string> eventsStartingWith(std::string_view prefix) const {
        std::vector<std::string> found;
        for (const auto& e : events) {
            if (e.rfind(prefix, 0) == 0) {
                found.push_back(e);
            }
        }
        return found;
    }

private:
    static std::string iconName(BoxIcon icon) {
        switch (icon) {
            case BoxIcon::Error:
                return "Error";
            case BoxIcon::Warning:
                return "Warning";
            case BoxIcon::Question:
                return "Question";
            case BoxIcon::Information:
                return "Information";
        }
        return "?";
    }
    static std::string describe(std::span<const FileFilter> filters) {
        std::string text;
        for (const auto& f : filters) {
            text += " [" + std::string(f.description) + " " + std::string(f.patterns) + "]";
        }
        return text;
    }
    static std::optional<std::filesystem::path> next(
        std::deque<std::optional<std::filesystem::path>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace quorvane::app::testing
