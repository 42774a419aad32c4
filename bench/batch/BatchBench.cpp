// Batch mode's speed figures, offscreen:
//  - the scan of a generated tree from the window (drop to the last step, grid filled)
//    against the command-line tool's scan (the folder search plus a size per movie, as
//    `quillon-cli batch` does before it works) and against find(1); at most 1.5x;
//  - 100,000 rows into the grid and onto the screen; at most one second;
//  - a compress run from the window against `quillon-cli batch --jobs 1` over the same
//    movies; at most 1.1x.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_batch [FILES] [MOVIES] [CLI]
//   (defaults: 100000 files, 200 movies of 200 kB, build/quillon-cli)

#include "batch/BatchFixtures.h" // the tests' movies and stand-in window
#include "batch/BatchList.h"
#include "batch/BatchRow.h"
#include "batch/BatchTestWindow.h"
#include "batch/Threads.h"
#include "codec/FileIO.h"
#include "codec/FolderSearch.h"
#include "support/QuietApplication.h"
#include "ui/FolderModel.h"
#include "ui/ProgramSettings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

template <typename F> double MedianSeconds(int runs, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double SecondsOf(const std::string& command) {
    return MedianSeconds(3, [&] { (void)std::system(command.c_str()); });
}

void WaitForWorker(quillon::ui::BatchController* controller) {
    QEventLoop loop;
    QObject::connect(controller, &quillon::ui::BatchController::workerFinished, &loop,
                     &QEventLoop::quit);
    if (controller->workerRunning()) {
        loop.exec();
    }
}

} // namespace

int main(int argc, char** argv) {
    quillon::test::QuietOffscreenApplication();
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int movies = argc > 2 ? std::atoi(argv[2]) : 200;
    const std::string cli = argc > 3 ? argv[3] : "build/quillon-cli";
    const std::string root = std::filesystem::temp_directory_path() / "quillon-batch-bench";
    std::filesystem::remove_all(root);

    // 100 folders of 10 subfolders each; every file a (tiny) movie, so the grid gets
    // one row per file.
    for (int i = 0; i < files; ++i) {
        const std::string folder =
            root + "/tree/d" + std::to_string(i % 100) + "/s" + std::to_string(i % 1000 / 100);
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/f" + std::to_string(i) + ".swf") << "FWS";
    }
    const std::string tree = root + "/tree";

    quillon::test::BatchTestWindow window;
    window.show();
    auto* controller = window.controller;
    controller->applyBatchMode();
    auto* treeView = window.child<QTreeView>("ShellTreeView1");
    auto* treeModel = static_cast<quillon::ui::FolderModel*>(treeView->model());

    const auto scanFromWindow = [&](const std::string& folder) {
        treeView->setCurrentIndex(treeModel->index(QString::fromStdString(folder)));
        controller->dropFolder();
        WaitForWorker(controller);
    };
    const double windowScan = MedianSeconds(3, [&] {
        scanFromWindow(tree);
        window.child<QTableView>("NG")->viewport()->repaint();
    });
    const int rows = controller->grid().rowCount();
    const double cliScan = MedianSeconds(3, [&] {
        std::vector<std::string> found;
        quillon::SearchSwfFiles(tree, found);
        std::int64_t total = 0;
        for (const std::string& path : found) {
            total += quillon::FileSizeOrMinusOne(path) +
                     static_cast<std::int64_t>(quillon::BatchOutputPath("/o", "", path).size());
        }
        (void)total;
    });
    const double find = SecondsOf("find " + tree + " -name '*.swf' > /dev/null");
    std::printf("scan of %d files, %d rows: window %.3f s, tool's scan %.3f s (ratio %.2f), "
                "find %.3f s\n",
                files, rows, windowScan, cliScan, windowScan / cliScan, find);

    // The grid alone: the rows taken in and painted.
    QStringList names;
    std::vector<quillon::BatchSizes> sizes;
    for (const std::string& path : quillon::BatchFiles) {
        names.append(quillon::PathText(path));
        sizes.push_back({3, 0});
    }
    const double fill = MedianSeconds(3, [&] {
        controller->grid().removeAllRows();
        controller->grid().appendRows(names);
        controller->grid().writeSizes(sizes);
        window.child<QTableView>("NG")->viewport()->repaint();
        QCoreApplication::processEvents();
    });
    std::printf("grid filled with %lld rows: %.3f s\n", static_cast<long long>(names.size()), fill);

    // A compress run over the movies, from the window and from the tool.
    const std::string in = root + "/in";
    std::filesystem::create_directories(in);
    for (int i = 0; i < movies; ++i) {
        quillon::test::WriteBytes(QString::fromStdString(in + "/m" + std::to_string(i) + ".swf"),
                                  quillon::test::PlainMovie(200000));
    }
    scanFromWindow(in);
    controller->selectAll();
    if (!quillon::BatchAllMarked) {
        controller->selectAll();
    }
    const auto freshOutput = [&](const std::string& name) {
        std::filesystem::remove_all(root + "/" + name);
        std::filesystem::create_directories(root + "/" + name);
        return root + "/" + name;
    };
    const double windowRun = MedianSeconds(3, [&] {
        quillon::OutputFolder = freshOutput("out-window");
        controller->batchCompress();
        WaitForWorker(controller);
    });
    const std::string out = root + "/out-cli";
    const double cliRun =
        SecondsOf("rm -rf " + out + " && mkdir " + out + " && " + cli + " batch compress " + in +
                  " --output " + out + " --jobs 1 > /dev/null");
    std::printf("compress run of %d movies: window %.3f s, quillon-cli --jobs 1 %.3f s "
                "(ratio %.2f)\n",
                movies, windowRun, cliRun, windowRun / cliRun);
    std::filesystem::remove_all(root);
    return 0;
}
