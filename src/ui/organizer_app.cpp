#include "ui/organizer_app.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <cstdio>
#include <string>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "app/texts.h"
#include "ui/text_codec.h"
#include "link/card_link.h"
#include "link/system_port.h"

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

// The organiser goes before the window it shows on; the link before its port.
OrganizerApp::~OrganizerApp() {
    m_organizer.reset();
    m_window.reset();
    m_link.reset();
    m_port.reset();
}

bool OrganizerApp::openPort(QString& error) {
    if (!m_options.virtualCard.has_value()) {
        m_port = std::make_unique<link::SystemPorts>();
        return true;
    }
    adapter::FolderError problem;
    m_port = adapter::VirtualAdapter::openDirectory(*m_options.virtualCard, problem);
    if (m_port == nullptr) {
        error = QString::fromStdString(app::text::virtualCardProblem(problem));
        return false;
    }
    return true;
}

int OrganizerApp::run() {
    QString error;
    if (!openPort(error)) {
        std::fprintf(stderr, "quorvane: %s\n", error.toLocal8Bit().constData());
        QMessageBox::critical(nullptr, messageToText(app::text::PROGRAM_CAPTION), error);
        return 1;
    }
    m_link = std::make_unique<link::CardLink>(*m_port);

    MainWindowOptions windowOptions;
    windowOptions.layout = chooseLayout(m_options.layout, QLocale::system().name());
    m_window = std::make_unique<MainWindow>(windowOptions);
    // On the heap: it holds the page images and the file buffer.
    m_organizer = std::make_unique<app::Organizer>(*m_window, *m_link);
    m_window->attach(*m_organizer);
    m_window->show();
    return QApplication::exec();
}

}  // namespace quorvane::ui
