#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <optional>

#include "app/version.h"
#include "ui/organizer_app.h"

namespace {

void setApplicationNames() {
    QCoreApplication::setApplicationName(QStringLiteral("quorvane"));
    QCoreApplication::setApplicationVersion(
        QString::fromLatin1(quorvane::app::VERSION.data(),
                            static_cast<qsizetype>(quorvane::app::VERSION.size())));
}

// Reads the options; --help and --version print and end the program here. Nothing when the
// command line cannot be used (the reason is on stderr).
std::optional<quorvane::ui::AppOptions> parseCommandLine(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Organises Dreamcast memory cards held in a parallel-port card adapter."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption virtualCard(
        QStringLiteral("virtual-card"),
        QStringLiteral("Use the virtual adapter with its pages in <dir> instead of the port."),
        QStringLiteral("dir"));
    const QCommandLineOption layout(QStringLiteral("layout"),
                                    QStringLiteral("Window layout: single or two-pane."),
                                    QStringLiteral("layout"));
    parser.addOption(virtualCard);
    parser.addOption(layout);
    parser.process(application);

    quorvane::ui::AppOptions options;
    if (parser.isSet(layout)) {
        options.layout = quorvane::ui::parseLayout(parser.value(layout));
        if (!options.layout.has_value()) {
            std::fprintf(stderr, "quorvane: unknown layout '%s' (use single or two-pane)\n",
                         parser.value(layout).toLocal8Bit().constData());
            return std::nullopt;
        }
    }
    if (parser.isSet(virtualCard)) {
        options.virtualCard = QFile::encodeName(parser.value(virtualCard)).toStdString();
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
