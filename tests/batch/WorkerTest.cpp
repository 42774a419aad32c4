// The scan and run workers against recorded controls: the order of their steps, what
// they find and what they write.

#include "BatchFixtures.h"
#include "batch/BatchList.h"
#include "batch/BatchListModel.h"
#include "batch/ScanProgress.h"
#include "batch/Threads.h"
#include "codec/FileIO.h"
#include "codec/SwfImage.h"
#include "support/WriteFaults.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <new>

namespace quillon {
namespace {

const char* Name(BatchControl control) {
    switch (control) {
    case BatchControl::ModeBatch:
        return "buttonModeBatch";
    case BatchControl::ModeSingle:
        return "buttonModeSingle";
    case BatchControl::Tree:
        return "tree";
    case BatchControl::Compress:
        return "BatchCompress";
    case BatchControl::Clear:
        return "BatchClear";
    case BatchControl::Select:
        return "BatchSelect";
    case BatchControl::Decompress:
        return "BatchDecompress";
    case BatchControl::ContextMenu:
        return "menu";
    case BatchControl::ProgressBar:
        return "bar";
    case BatchControl::Wait:
        return "wait";
    }
    return "?";
}

// Records every control change in order, and checks each happens on its own thread.
class RecordedControls : public QObject, public BatchControls {
public:
    RecordedControls() {
        QObject::connect(&model, &QAbstractItemModel::modelReset,
                         [this] { log.push_back("rows removed"); });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex&, int first, int last) {
                             log.push_back("rows " + std::to_string(first) + ".." +
                                           std::to_string(last));
                         });
    }
    void setControlEnabled(BatchControl control, bool enabled) override {
        EXPECT_EQ(QThread::currentThread(), thread());
        log.push_back(std::string(enabled ? "on " : "off ") + Name(control));
    }
    void setWaitText(const QString& text) override {
        EXPECT_EQ(QThread::currentThread(), thread());
        waitText = text;
        ++waitUpdates;
    }
    int progressPosition() const override { return bar; }
    void setProgressPosition(int position) override {
        bar = position;
        positions.push_back(position);
    }
    std::string selectedFolder() const override { return PathBytes(folder); }
    BatchListModel& grid() override { return model; }

    // The log without the entries that the walk repeats.
    std::vector<std::string> log;
    std::vector<int> positions;
    QString waitText;
    int waitUpdates = 0;
    int bar = 0;
    QString folder;
    BatchListModel model;
};

void RunToEnd(BatchWorker* worker) {
    QPointer<BatchWorker> guard(worker);
    QEventLoop loop;
    QObject::connect(worker, &BatchWorker::done, &loop, &QEventLoop::quit);
    worker->launch();
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(guard.isNull() || guard->wait(5000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication<QCoreApplication>();
        ASSERT_TRUE(dir.isValid());
        root = dir.path();
    }
    QString make(const QString& relative, std::size_t body = 40) {
        const QString path = root + "/" + relative;
        test::WriteBytes(path, test::PlainMovie(body));
        return path;
    }
    void scan(const QString& folder) {
        controls.folder = folder;
        RunToEnd(new TSearchThread(controls, controls));
    }
    void run(BatchKind kind, const QString& outputFolder, const std::string& prefix,
             CompressionMethod method = CompressionMethod::ZlibLevel) {
        const BatchRunSetup setup{PathBytes(outputFolder), prefix, method, jobs};
        BatchWorker* worker = nullptr;
        if (kind == BatchKind::Compress) {
            worker = new TCompressThread(controls, controls, setup);
        } else {
            worker = new TDecompressThread(controls, controls, setup);
        }
        RunToEnd(worker);
    }
    QString cell(int column, int row) const { return controls.model.cellText(column, row); }

    QTemporaryDir dir;
    QString root;
    RecordedControls controls;
    int jobs = 1;
};

// The runs give the same rows and the same control sequences with one job or two.
class WorkerRunTest : public WorkerTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        WorkerTest::SetUp();
        jobs = GetParam();
    }
};
INSTANTIATE_TEST_SUITE_P(Jobs, WorkerRunTest, ::testing::Values(1, 2));

TEST_F(WorkerTest, ScanStepsComeInOrder) {
    make("a.swf");
    make("sub/b.swf");
    scan(root);
    const std::vector<std::string> expected{"off buttonModeBatch",
                                            "off buttonModeSingle",
                                            "rows removed",
                                            "off tree",
                                            "off BatchCompress",
                                            "off BatchClear",
                                            "off BatchSelect",
                                            "off BatchDecompress",
                                            "off menu",
                                            "off bar",
                                            "off wait",
                                            "rows 0..1",
                                            "on BatchClear",
                                            "on BatchCompress",
                                            "on BatchSelect",
                                            "on BatchDecompress",
                                            "on menu",
                                            "on tree",
                                            "on buttonModeBatch",
                                            "on buttonModeSingle"};
    EXPECT_EQ(controls.log, expected);
    EXPECT_EQ(BatchFileCount, 2);
    EXPECT_GE(controls.waitUpdates, 1);
    ASSERT_EQ(controls.model.rowCount(), 2);
    for (int r = 0; r < 2; ++r) {
        EXPECT_FALSE(controls.model.marked(r));
        EXPECT_EQ(cell(NxStatus, r), "");
        EXPECT_EQ(cell(NxEndFileName, r), "");
        EXPECT_EQ(cell(NxFileSize, r), "48");
        EXPECT_EQ(cell(NxEndFileSize, r), "0");
    }
}

TEST_F(WorkerTest, ScanMatchesExactlySwfInDepthFirstOrder) {
    make("b.swf");
    make("a/z.swf");
    make("a/MOVIE.SWF");
    make("a/movie.Swf");
    make("clips.swf/inner.swf");
    make(".swf");
    make(".hidden/h.swf");
    make("c.swf.txt");
    make("d.swf");
    scan(root);
    QStringList found;
    for (int r = 0; r < controls.model.rowCount(); ++r) {
        found << cell(NxFileName, r);
    }
    EXPECT_EQ(found,
              (QStringList{root + "/.hidden/h.swf", root + "/.swf", root + "/a/z.swf",
                           root + "/b.swf", root + "/clips.swf/inner.swf", root + "/d.swf"}));
    ASSERT_EQ(BatchFiles.size(), 6u);
    EXPECT_EQ(BatchFiles[2], PathBytes(root + "/a/z.swf"));
}

TEST_F(WorkerTest, ScanThatFindsNothingLeavesTheCommandsOff) {
    QDir().mkpath(root + "/empty");
    scan(root + "/empty");
    EXPECT_EQ(controls.model.rowCount(), 0);
    EXPECT_EQ(BatchFileCount, 0);
    for (const std::string& entry : controls.log) {
        EXPECT_NE(entry, "on BatchCompress");
        EXPECT_NE(entry, "on menu");
    }
    EXPECT_EQ(controls.log.back(), "on buttonModeSingle");
}

TEST_F(WorkerTest, SecondScanGoesOnFromTheCounter) {
    make("a.swf");
    ScanCounter = 0;
    scan(root);
    // One folder with ". .. a.swf": entered (1) then three listing reads.
    EXPECT_EQ(ScanCounter, 4);
    EXPECT_EQ(controls.positions, std::vector<int>{0});
    ScanCounter = 299; // the next folder counts 300: 1.5 goes to 2
    controls.positions.clear();
    scan(root);
    EXPECT_EQ(controls.positions, std::vector<int>{2});
    EXPECT_EQ(controls.bar, 2);
    EXPECT_EQ(controls.waitText, root);

    controls.bar = 99;
    ScanCounter = 19849;
    controls.positions.clear();
    scan(root);
    EXPECT_EQ(controls.positions, std::vector<int>{99});
    EXPECT_EQ(ScanCounter, 4); // restarted at 1, then three reads
}

TEST_P(WorkerRunTest, RunStepsComeInOrderAndWriteTheRows) {
    const QString a = make("in/a.swf");
    make("in/b.swf");
    QDir().mkpath(root + "/out");
    scan(root + "/in");
    controls.model.setMarked(0, true);
    controls.log.clear();
    run(BatchKind::Compress, root + "/out", "c_");
    const std::vector<std::string> expected{"off buttonModeBatch",
                                            "off buttonModeSingle",
                                            "off BatchCompress",
                                            "off BatchClear",
                                            "off BatchSelect",
                                            "off BatchDecompress",
                                            "off tree",
                                            "off menu",
                                            "off wait",
                                            "off bar",
                                            "on BatchCompress",
                                            "on BatchClear",
                                            "on BatchSelect",
                                            "on BatchDecompress",
                                            "on tree",
                                            "on buttonModeBatch",
                                            "on buttonModeSingle",
                                            "on menu"};
    EXPECT_EQ(controls.log, expected);
    const QString target = root + "/out/c_a.swf";
    EXPECT_EQ(cell(NxStatus, 0), "Ok");
    EXPECT_EQ(cell(NxEndFileName, 0), target);
    EXPECT_EQ(cell(NxEndFileSize, 0), QString::number(test::SizeOf(target)));
    EXPECT_EQ(test::ReadBytes(target).left(3), "CWS");
    EXPECT_EQ(controls.waitText, a);
    // The unmarked row is left alone.
    EXPECT_EQ(cell(NxStatus, 1), "");
    EXPECT_FALSE(QFileInfo::exists(root + "/out/c_b.swf"));
}

TEST_P(WorkerRunTest, ExistingOutputsAndSharedNamesReadExist) {
    make("x/intro.swf");
    make("y/intro.swf");
    QDir().mkpath(root + "/out");
    scan(root);
    controls.model.setAllMarked(true);
    run(BatchKind::Compress, root + "/out", "");
    EXPECT_EQ(cell(NxStatus, 0), "Ok");
    EXPECT_EQ(cell(NxStatus, 1), "Exist!");
    EXPECT_EQ(cell(NxEndFileName, 1), "");
    EXPECT_EQ(cell(NxEndFileSize, 1), "0");

    // A second run over the same rows: every row now exists, names and sizes stay.
    const QString name = cell(NxEndFileName, 0);
    const QString size = cell(NxEndFileSize, 0);
    run(BatchKind::Compress, root + "/out", "");
    EXPECT_EQ(cell(NxStatus, 0), "Exist!");
    EXPECT_EQ(cell(NxEndFileName, 0), name);
    EXPECT_EQ(cell(NxEndFileSize, 0), size);
}

TEST_P(WorkerRunTest, DecompressingAPlainMovieSkipsWithACopy) {
    const QString input = make("in/plain.swf", 100);
    QDir().mkpath(root + "/out");
    scan(root + "/in");
    controls.model.setAllMarked(true);
    run(BatchKind::Decompress, root + "/out", "d_");
    const QString target = root + "/out/d_plain.swf";
    EXPECT_EQ(cell(NxStatus, 0), "Skip");
    EXPECT_EQ(cell(NxEndFileName, 0), target);
    EXPECT_EQ(test::ReadBytes(target), test::ReadBytes(input));
    EXPECT_EQ(cell(NxEndFileSize, 0), QString::number(test::SizeOf(input)));
}

TEST_P(WorkerRunTest, CompressRunUsesTheMethodItWasStartedWith) {
    const QString input = make("in/movie.swf", 5000);
    QDir().mkpath(root + "/lzma");
    QDir().mkpath(root + "/best");
    scan(root + "/in");
    controls.model.setAllMarked(true);
    run(BatchKind::Compress, root + "/lzma", "", CompressionMethod::Lzma);
    run(BatchKind::Compress, root + "/best", "", CompressionMethod::ZlibSmallest);
    EXPECT_EQ(cell(NxStatus, 0), "Ok");

    const QByteArray source = test::ReadBytes(input);
    const auto bytes = [](const QByteArray& data) {
        return std::vector<std::uint8_t>(data.begin(), data.end());
    };
    const auto plain = bytes(source);
    EXPECT_EQ(bytes(test::ReadBytes(root + "/lzma/movie.swf")),
              CompressSwfImage(plain, CompressionMethod::Lzma));
    EXPECT_EQ(bytes(test::ReadBytes(root + "/best/movie.swf")),
              CompressSwfImage(plain, CompressionMethod::ZlibSmallest));
}

TEST_P(WorkerRunTest, ARowThatFailsReadsErrorAndTheRunGoesOn) {
    make("in/a_short.swf");
    test::WriteBytes(root + "/in/a_short.swf", {'F', 'W', 'S'});
    make("in/b_good.swf");
    QDir().mkpath(root + "/out");
    scan(root + "/in");
    controls.model.setAllMarked(true);
    run(BatchKind::Compress, root + "/out", "");
    EXPECT_EQ(cell(NxStatus, 0), "Error");
    EXPECT_EQ(controls.model.data(controls.model.index(0, NxStatus), Qt::ToolTipRole).toString(),
              "Stream read error");
    EXPECT_EQ(cell(NxEndFileName, 0), "");
    EXPECT_EQ(cell(NxStatus, 1), "Ok");
    EXPECT_EQ(controls.model.data(controls.model.index(1, NxStatus), Qt::ToolTipRole).toString(),
              "");
}

TEST_P(WorkerRunTest, AFullDiskKeepsTheRowsOutput) {
    make("in/a.swf");
    QDir().mkpath(root + "/out");
    scan(root + "/in");
    controls.model.setAllMarked(true);
    controls.model.setCellText(NxEndFileName, 0, root + "/earlier.swf");
    test::WriteBytes(root + "/earlier.swf", {1, 2, 3});
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write ? ENOSPC : 0; });
    run(BatchKind::Compress, root + "/out", "");
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(cell(NxStatus, 0), "Disk full!");
    EXPECT_EQ(cell(NxEndFileName, 0), root + "/earlier.swf");
    // The size pass still refreshes the output the row names.
    EXPECT_EQ(cell(NxEndFileSize, 0), "3");
    EXPECT_FALSE(QFileInfo::exists(root + "/out/a.swf"));
}

TEST_P(WorkerRunTest, RunWithoutMarkedRowsOnlyRefreshesSizes) {
    make("in/a.swf");
    make("in/b.swf");
    scan(root + "/in");
    test::WriteBytes(root + "/old.swf", {1, 2, 3, 4, 5});
    controls.model.setCellText(NxEndFileName, 1, root + "/old.swf");
    run(BatchKind::Decompress, root + "/nowhere", "");
    EXPECT_EQ(cell(NxStatus, 0), "");
    EXPECT_EQ(cell(NxStatus, 1), "");
    EXPECT_EQ(cell(NxEndFileSize, 0), "0");
    EXPECT_EQ(cell(NxEndFileSize, 1), "5");

    // An empty grid: nothing written, the buttons end enabled.
    controls.model.removeAllRows();
    controls.log.clear();
    run(BatchKind::Compress, root + "/out", "");
    EXPECT_EQ(controls.log.back(), "on menu");
    EXPECT_NE(std::find(controls.log.begin(), controls.log.end(), "on BatchCompress"),
              controls.log.end());
}

TEST_P(WorkerRunTest, RunningOutOfMemoryEndsTheRowAndTheRunEndsAsUsual) {
    for (const char* name : {"in/a.swf", "in/b.swf", "in/c.swf"}) {
        make(name, 3000);
    }
    QDir().mkpath(root + "/out");
    scan(root + "/in");
    controls.model.setAllMarked(true);
    controls.log.clear();
    std::atomic<int> creates = 0;
    SetWriteFaultHook([&creates](WriteStep step) -> int {
        if (step == WriteStep::Create && ++creates == 2) {
            throw std::bad_alloc();
        }
        return 0;
    });
    run(BatchKind::Compress, root + "/out", "");
    SetWriteFaultHook(nullptr);
    QStringList statuses;
    for (int r = 0; r < 3; ++r) {
        statuses << cell(NxStatus, r);
    }
    EXPECT_EQ(statuses.count("Error"), 1);
    EXPECT_EQ(statuses.count("Ok"), 2);
    const int failed = static_cast<int>(statuses.indexOf("Error"));
    EXPECT_EQ(controls.model.data(controls.model.index(failed, NxStatus), Qt::ToolTipRole),
              "Out of memory");
    ASSERT_GE(controls.log.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(controls.log.end() - 10, controls.log.end()),
              (std::vector<std::string>{"off wait", "off bar", "on BatchCompress", "on BatchClear",
                                        "on BatchSelect", "on BatchDecompress", "on tree",
                                        "on buttonModeBatch", "on buttonModeSingle", "on menu"}));
}

TEST_F(WorkerTest, StoppedScanStillEndsItsSequence) {
    for (int i = 0; i < 200; ++i) {
        make(QString("f%1/m.swf").arg(i), 8);
    }
    controls.folder = root;
    QPointer<BatchWorker> worker = new TSearchThread(controls, controls);
    worker->launch();
    worker->stopAndWait();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(worker.isNull());
    EXPECT_EQ(controls.log.back(), "on buttonModeSingle");
    EXPECT_LE(controls.model.rowCount(), 200);
}

} // namespace
} // namespace quillon
