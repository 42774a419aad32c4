#include "WindowBatchRun.h"

#include "batch/BatchList.h"
#include "batch/BatchListModel.h"
#include "batch/BatchRow.h"
#include "batch/Threads.h"
#include "ui/FolderModel.h"
#include "ui/ProgramSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTreeView>

namespace quillon::test {

namespace {

void WaitForWorker(ui::BatchController& controller) {
    QEventLoop loop;
    QObject::connect(&controller, &ui::BatchController::workerFinished, &loop, &QEventLoop::quit);
    if (controller.workerRunning()) {
        loop.exec();
    }
    QCoreApplication::processEvents();
}

double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

WindowRunResult RunBatchFromWindow(BatchTestWindow& window, const QString& folder,
                                   const QString& outputFolder, bool compress) {
    ui::BatchController& controller = *window.controller;
    WindowRunResult result;
    QElapsedTimer timer;
    timer.start();
    auto* tree = window.child<QTreeView>("ShellTreeView1");
    tree->setCurrentIndex(static_cast<ui::FolderModel*>(tree->model())->index(folder));
    controller.dropFolder();
    WaitForWorker(controller);
    result.scanSeconds = Seconds(timer);
    result.rows = controller.grid().rowCount();

    // Select All flips one flag that outlives a scan: start it from "none marked".
    BatchAllMarked = false;
    controller.selectAll();
    OutputFolder = PathBytes(outputFolder);
    timer.restart();
    compress ? controller.batchCompress() : controller.batchDecompress();
    WaitForWorker(controller);
    result.runSeconds = Seconds(timer);

    const QStringList statuses{StatusOk, StatusExist, StatusDiskFull, StatusSkip, StatusError};
    for (int row = 0; row < result.rows; ++row) {
        const QString status = controller.grid().cellText(NxStatus, row);
        result.withoutStatus += !statuses.contains(status);
        ++result.count[status];
    }
    return result;
}

} // namespace quillon::test
