// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/screen.h"
#include "app/texts.h"

namespace quorvane::app::testing {

// What the window shows in its labels: the bound texts and the listing's counts.
struct ShownTexts {
    std::string status;
    std::string info1;
    std::string info2;
    std::string info3;
    std::string blocksUsed;
    std::string blocksFree;
    bool operator==(const ShownTexts&) const = default;
};

// A window screen that records what the operations show and answers their questions from
// scripts. Every event is one line in `events`, in order, e.g.
//   "status: Connecting to Memory card......."
//   "box: Connection FAILED. | Connection Error | Ok | Error"
class RecordingScreen final : public WindowScreen {
public:
    std::vector<std::string> events;
    ShownTexts texts;  // as last shown
    std::vector<std::pair<std::string, unsigned>> cardRows;
    std::vector<int> rowSlots;
    std::vector<std::size_t> rowIconFrames;  // frames of each row's icon, 0 = none
    std::size_t fileIconFrames = 0;          // of the icon beside the information lines
    std::deque<BoxAnswer> boxAnswers;        // answers to YesNo boxes; empty = Yes
    // Runs while a box is open, as something the user does meanwhile; null: nothing.
    std::function<void(const MessageBox&)> whileBoxOpen;
    std::deque<std::optional<std::filesystem::path>> openAnswers;  // empty = Cancel
    std::deque<std::optional<std::filesystem::path>> saveAnswers;  // empty = Cancel
    std::deque<std::optional<SaveAllChoice>> saveAllAnswers;       // empty = Cancel
    int progressSteps = 0;     // of the progress window, before its last jump to the end
    int progressPosition = 0;  // of the progress window
    int mainProgressPosition = 0;
    bool progressShown = false;
    bool editCommandsEnabled = false;
    int pageNumber = 0;
    std::vector<std::string> pageCheckReports;
    PageCheckAnswer pageCheckAnswer = PageCheckAnswer::Close;  // when a repair is offered
    std::string pageCaption;
    std::string cardName;

    void showTexts(const BoundTexts& t) override {
        if (t.status != texts.status) {
            events.push_back("status: " + t.status);
        }
        texts.status = t.status;
        texts.info1 = t.info1;
        texts.info2 = t.info2;
        texts.info3 = t.info3;
        fileIconFrames = t.icon != nullptr ? t.icon->frames.size() : 0;
        showPage(t.page);
    }
    void showListing(const Listing& listing) override {
        cardRows.clear();
        rowSlots.clear();
        rowIconFrames.clear();
        for (const CardRow& row : listing.rows) {
            cardRows.emplace_back(row.name, row.sizeInBlocks);
            rowSlots.push_back(row.slot);
            rowIconFrames.push_back(row.icon != nullptr ? row.icon->frames.size() : 0);
        }
        texts.blocksUsed = listing.counts ? std::to_string(listing.counts->used) : "";
        texts.blocksFree = listing.counts ? std::to_string(listing.counts->free) : "";
    }
    void showPage(const PageShown& page) {
        pageNumber = page.chosenPage;
        pageCaption = page.listedPage > 0 ? text::currentPage(page.listedPage)
                                          : std::string(text::CURRENT_PAGE_NONE);
        cardName = page.cardName;
        editCommandsEnabled = editCommandsEnabled || page.listedPage > 0;
    }
    BoxAnswer ask(const MessageBox& box) override {
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
    Progress& progress(ProgressKind kind) override {
        if (kind == ProgressKind::Window) {
            return m_window;
        }
        return m_bar;
    }
    std::optional<std::filesystem::path> chooseFileToOpen(
        std::span<const FileFilter> filters, const std::filesystem::path& startFolder) override {
        events.push_back("open dialog" + describe(filters) +
                         (startFolder.empty() ? "" : " in " + startFolder.string()));
        return next(openAnswers);
    }
    std::optional<std::filesystem::path> chooseFileToSave(std::span<const FileFilter> filters,
                                                          std::string_view suffix) override {
        events.push_back("save dialog" + describe(filters) + " suffix " + std::string(suffix));
        return next(saveAnswers);
    }
    std::optional<SaveAllChoice> chooseSaveAll(std::span<const FileFilter> formats) override {
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
    std::vector<int> selectedSlots() const override { return selectedRows; }
    std::vector<int> selectedRows;  // the card list's selection, as the window would give it
    void showPcFolder(const std::filesystem::path& folder) override {
        events.push_back("select pc path " + folder.string());
        events.push_back("list pc files " + folder.string());
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
    class BarProgress final : public Progress {
    public:
        explicit BarProgress(RecordingScreen& screen) : m_screen(screen) {}
        void begin(int) override { m_screen.mainProgressPosition = 0; }
        void advance(int done) override { m_screen.mainProgressPosition = done; }
        void end() override { m_screen.mainProgressPosition = 0; }

    private:
        RecordingScreen& m_screen;
    };
    class WindowProgress final : public Progress {
    public:
        explicit WindowProgress(RecordingScreen& screen) : m_screen(screen) {}
        void begin(int steps) override {
            m_steps = steps;
            m_screen.events.push_back("progress create");
            m_screen.events.push_back("progress range 0 " + std::to_string(steps));
            m_screen.progressShown = true;
            m_screen.progressSteps = 0;
        }
        void advance(int done) override {
            m_screen.progressPosition = done;
            if (done < m_steps) {
                m_screen.progressSteps = done;
            }
        }
        void end() override {
            m_screen.events.push_back("progress destroy");
            m_screen.progressShown = false;
        }

    private:
        RecordingScreen& m_screen;
        int m_steps = 0;
    };

    BarProgress m_bar{*this};
    WindowProgress m_window{*this};

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
