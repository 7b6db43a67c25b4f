// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/reports.h"
#include "app/texts.h"
#include "app/version.h"
#include "link/system_port.h"
#include "ui/organizer_app.h"
#include "ui/text_codec.h"

namespace {

// The version text is what --version prints after the name: the version, then the licence.
void setApplicationNames() {
    QCoreApplication::setApplicationName(QStringLiteral("quorvane"));
    QCoreApplication::setApplicationVersion(
        quorvane::ui::messageToText(std::string(quorvane::app::VERSION) + "\n" +
                                    std::string(quorvane::app::text::LICENCE_NOTICE)));
}

// Why the command line cannot be used, and where to look.
void usageError(const QString& error) {
    std::fprintf(
        stderr, "quorvane: %s\n%s\n", error.toLocal8Bit().constData(),
        QCoreApplication::translate("main", "Try 'quorvane --help'.").toLocal8Bit().constData());
}

// Reads the options; --help and --version print and end the program here. Nothing when the
// command line cannot be used (the reason is on stderr).
std::optional<quorvane::ui::AppOptions> parseCommandLine(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Organises Dreamcast memory cards held in a parallel-port card adapter."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption virtualCard(
        QStringLiteral("virtual-card"),
        QCoreApplication::translate(
            "main", "Use the virtual adapter with its pages in <dir> instead of the port."),
        QCoreApplication::translate("main", "dir"));
    const QCommandLineOption layout(
        QStringLiteral("layout"),
        QCoreApplication::translate("main", "Window layout: single or two-pane."),
        QCoreApplication::translate("main", "layout"));
    const QCommandLineOption image(
        QStringLiteral("image"),
        QCoreApplication::translate("main",
                                    "Use the card image <file> (.bin, .vmu or .dcm) as a card of "
                                    "one page; every change is saved back into it."),
        QCoreApplication::translate("main", "file"));
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QCoreApplication::translate("main",
                                    "List the parallel ports, whether this user can use each, and "
                                    "how each address of the Parallel Port buttons would be "
                                    "reached; then exit."));
    parser.addOption(virtualCard);
    parser.addOption(layout);
    parser.addOption(image);
    parser.addOption(listPorts);
    // Qt would end a command line it cannot use with 1; a usage error ends with 2, as in
    // quorvane-cli. Once it parses, process() only prints --help or --version and ends.
    if (!parser.parse(QCoreApplication::arguments())) {
        usageError(parser.errorText());
        return std::nullopt;
    }
    parser.process(application);
    if (!parser.positionalArguments().isEmpty()) {
        usageError(QCoreApplication::translate("main", "Unexpected argument '%1'.")
                       .arg(parser.positionalArguments().constFirst()));
        return std::nullopt;
    }
    if (parser.isSet(listPorts)) {
        const std::string listing = quorvane::app::text::portListing(
            quorvane::link::listKernelPorts(), quorvane::link::probeAddresses());
        std::fputs(listing.c_str(), stdout);
        std::exit(0);
    }

    quorvane::ui::AppOptions options;
    if (parser.isSet(layout)) {
        options.layout = quorvane::ui::parseLayout(parser.value(layout));
        if (!options.layout.has_value()) {
            std::fprintf(stderr, "quorvane: unknown layout '%s' (use single or two-pane)\n",
                         parser.value(layout).toLocal8Bit().constData());
            return std::nullopt;
        }
    }
    if (parser.isSet(virtualCard) && parser.isSet(image)) {
        std::fprintf(stderr, "quorvane: --virtual-card and --image cannot be used together\n");
        return std::nullopt;
    }
    if (parser.isSet(virtualCard)) {
        options.virtualCard = quorvane::ui::textToPath(parser.value(virtualCard));
    }
    if (parser.isSet(image)) {
        options.image = quorvane::ui::textToPath(parser.value(image));
    }
    return options;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::optional<quorvane::ui::AppOptions> options;
    {
        // The command line is read before any window system is needed, so --help,
        // --version and mistakes work without a display.
        const QCoreApplication parsing(argc, argv);
        setApplicationNames();
        options = parseCommandLine(parsing);
    }
    if (!options.has_value()) {
        return 2;
    }
    QApplication application(argc, argv);
    setApplicationNames();
    quorvane::ui::OrganizerApp app(std::move(*options));
    return app.run();
}
