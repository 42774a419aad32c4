#include "Threads.h"

#include "BatchList.h"
#include "BatchListModel.h"
#include "BatchRun.h"
#include "ControlSequences.h"
#include "ScanProgress.h"
#include "codec/FileIO.h"
#include "codec/FolderSearch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <mutex>

namespace quillon {

BatchWorker::BatchWorker(BatchControls& controls, QObject& context)
    : controls_(controls), context_(context) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void BatchWorker::launch() {
    QPointer<BatchWorker> self(this);
    QEventLoop loop;
    openingLoop_ = &loop;
    connect(this, &QThread::finished, &loop, &QEventLoop::quit);
    start();
    // The opening steps run inside this loop, so no click can slip in before them.
    if (!openingDone_) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (self) {
        openingLoop_ = nullptr;
    }
}

void BatchWorker::stopAndWait() {
    QPointer<BatchWorker> self(this);
    QObject* context = &context_;
    requestInterruption();
    {
        // A worker waiting in a call to the UI thread only ends if that call is carried
        // out, so events are handled while waiting; user input stays queued.
        QEventLoop loop;
        connect(this, &QThread::finished, &loop, &QEventLoop::quit);
        if (!isFinished()) {
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }
    if (self) {
        self->wait();
    }
    // The steps the worker posted last (its end sequence) are carried out now, while
    // the window still stands.
    QCoreApplication::sendPostedEvents(context, QEvent::MetaCall);
}

void BatchWorker::post(std::function<void(BatchControls&)> step) {
    BatchControls* controls = &controls_;
    QMetaObject::invokeMethod(
        &context_, [controls, step = std::move(step)]() { step(*controls); }, Qt::QueuedConnection);
}

void BatchWorker::call(const std::function<void(BatchControls&)>& step) {
    BatchControls* controls = &controls_;
    QMetaObject::invokeMethod(
        &context_, [controls, &step]() { step(*controls); }, Qt::BlockingQueuedConnection);
}

void BatchWorker::callOpening(const std::function<void(BatchControls&)>& step) {
    call([this, &step](BatchControls& controls) {
        step(controls);
        openingDone_ = true;
        if (openingLoop_) {
            openingLoop_->quit();
        }
    });
}

void BatchWorker::postDone() {
    QPointer<BatchWorker> self(this);
    post([self](BatchControls&) {
        if (self) {
            emit self->done();
        }
    });
}

namespace {

// The bar position and the folder shown while a scan walks. Only the latest values
// matter to the eye, so one update at a time waits on the UI thread and takes whatever
// is newest when it runs; anything posted later still runs after it.
struct ScanDisplay {
    std::mutex mutex;
    bool scheduled = false;
    int position = 0;
    std::string folder;
};

class ScanWalk : public ScanObserver {
public:
    ScanWalk(QThread& thread, int barPosition,
             std::function<void(std::function<void(BatchControls&)>)> post)
        : thread_(thread), progress_(barPosition), post_(std::move(post)),
          display_(std::make_shared<ScanDisplay>()) {}

    void enterFolder(const std::string& folder) override {
        ++ScanCounter;
        const int position = progress_.step(ScanCounter, ScanCounter);
        std::lock_guard lock(display_->mutex);
        display_->position = position;
        display_->folder = folder;
        if (display_->scheduled) {
            return;
        }
        display_->scheduled = true;
        post_([display = display_](BatchControls& c) {
            int position = 0;
            std::string folder;
            {
                std::lock_guard lock(display->mutex);
                display->scheduled = false;
                position = display->position;
                folder = display->folder;
            }
            c.setProgressPosition(position);
            c.setWaitText(PathText(folder));
        });
    }
    void listingRead() override { ++ScanCounter; }
    bool stopRequested() override { return thread_.isInterruptionRequested(); }

private:
    QThread& thread_;
    ScanProgress progress_;
    std::function<void(std::function<void(BatchControls&)>)> post_;
    std::shared_ptr<ScanDisplay> display_;
};

} // namespace

void TSearchThread::run() {
    std::string root;
    int barPosition = 0;
    callOpening([&](BatchControls& c) {
        ApplySteps(c, BatchMoment::ScanLock);
        c.grid().removeAllRows();
        ApplySteps(c, BatchMoment::ScanLockRest);
        root = c.selectedFolder();
        barPosition = c.progressPosition();
    });
    bool walked = false;
    try {
        BatchFiles.clear();
        ScanWalk walk(*this, barPosition,
                      [this](std::function<void(BatchControls&)> step) { post(std::move(step)); });
        SearchSwfFiles(root, BatchFiles, &walk);
        walked = true;
    } catch (...) {
        // Out of memory or worse: nothing is listed, and the end sequence still runs.
    }
    post([](BatchControls& c) { ApplySteps(c, BatchMoment::ScanHide); });
    if (walked && !isInterruptionRequested()) {
        listRows();
    } else if (!walked) {
        BatchFiles.clear();
    }
    BatchFileCount = static_cast<int>(BatchFiles.size());
    post([](BatchControls& c) {
        if (c.grid().rowCount() > 0) {
            ApplySteps(c, BatchMoment::ScanFoundRows);
        }
        ApplySteps(c, BatchMoment::ScanUnlock);
    });
    postDone();
}

void TSearchThread::listRows() {
    try {
        // Sizes are read here so the UI thread only takes them in.
        auto paths = std::make_shared<std::vector<std::string>>(BatchFiles);
        auto sizes = std::make_shared<std::vector<BatchSizes>>();
        sizes->reserve(BatchFiles.size());
        for (const std::string& path : BatchFiles) {
            const std::int64_t size = FileSizeOrMinusOne(path);
            sizes->push_back(size < 0 ? BatchSizes{} : BatchSizes{size, 0});
        }
        post([paths](BatchControls& c) { c.grid().appendPaths(*paths); });
        post([sizes](BatchControls& c) { c.grid().writeSizes(*sizes); });
    } catch (...) {
        BatchFiles.clear(); // the list keeps only what the grid shows
    }
}

struct TBatchRunThread::GridRow {
    bool marked;
    std::string input;
    std::string output;
};

TBatchRunThread::TBatchRunThread(BatchControls& controls, QObject& context, BatchKind kind,
                                 BatchRunSetup setup)
    : BatchWorker(controls, context), kind_(kind), setup_(std::move(setup)) {}

void TBatchRunThread::run() {
    std::vector<GridRow> rows;
    callOpening([&](BatchControls& c) {
        ApplySteps(c, BatchMoment::RunLock);
        // The rows cannot change while the run works: every command that adds, removes
        // or marks rows is disabled above.
        const BatchListModel& grid = c.grid();
        rows.reserve(static_cast<std::size_t>(grid.rowCount()));
        for (int r = 0; r < grid.rowCount(); ++r) {
            rows.push_back({grid.marked(r), grid.row(r).filePath, grid.row(r).endFilePath});
        }
    });
    // A failure outside any row (no room for the run's own lists) ends the rows there;
    // every row failure is already the row's "Error". The end sequence always runs.
    try {
        runRows(rows);
    } catch (...) {
    }
    try {
        postSizes(rows);
    } catch (...) {
    }
    post([](BatchControls& c) { ApplySteps(c, BatchMoment::RunEnd); });
    postDone();
}

void TBatchRunThread::runRows(std::vector<GridRow>& rows) {
    std::vector<BatchRowJob> jobs;
    std::vector<int> gridRowOf;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].marked) {
            jobs.push_back({rows[r].input,
                            BatchOutputPath(setup_.outputFolder, setup_.prefix, rows[r].input)});
            gridRowOf.push_back(static_cast<int>(r));
        }
    }
    BatchRunHooks hooks;
    hooks.stopRequested = [this] { return isInterruptionRequested(); };
    hooks.rowStarted = [this, &jobs](std::size_t i) {
        post([input = PathText(jobs[i].input)](BatchControls& c) { c.setWaitText(input); });
    };
    const RowTransform transform{kind_, setup_.method, DefaultZlibLevel};
    RunBatch(jobs, transform, setup_.jobs, hooks, [&](std::size_t i, const BatchRowResult& result) {
        if (result.status.empty()) {
            return; // not run: the run was stopped
        }
        const int gridRow = gridRowOf[i];
        if (result.outputWritten) {
            rows[static_cast<std::size_t>(gridRow)].output = jobs[i].target;
        }
        post([gridRow, result, target = jobs[i].target](BatchControls& c) {
            c.grid().setCellText(NxStatus, gridRow, QString::fromStdString(result.status));
            c.grid().setStatusTip(gridRow, QString::fromStdString(result.error));
            if (result.outputWritten) {
                c.grid().setPathCell(NxEndFileName, gridRow, target);
            }
        });
    });
}

void TBatchRunThread::postSizes(const std::vector<GridRow>& rows) {
    auto sizes = std::make_shared<std::vector<BatchSizes>>(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!rows[r].output.empty()) {
            (*sizes)[r].endFileSize = FileSizeOrMinusOne(rows[r].output);
        }
    }
    post([sizes](BatchControls& c) { c.grid().writeSizes(*sizes); });
}

} // namespace quillon
