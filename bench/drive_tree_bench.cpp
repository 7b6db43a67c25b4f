// SPDX-License-Identifier: GPL-3.0-or-later
// Opening one level of 20,000 subdirectories in the drive tree, with and without a
// subdirectory below each (the second costs one more directory read per item).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTreeWidget>
#include <cstdlib>

#include "ui/drive_tree.h"

namespace {

constexpr int SUBDIRECTORY_COUNT = 20000;

QString benchRoot;

// <root>/<level>/d00000 ... d19999, each with one "sub" below when `nested`.
QString buildLevel(const QString& level, bool nested) {
    QString path = benchRoot + '/' + level;
    if (QDir(path).exists()) {
        return path;
    }
    QDir directory;
    for (int i = 0; i < SUBDIRECTORY_COUNT; ++i) {
        const QString name = QStringLiteral("%1/d%2").arg(path).arg(i, 5, 10, QLatin1Char('0'));
        directory.mkpath(nested ? name + QStringLiteral("/sub") : name);
    }
    return path;
}

void openLevel(benchmark::State& state, const QString& level) {
    QTreeWidget widget;
    widget.resize(400, 600);
    widget.show();
    quorvane::ui::DriveTree tree(&widget, [&] { return QStringList{level}; });
    tree.fillTree();
    QTreeWidgetItem* drive = widget.topLevelItem(0);
    for (auto _ : state) {
        state.PauseTiming();
        drive->setExpanded(false);  // forgets the level: the next opening reads it again
        QCoreApplication::processEvents();
        state.ResumeTiming();
        drive->setExpanded(true);
        QCoreApplication::processEvents();  // the view lays the new rows out and paints
    }
    state.counters["items"] = drive->childCount();
}

}  // namespace

int main(int argc, char* argv[]) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    // QUORVANE_BENCH_DIR keeps the folders between runs (building them takes minutes on a busy
    // disk); otherwise they live in a fresh temporary folder removed at the end.
    benchRoot = qEnvironmentVariable("QUORVANE_BENCH_DIR");
    const bool keepFolders = !benchRoot.isEmpty();
    if (!keepFolders) {
        QByteArray rootTemplate = QDir::tempPath().toLocal8Bit() + "/quorvane-bench-XXXXXX";
        if (mkdtemp(rootTemplate.data()) == nullptr) {
            return 1;
        }
        benchRoot = QString::fromLocal8Bit(rootTemplate);
    }
    const QString flat = buildLevel(QStringLiteral("flat"), false);
    const QString nested = buildLevel(QStringLiteral("nested"), true);

    benchmark::RegisterBenchmark("OpenLevel/20000_without_subdirectories",
                                 [&](benchmark::State& state) { openLevel(state, flat); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenLevel/20000_each_with_a_subdirectory",
                                 [&](benchmark::State& state) { openLevel(state, nested); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (!keepFolders) {
        QDir(benchRoot).removeRecursively();
    }
    return 0;
}
