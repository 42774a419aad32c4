#pragma once
// The worker threads of the folder scan and the two batch runs. A worker does its file
// work on its own thread and has every change to a control or the grid carried out on
// the UI thread, in its steps' order, through queued calls to the context object.

#include "BatchControls.h"
#include "PathText.h"
#include "codec/BatchRow.h"

#include <QObject>
#include <QThread>
#include <functional>
#include <string>

class QEventLoop;

namespace quillon {

class BatchWorker : public QThread {
    Q_OBJECT
public:
    // controls and context live on the UI thread; context outlives the worker's calls.
    BatchWorker(BatchControls& controls, QObject& context);

    // On the UI thread: starts the worker and returns once its opening steps (the
    // controls it disables) have been carried out, handling no user input meanwhile.
    // The worker deletes itself when it ends.
    void launch();

    // On the UI thread: asks the worker to stop before its next file and waits for its
    // end, carrying out its remaining calls (user input is held back meanwhile).
    void stopAndWait();

signals:
    // On the UI thread, after the last of the worker's steps.
    void done();

protected:
    // Carried out on the UI thread after everything asked before; does not wait.
    void post(std::function<void(BatchControls&)> step);
    // Carried out on the UI thread; waits for it.
    void call(const std::function<void(BatchControls&)>& step);
    // The opening steps: carried out before launch() returns.
    void callOpening(const std::function<void(BatchControls&)>& step);
    // The last step, posted after everything else.
    void postDone();

private:
    BatchControls& controls_;
    QObject& context_;
    QEventLoop* openingLoop_ = nullptr; // UI thread only
    bool openingDone_ = false;          // UI thread only
};

// The folder scan: collects every ".swf" below the tree's selected folder into
// BatchFiles, then lists them in the grid with their sizes.
class TSearchThread : public BatchWorker {
    Q_OBJECT
public:
    using BatchWorker::BatchWorker;

protected:
    void run() override;
};

// One run over the grid's marked rows; the output folder, prefix and compression method
// are the copies taken when the run was started.
class TBatchRunThread : public BatchWorker {
    Q_OBJECT
public:
    TBatchRunThread(BatchControls& controls, QObject& context, BatchKind kind,
                    std::string outputFolder, std::string prefix,
                    CompressionMethod method = CompressionMethod::ZlibLevel);

protected:
    void run() override;

private:
    BatchKind kind_;
    std::string outputFolder_;
    std::string prefix_;
    CompressionMethod method_;
};

class TCompressThread : public TBatchRunThread {
    Q_OBJECT
public:
    TCompressThread(BatchControls& controls, QObject& context, std::string outputFolder,
                    std::string prefix, CompressionMethod method = CompressionMethod::ZlibLevel)
        : TBatchRunThread(controls, context, BatchKind::Compress, std::move(outputFolder),
                          std::move(prefix), method) {}
};

class TDecompressThread : public TBatchRunThread {
    Q_OBJECT
public:
    TDecompressThread(BatchControls& controls, QObject& context, std::string outputFolder,
                      std::string prefix)
        : TBatchRunThread(controls, context, BatchKind::Decompress, std::move(outputFolder),
                          std::move(prefix)) {}
};

} // namespace quillon
