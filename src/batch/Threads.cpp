#include "Threads.h"

#include "BatchList.h"
#include "BatchListModel.h"
#include "ScanProgress.h"
#include "codec/FileIO.h"
#include "codec/FolderSearch.h"
#include "codec/Transforms.h"

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

// The scan's orders: it disables Compress first and enables Clear first.
void SetBatchButtons(BatchControls& c, bool enabled) {
    if (enabled) {
        c.setControlEnabled(BatchControl::Clear, true);
        c.setControlEnabled(BatchControl::Compress, true);
    } else {
        c.setControlEnabled(BatchControl::Compress, false);
        c.setControlEnabled(BatchControl::Clear, false);
    }
    c.setControlEnabled(BatchControl::Select, enabled);
    c.setControlEnabled(BatchControl::Decompress, enabled);
}

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
        c.setControlEnabled(BatchControl::ModeBatch, false);
        c.setControlEnabled(BatchControl::ModeSingle, false);
        c.grid().removeAllRows();
        c.setControlEnabled(BatchControl::Tree, false);
        SetBatchButtons(c, false);
        c.setControlEnabled(BatchControl::ContextMenu, false);
        root = PathBytes(c.selectedFolder());
        barPosition = c.progressPosition();
    });
    BatchFiles.clear();

    ScanWalk walk(*this, barPosition,
                  [this](std::function<void(BatchControls&)> step) { post(std::move(step)); });
    SearchSwfFiles(root, BatchFiles, &walk);

    post([](BatchControls& c) {
        c.setControlEnabled(BatchControl::ProgressBar, false);
        c.setControlEnabled(BatchControl::Wait, false);
    });
    BatchFileCount = static_cast<int>(BatchFiles.size());

    if (!isInterruptionRequested()) {
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
    }

    post([](BatchControls& c) {
        if (c.grid().rowCount() > 0) {
            SetBatchButtons(c, true);
            c.setControlEnabled(BatchControl::ContextMenu, true);
        }
        c.setControlEnabled(BatchControl::Tree, true);
        c.setControlEnabled(BatchControl::ModeBatch, true);
        c.setControlEnabled(BatchControl::ModeSingle, true);
    });
    postDone();
}

TBatchRunThread::TBatchRunThread(BatchControls& controls, QObject& context, BatchKind kind,
                                 std::string outputFolder, std::string prefix,
                                 CompressionMethod method)
    : BatchWorker(controls, context), kind_(kind), outputFolder_(std::move(outputFolder)),
      prefix_(std::move(prefix)), method_(method) {}

void TBatchRunThread::run() {
    struct Row {
        bool marked;
        std::string input;
        std::string output;
    };
    std::vector<Row> rows;
    callOpening([&](BatchControls& c) {
        c.setControlEnabled(BatchControl::ModeBatch, false);
        c.setControlEnabled(BatchControl::ModeSingle, false);
        SetBatchButtons(c, false);
        c.setControlEnabled(BatchControl::Tree, false);
        c.setControlEnabled(BatchControl::ContextMenu, false);
        // The rows cannot change while the run works: every command that adds, removes
        // or marks rows is disabled above.
        const BatchListModel& grid = c.grid();
        rows.reserve(static_cast<std::size_t>(grid.rowCount()));
        for (int r = 0; r < grid.rowCount(); ++r) {
            rows.push_back({grid.marked(r), grid.row(r).filePath, grid.row(r).endFilePath});
        }
    });
    BatchSilent = true;

    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (isInterruptionRequested()) {
            break;
        }
        Row& row = rows[r];
        if (!row.marked) {
            continue;
        }
        const int gridRow = static_cast<int>(r);
        post([input = PathText(row.input)](BatchControls& c) { c.setWaitText(input); });
        const std::string target = BatchOutputPath(outputFolder_, prefix_, row.input);
        const BatchRowResult result = ProcessBatchRow(kind_, row.input, target, method_);
        if (result.outputWritten) {
            row.output = target;
        }
        post([gridRow, result, target](BatchControls& c) {
            c.grid().setCellText(NxStatus, gridRow, QString::fromStdString(result.status));
            c.grid().setStatusTip(gridRow, QString::fromStdString(result.error));
            if (result.outputWritten) {
                c.grid().setPathCell(NxEndFileName, gridRow, target);
            }
        });
    }

    auto sizes = std::make_shared<std::vector<BatchSizes>>(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!rows[r].output.empty()) {
            (*sizes)[r].endFileSize = FileSizeOrMinusOne(rows[r].output);
        }
    }
    post([sizes](BatchControls& c) { c.grid().writeSizes(*sizes); });

    BatchSilent = false;
    post([](BatchControls& c) {
        c.setControlEnabled(BatchControl::Wait, false);
        c.setControlEnabled(BatchControl::ProgressBar, false);
    });
    post([](BatchControls& c) {
        c.setControlEnabled(BatchControl::Compress, true);
        c.setControlEnabled(BatchControl::Clear, true);
        c.setControlEnabled(BatchControl::Select, true);
        c.setControlEnabled(BatchControl::Decompress, true);
        c.setControlEnabled(BatchControl::Tree, true);
        c.setControlEnabled(BatchControl::ModeBatch, true);
        c.setControlEnabled(BatchControl::ModeSingle, true);
        c.setControlEnabled(BatchControl::ContextMenu, true);
    });
    postDone();
}

} // namespace quillon
