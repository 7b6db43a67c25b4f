// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/organizer_app.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/backups.h"
#include "app/card_source.h"
#include "app/organizer.h"
#include "app/texts.h"
#include "ui/text_codec.h"

namespace quorvane::ui {

std::optional<Layout> parseLayout(const QString& text) {
    if (text == QStringLiteral("single")) {
        return Layout::SinglePane;
    }
    if (text == QStringLiteral("two-pane")) {
        return Layout::TwoPane;
    }
    return std::nullopt;
}

Layout chooseLayout(std::optional<Layout> requested, const QString& localeName) {
    if (requested.has_value()) {
        return *requested;
    }
    return localeName == QStringLiteral("en_GB") ? Layout::TwoPane : Layout::SinglePane;
}

OrganizerApp::OrganizerApp(AppOptions options) : m_options(std::move(options)) {}

OrganizerApp::~OrganizerApp() = default;

namespace {

// The virtual card the program keeps for itself is made on first start; any other folder that
// does not exist may be a typo, and is made only when the user says so.
bool mayMakeVirtualCard(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::exists(folder, error) ||
        folder ==
            app::defaultVirtualCardFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))) {
        return true;
    }
    return QMessageBox::question(nullptr, messageToText(app::text::PROGRAM_CAPTION),
                                 messageToText(app::text::makeVirtualCardQuestion(folder))) ==
           QMessageBox::Yes;
}

}  // namespace

int OrganizerApp::run() {
    app::CardProblem problem;
    app::CardLocation location;
    location.virtualCard = m_options.virtualCard;
    location.image = m_options.image;
    if (location.virtualCard && !mayMakeVirtualCard(*location.virtualCard)) {
        return 1;
    }
    app::OpenOptions options;
    options.askOtherOrder = [](const std::filesystem::path& image) {
        return QMessageBox::question(nullptr, messageToText(app::text::IMAGE_CAPTION),
                                     messageToText(app::text::otherByteOrderQuestion(image))) ==
               QMessageBox::Yes;
    };
    std::unique_ptr<app::CardSource> card = app::CardSource::open(location, problem, options);
    if (!card) {
        std::fprintf(stderr, "quorvane: %s\n", problem.text.c_str());
        QMessageBox::critical(nullptr, messageToText(app::text::PROGRAM_CAPTION),
                              messageToText(problem.text));
        if (!problem.inUse) {
            return 1;
        }
        // The other program may let go of it: Select/Refresh tries again.
        card = app::CardSource::withoutCard(location, options);
    }

    MainWindowOptions windowOptions;
    windowOptions.layout = chooseLayout(m_options.layout, QLocale::system().name());
    m_window = std::make_unique<MainWindow>(windowOptions);
    m_program = app::wireProgram(std::move(card), *m_window);
    SideCardMakers sideCards;
    sideCards.otherPage = [this](app::Screen& screen) {
        return app::SideCard::otherPage(m_program, screen);
    };
    sideCards.image = &app::SideCard::image;
    m_window->attach(*m_program.organizer, std::move(sideCards));
    m_window->show();
    return QApplication::exec();
}

}  // namespace quorvane::ui
