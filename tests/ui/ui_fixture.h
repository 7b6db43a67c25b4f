// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "app_fixture.h"
#include "link/card_link.h"
#include "ui/dialog_provider.h"
#include "ui/main_window.h"
#include "ui/page_spinner.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace quorvane::ui::testing {

// Answers the window's boxes and file dialogs from a script, and records what was asked.
// An unscripted question is answered Yes; an unscripted file dialog is cancelled.
class ScriptedDialogs final : public DialogProvider {
public:
    QStringList boxes;    // "text | caption"
    QStringList details;  // each box's details, "" where it had none
    std::deque<app::BoxAnswer> answers;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    QStringList lastFilters;
    QStringList pageCheckReports;
    QStringList openedFolders;
    std::deque<std::pair<QString, int>> saveAllAnswers;  // folder, format; empty = Cancel
    app::PageCheckAnswer pageCheckAnswer = app::PageCheckAnswer::Close;
    QString lastSuffix;
    QString lastFolder;  // where the last open dialog opened; empty: the current directory

    app::BoxAnswer messageBox(QWidget*, const QtMessage& message) override {
        boxes.append(message.text + " | " + message.caption);
        details.append(message.details);
        if (message.buttons == app::BoxButtons::Ok) {
            return app::BoxAnswer::Ok;
        }
        return next(answers, app::BoxAnswer::Yes);
    }
    app::PageCheckAnswer pageCheck(QWidget*, const QString& report,
                                   bool canFreeLostBlocks) override {
        pageCheckReports.append(report);
        return canFreeLostBlocks ? pageCheckAnswer : app::PageCheckAnswer::Close;
    }
    void openFolder(const QString& folder) override { openedFolders.append(folder); }
    std::optional<std::pair<QString, int>> chooseFolderAndFormat(
        QWidget*, const QStringList& formats) override {
        lastFilters = formats;
        if (saveAllAnswers.empty()) {
            return std::nullopt;
        }
        std::pair<QString, int> answer = saveAllAnswers.front();
        saveAllAnswers.pop_front();
        return answer;
    }
    std::optional<QString> openFile(QWidget*, const QStringList& filters,
                                    const QString& folder) override {
        lastFilters = filters;
        lastFolder = folder;
        return nextPath(openAnswers);
    }
    std::optional<QString> saveFile(QWidget*, const QStringList& filters,
                                    const QString& suffix) override {
        lastFilters = filters;
        lastSuffix = suffix;
        return nextPath(saveAnswers);
    }

private:
    template <typename T>
    static T next(std::deque<T>& queue, T otherwise) {
        if (queue.empty()) {
            return otherwise;
        }
        T value = queue.front();
        queue.pop_front();
        return value;
    }
    static std::optional<QString> nextPath(std::deque<QString>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        return next(queue, QString());
    }
};

// A shown main window on a virtual adapter with in-memory pages (card byte order), its
// dialogs answered by `dialogs`. Adjust `pages` before open().
class WindowFixture : public ::testing::Test {
protected:
    std::vector<card::CardOrderPage> pages =
        std::vector<card::CardOrderPage>(4, app::testing::formattedCardPage());
    ScriptedDialogs dialogs;
    QTemporaryDir folder;  // the PC side: files to add, saves, the two-pane "drive"
    std::unique_ptr<adapter::VirtualAdapter> adapter;
    std::unique_ptr<link::CardLink> link;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<app::Organizer> organizer;
    QString startDirectory = QDir::currentPath();

    void TearDown() override {
        organizer.reset();
        window.reset();
        QDir::setCurrent(startDirectory);
    }

    void open(Layout layout, SideCardMakers sideCards = {}) {
        adapter = std::make_unique<adapter::VirtualAdapter>(pages);
        link = std::make_unique<link::CardLink>(*adapter);
        MainWindowOptions options;
        options.layout = layout;
        options.dialogs = &dialogs;
        const QString drive = folder.path();
        options.drives = [drive] { return QStringList{drive}; };
        window = std::make_unique<MainWindow>(options);
        organizer = std::make_unique<app::Organizer>(*window, *link, app::testing::fixedTime);
        window->attach(*organizer, std::move(sideCards));
        window->show();
    }

    template <typename T = QWidget>
    T* named(const char* objectName) {
        return window->findChild<T*>(QString::fromLatin1(objectName));
    }
    QPushButton* button(const QString& text) {
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            if (b->text() == text) {
                return b;
            }
        }
        return nullptr;
    }
    QAction* menuEntry(const QString& text) {
        for (QAction* menu : window->menuBar()->actions()) {
            for (QAction* entry : menu->menu()->actions()) {
                if (entry->text() == text) {
                    return entry;
                }
            }
        }
        return nullptr;
    }
    QGroupBox* frame(const QString& title) {
        for (QGroupBox* box : window->findChildren<QGroupBox*>()) {
            if (box->title() == title) {
                return box;
            }
        }
        return nullptr;
    }
    // Every frame is announced by its own title, nested ones included.
    void expectFramesNamedByTheirTitles(std::initializer_list<const char*> titles) {
        const QList<QGroupBox*> frames = window->findChildren<QGroupBox*>();
        EXPECT_EQ(frames.size(), static_cast<qsizetype>(titles.size()));
        for (const char* title : titles) {
            QGroupBox* box = frame(QString::fromLatin1(title));
            ASSERT_NE(box, nullptr) << title;
            QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(box);
            ASSERT_NE(announced, nullptr) << title;
            EXPECT_EQ(announced->text(QAccessible::Name), QString::fromLatin1(title)) << title;
        }
    }
    QTreeWidget* cardList() { return named<QTreeWidget>("cardList"); }
    QString text(const char* labelName) { return named<QLabel>(labelName)->text(); }
    QStringList column(int index) {
        QStringList texts;
        for (int i = 0; i < cardList()->topLevelItemCount(); ++i) {
            texts.append(cardList()->topLevelItem(i)->text(index));
        }
        return texts;
    }
    void click(const QString& buttonText) {
        QPushButton* b = button(buttonText);
        ASSERT_NE(b, nullptr) << buttonText.toStdString();
        ASSERT_TRUE(b->isEnabled()) << buttonText.toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void choose(const QString& entryText) {
        QAction* entry = menuEntry(entryText);
        ASSERT_NE(entry, nullptr) << entryText.toStdString();
        ASSERT_TRUE(entry->isEnabled()) << entryText.toStdString();
        entry->trigger();
    }
    void readPage() {
        click("Select/Refresh");
        ASSERT_TRUE(organizer->loadedPage().has_value());
    }
    // A row as a list's indexOf gives it; the tree counts its rows in int.
    void clickRow(qsizetype row) {
        QTreeWidget* list = cardList();
        const QRect rect = list->visualItemRect(list->topLevelItem(static_cast<int>(row)));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void clickHeader(int section) {
        QHeaderView* header = cardList()->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    }
    // The adapter's page `index` as the file system sees it.
    card::PageBytes cardPage(int index) {
        card::PageBytes pageImage{};
        card::cardToPage(adapter->page(index), pageImage);
        return pageImage;
    }
    QString inFolder(const QString& name) { return folder.path() + "/" + name; }
};

}  // namespace quorvane::ui::testing
