#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>

#include "ui/organizer_app.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.21"));

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
        options.layout = quorvane::ui::ParseLayout(parser.value(layout));
        if (!options.layout.has_value()) {
            std::fprintf(stderr, "quorvane: unknown layout '%s' (use single or two-pane)\n",
                         parser.value(layout).toLocal8Bit().constData());
            return 2;
        }
    }
    if (parser.isSet(virtualCard)) {
        options.virtualCard = QFile::encodeName(parser.value(virtualCard)).toStdString();
    }
    quorvane::ui::OrganizerApp app(std::move(options));
    return app.run();
}
