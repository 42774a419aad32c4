// The batch window's stress run, offscreen: a tree of N generated movies, a third of
// them damaged, scanned from the folder tree, then compressed and decompressed by the
// real workers. Every row must end with a status; prints the counts, the times and the
// peak memory, and fails when a row has none.
//
//   build/bench/gui_batch_stress [N]      (default 10000)

#include "batch/BatchFixtures.h"
#include "batch/BatchList.h"
#include "batch/WindowBatchRun.h"
#include "support/QuietApplication.h"
#include "support/StressMovies.h"
#include "ui/ProgramSettings.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

long PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

bool Report(const char* kind, int count, const quillon::test::WindowRunResult& result) {
    std::printf("%s: %d movies, %d rows, %d without a status;", kind, count, result.rows,
                result.withoutStatus);
    for (auto it = result.count.begin(); it != result.count.end(); ++it) {
        std::printf(" %s %d;", qPrintable(it.key()), it.value());
    }
    std::printf(" scan %.2f s, run %.2f s, peak %ld MiB\n", result.scanSeconds, result.runSeconds,
                PeakMiB());
    return result.rows == count && result.withoutStatus == 0;
}

} // namespace

int main(int argc, char** argv) {
    quillon::test::QuietOffscreenApplication();
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    const auto tree = quillon::test::MakeStressMovies((dir.path() + "/in").toStdString(), count);
    std::printf("%d movies, %d damaged\n", tree.movies, tree.damaged);
    QDir().mkpath(dir.path() + "/out-c");
    QDir().mkpath(dir.path() + "/out-d");
    quillon::CompressedPrefix = "";
    quillon::DecompressedPrefix = "";

    quillon::test::ScriptedModal modal;
    quillon::test::BatchTestWindow window;
    window.show();
    window.controller->applyBatchMode();
    const bool compressed = Report(
        "compress", count,
        quillon::test::RunBatchFromWindow(window, dir.path() + "/in", dir.path() + "/out-c", true));
    const bool decompressed = Report("decompress", count,
                                     quillon::test::RunBatchFromWindow(
                                         window, dir.path() + "/in", dir.path() + "/out-d", false));
    for (const QString& error : modal.errors) {
        std::printf("error shown: %s\n", qPrintable(error));
    }
    return compressed && decompressed && modal.errors.isEmpty() ? 0 : 1;
}
