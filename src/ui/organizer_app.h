// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/program.h"
#include "ui/main_window.h"

namespace quorvane::ui {

struct AppOptions {
    // Run on the virtual adapter with its pages in this folder instead of the real port.
    std::optional<std::filesystem::path> virtualCard;
    // Run on this card image as a card of one page.
    std::optional<std::filesystem::path> image;
    // The layout asked for on the command line; otherwise the locale decides.
    std::optional<Layout> layout;
};

// "single" or "two-pane"; nothing for any other text.
std::optional<Layout> parseLayout(const QString& text);
// en_GB gets the two-pane layout, every other locale the single pane, unless one is asked for.
Layout chooseLayout(std::optional<Layout> requested, const QString& localeName);

// The application object: builds the port, the link, the organiser and the window for the
// whole run, and runs the window.
class OrganizerApp {
public:
    explicit OrganizerApp(AppOptions options);
    ~OrganizerApp();
    OrganizerApp(const OrganizerApp&) = delete;
    OrganizerApp& operator=(const OrganizerApp&) = delete;

    // Returns the program's exit code.
    int run();

private:
    AppOptions m_options;
    std::unique_ptr<MainWindow> m_window;
    app::Program m_program;  // goes before the window it shows on
};

}  // namespace quorvane::ui
