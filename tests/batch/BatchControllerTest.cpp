// The batch panel in a stand-in window, offscreen: the state of the commands, the scan
// started by a drop, the runs, the row commands, the folder panel and shutdown.

#include "BatchFixtures.h"
#include "BatchTestWindow.h"
#include "batch/BatchList.h"
#include "batch/Threads.h"
#include "codec/FileIO.h"
#include "codec/SwfImage.h"
#include "support/WriteFaults.h"
#include "ui/FolderModel.h"
#include "ui/FolderPanel.h"
#include "ui/ProgramSettings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillon {
namespace {

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication<QApplication>();
        ASSERT_TRUE(dir.isValid());
        root = dir.path();
        savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(root + "/home"));
        QDir().mkpath(root + "/home");
        QDir().mkpath(root + "/out");
        OutputFolder = PathBytes(root + "/out");
        CompressedPrefix = "c_";
        DecompressedPrefix = "d_";
        BatchAllMarked = false;
        ClearBatchFiles();
        window = std::make_unique<test::BatchTestWindow>();
        window->show();
        c = window->controller;
        c->applyBatchMode();
    }
    void TearDown() override {
        window.reset();
        qputenv("HOME", savedHome);
    }
    QString make(const QString& relative, std::size_t body = 40) {
        const QString path = root + "/" + relative;
        test::WriteBytes(path, test::PlainMovie(body));
        return path;
    }
    // clips/vid\xe9os/f\xeate.swf ("vidéos/fête.swf" in Latin-1) by its bytes; empty when
    // the file system takes no such name.
    std::string makeLatin1Movie() {
        QDir().mkpath(root + "/clips");
        const std::string folder = PathBytes(root) + "/clips/vid\xe9os";
        if (::mkdir(folder.c_str(), 0700) != 0) {
            return {};
        }
        const std::string movie = folder + "/f\xeate.swf";
        const auto plain = test::PlainMovie(40);
        std::ofstream(movie, std::ios::binary)
            .write(reinterpret_cast<const char*>(plain.data()), std::streamsize(plain.size()));
        return movie;
    }
    template <typename T> T* w(const char* name) const { return window->child<T>(name); }
    bool enabled(const char* name) const {
        if (auto* action = window->child<QAction>(name)) {
            return action->isEnabled();
        }
        return w<QWidget>(name)->isEnabled();
    }
    bool batchButtonsEnabled() const {
        const bool all = enabled("BatchCompress") && enabled("BatchDecompress") &&
                         enabled("BatchSelect") && enabled("BatchClear");
        const bool any = enabled("BatchCompress") || enabled("BatchDecompress") ||
                         enabled("BatchSelect") || enabled("BatchClear");
        EXPECT_EQ(all, any) << "the four buttons go together";
        EXPECT_EQ(any, enabled("ABatchCompress"));
        return all;
    }
    void waitForWorker() {
        QEventLoop loop;
        QObject::connect(c, &ui::BatchController::workerFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        if (c->workerRunning()) {
            loop.exec();
        }
        QCoreApplication::processEvents();
    }
    void selectTreePath(const QString& path) {
        auto* tree = w<QTreeView>("ShellTreeView1");
        auto* model = static_cast<ui::FolderModel*>(tree->model());
        tree->setCurrentIndex(model->index(path));
    }
    void scan(const QString& folder) {
        selectTreePath(folder);
        c->dropFolder();
        waitForWorker();
    }
    void selectCell(int row, int column) {
        auto* grid = w<QTableView>("NG");
        grid->setCurrentIndex(grid->model()->index(row, column));
    }
    QString cell(int column, int row) const { return c->grid().cellText(column, row); }
    void trigger(const char* name) {
        QAction* action = window->child<QAction>(name);
        if (!action) {
            action = c->popupMenu()->findChild<QAction*>(QString::fromLatin1(name));
        }
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
        waitForWorker();
    }

    QTemporaryDir dir;
    QString root;
    QByteArray savedHome;
    test::ScriptedModal modal;
    std::unique_ptr<test::BatchTestWindow> window;
    ui::BatchController* c = nullptr;
};

TEST_F(ControllerTest, StartsWithTheCommandsOffAndTheGridLaidOut) {
    EXPECT_FALSE(batchButtonsEnabled());
    EXPECT_FALSE(c->contextMenuOn());
    auto* bar = w<QProgressBar>("ProgressBar1");
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_EQ(w<QLabel>("wait")->text(), "");

    auto* grid = w<QTableView>("NG");
    EXPECT_EQ(grid->model(), &c->grid());
    QHeaderView* header = grid->horizontalHeader();
    EXPECT_EQ(header->sectionSize(NxProceed), 26);
    EXPECT_EQ(header->sectionSize(NxFileName), 362);
    EXPECT_EQ(header->sectionSize(NxEndFileSize), 80);
    EXPECT_EQ(header->height(), 20);
    EXPECT_FALSE(header->sectionsMovable());
    EXPECT_FALSE(header->sectionsClickable());
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

    QMenu* menu = c->popupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "PopupMenu1");
    QStringList captions;
    for (QAction* item : menu->actions()) {
        captions << item->text();
    }
    EXPECT_EQ(captions, (QStringList{"Play", "Compress", "Decompress", "Remove"}));
}

TEST_F(ControllerTest, DragsAreTakenOnlyFromTheTreeIntoAnEnabledGrid) {
    auto* tree = w<QTreeView>("ShellTreeView1");
    EXPECT_TRUE(c->gridAcceptsDragFrom(tree));
    EXPECT_FALSE(c->gridAcceptsDragFrom(w<QComboBox>("mbTBXComboBox1")));
    EXPECT_FALSE(c->gridAcceptsDragFrom(nullptr));

    // A drag from outside the program has no source and is refused.
    QMimeData mime;
    mime.setText(root);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w<QTableView>("NG")->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());

    c->applySingleMode();
    EXPECT_FALSE(w<QTableView>("NG")->isEnabled());
    EXPECT_FALSE(c->gridAcceptsDragFrom(tree));
}

TEST_F(ControllerTest, ScanFillsTheGridAndSwitchesTheCommandsOn) {
    const QString a = make("clips/a.swf", 10);
    make("clips/b.swf", 0);
    // The next command may start as soon as the scan's last step is done.
    bool freeAtEnd = false;
    QObject::connect(c, &ui::BatchController::workerFinished,
                     [this, &freeAtEnd] { freeAtEnd = !c->workerRunning(); });
    scan(root + "/clips");
    EXPECT_TRUE(freeAtEnd);
    ASSERT_EQ(c->grid().rowCount(), 2);
    EXPECT_EQ(cell(NxFileName, 0), a);
    auto* grid = w<QTableView>("NG");
    EXPECT_EQ(grid->model()->index(0, NxFileSize).data().toString(), "18 bytes");
    EXPECT_EQ(grid->model()->index(1, NxEndFileSize).data().toString(), "0 bytes");
    EXPECT_TRUE(batchButtonsEnabled());
    EXPECT_TRUE(c->contextMenuOn());
    EXPECT_TRUE(enabled("ShellTreeView1"));
    EXPECT_TRUE(enabled("buttonModeBatch"));
    EXPECT_TRUE(enabled("buttonModeSingle"));
    EXPECT_FALSE(w<QProgressBar>("ProgressBar1")->isVisible());
    EXPECT_FALSE(w<QLabel>("wait")->isVisible());
    EXPECT_EQ(w<QLabel>("wait")->text(), root + "/clips"); // keeps its last text
    EXPECT_EQ(BatchFileCount, 2);

    // A second scan that finds nothing empties the grid and switches them off.
    QDir().mkpath(root + "/none");
    scan(root + "/none");
    EXPECT_EQ(c->grid().rowCount(), 0);
    EXPECT_FALSE(batchButtonsEnabled());
    EXPECT_FALSE(c->contextMenuOn());
    EXPECT_TRUE(enabled("ShellTreeView1"));
}

TEST_F(ControllerTest, SelectAllFlipsAcrossScansAndClear) {
    make("clips/a.swf");
    make("clips/b.swf");
    scan(root + "/clips");
    w<QPushButton>("BatchSelect")->click(); // runs the command once
    EXPECT_TRUE(c->grid().marked(0) && c->grid().marked(1));
    trigger("ABatchSelAll");
    EXPECT_FALSE(c->grid().marked(0) || c->grid().marked(1));
    trigger("ABatchSelAll");
    EXPECT_TRUE(BatchAllMarked);

    scan(root + "/clips"); // new rows unmarked, the flag stays
    EXPECT_FALSE(c->grid().marked(0));
    EXPECT_TRUE(BatchAllMarked);
    trigger("ABatchSelAll");
    EXPECT_FALSE(c->grid().marked(0));
    trigger("ABatchSelAll");
    EXPECT_TRUE(c->grid().marked(0));

    trigger("ABatchClear");
    EXPECT_EQ(c->grid().rowCount(), 0);
    EXPECT_TRUE(BatchFiles.empty());
    EXPECT_FALSE(batchButtonsEnabled());
    EXPECT_FALSE(c->contextMenuOn());
    c->selectAll(); // on the empty grid the flag flips all the same
    EXPECT_FALSE(BatchAllMarked);
}

TEST_F(ControllerTest, RemoveTakesTheSelectedRowOnly) {
    make("clips/a.swf");
    make("clips/b.swf");
    scan(root + "/clips");
    selectCell(0, NxStatus); // a cell outside the name column selects no row
    EXPECT_EQ(c->selectedRow(), -1);
    trigger("Remove1");
    EXPECT_EQ(c->grid().rowCount(), 2);
    EXPECT_EQ(BatchFiles.size(), 2u);

    selectCell(0, NxFileName);
    trigger("Remove1");
    ASSERT_EQ(c->grid().rowCount(), 1);
    EXPECT_EQ(BatchFileCount, 1);
    EXPECT_EQ(BatchFiles[0], PathBytes(root + "/clips/b.swf"));
    EXPECT_TRUE(batchButtonsEnabled());
    EXPECT_TRUE(c->contextMenuOn());

    selectCell(0, NxFileName);
    trigger("Remove1");
    EXPECT_EQ(c->grid().rowCount(), 0);
    EXPECT_FALSE(batchButtonsEnabled());
    EXPECT_FALSE(c->contextMenuOn());
}

// Ctrl+click on the selected name cell deselects it while it stays the current cell:
// the row is then no longer selected, and no row command touches it.
TEST_F(ControllerTest, RowCommandsSkipADeselectedCurrentCell) {
    const QString a = make("clips/a.swf");
    make("clips/b.swf");
    scan(root + "/clips");
    selectCell(0, NxFileName);
    auto* grid = w<QTableView>("NG");
    const QModelIndex name = grid->model()->index(0, NxFileName);
    const QPoint centre = grid->visualRect(name).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, grid->viewport()->mapToGlobal(centre),
                      Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, grid->viewport()->mapToGlobal(centre),
                        Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    QApplication::sendEvent(grid->viewport(), &press);
    QApplication::sendEvent(grid->viewport(), &release);
    ASSERT_EQ(grid->currentIndex(), name);
    ASSERT_FALSE(grid->selectionModel()->isSelected(name));

    EXPECT_EQ(c->selectedRow(), -1);
    for (const char* command : {"Remove1", "Play1", "Compress1"}) {
        trigger(command);
    }
    EXPECT_EQ(c->grid().rowCount(), 2);
    EXPECT_TRUE(window->opened.isEmpty());
    EXPECT_EQ(cell(NxStatus, 0), QString());
    EXPECT_EQ(cell(NxFileName, 0), a);
}

TEST_F(ControllerTest, ModeSwitchEmptiesTheGridOnly) {
    make("clips/a.swf");
    scan(root + "/clips");
    c->applySingleMode();
    EXPECT_EQ(c->grid().rowCount(), 0);
    EXPECT_EQ(BatchFiles.size(), 1u);
    EXPECT_TRUE(batchButtonsEnabled());
    EXPECT_TRUE(c->folderPanel().listsFiles());
    EXPECT_TRUE(c->folderPanel().model()->filter() & QDir::Files);
    c->applyBatchMode();
    EXPECT_EQ(c->grid().rowCount(), 0);
    EXPECT_FALSE(c->folderPanel().model()->filter() & QDir::Files);
    EXPECT_TRUE(w<QTableView>("NG")->isEnabled());

    // A run over the emptied grid writes nothing and ends with the buttons on.
    trigger("ABatchCompress");
    EXPECT_TRUE(batchButtonsEnabled());
    EXPECT_TRUE(QDir(root + "/out").isEmpty());
}

TEST_F(ControllerTest, MissingOutputFolderFallsBackToHome) {
    const QString input = make("clips/a.swf");
    scan(root + "/clips");
    c->selectAll();
    OutputFolder = PathBytes(root + "/gone");
    trigger("ABatchCompress");
    const QString home = root + "/home";
    ASSERT_EQ(modal.messages.size(), 1);
    EXPECT_EQ(modal.messages[0],
              "Directory " + root + "/gone does not exist.\nNew output directory " + home);
    EXPECT_EQ(OutputFolder, PathBytes(home));
    EXPECT_EQ(cell(NxStatus, 0), "Ok");
    EXPECT_EQ(cell(NxEndFileName, 0), home + "/c_a.swf");

    // An empty folder counts as missing; the decompress run checks it as well.
    OutputFolder.clear();
    trigger("ABatchDecompress");
    ASSERT_EQ(modal.messages.size(), 2);
    EXPECT_EQ(modal.messages[1], "Directory  does not exist.\nNew output directory " + home);
    EXPECT_EQ(cell(NxStatus, 0), "Skip");
    EXPECT_EQ(cell(NxEndFileName, 0), home + "/d_a.swf");
    EXPECT_EQ(test::ReadBytes(home + "/d_a.swf"), test::ReadBytes(input));
}

TEST_F(ControllerTest, ARunKeepsTheSettingsItStartedWith) {
    make("clips/a.swf");
    make("clips/b.swf");
    scan(root + "/clips");
    c->selectAll();
    QDir().mkpath(root + "/other");
    // The Options dialog changes the folder while the run works.
    QObject::connect(&c->grid(), &QAbstractItemModel::dataChanged, [this] {
        OutputFolder = PathBytes(root + "/other");
        CompressedPrefix = "z_";
    });
    trigger("ABatchCompress");
    EXPECT_EQ(cell(NxEndFileName, 0), root + "/out/c_a.swf");
    EXPECT_EQ(cell(NxEndFileName, 1), root + "/out/c_b.swf");
    EXPECT_TRUE(QDir(root + "/other").isEmpty());
    EXPECT_EQ(OutputFolder, PathBytes(root + "/other")); // the next run takes it
}

TEST_F(ControllerTest, RowCompressReplacesAndRowDecompressReportsErrors) {
    const QString input = make("clips/a.swf", 64);
    scan(root + "/clips");
    const QString target = root + "/out/c_a.swf";
    test::WriteBytes(target, {9, 9});
    selectCell(0, NxFileName);
    trigger("Compress1");
    EXPECT_EQ(cell(NxStatus, 0), "Ok");
    EXPECT_EQ(cell(NxEndFileName, 0), target);
    EXPECT_EQ(test::ReadBytes(target).left(3), "CWS"); // replaced, where a run says Exist!
    EXPECT_EQ(cell(NxEndFileSize, 0), QString::number(test::SizeOf(target)));

    // Decompressing a plain movie: "Error", the row's output stays as it was.
    trigger("Decompress1");
    EXPECT_EQ(cell(NxStatus, 0), "Error");
    EXPECT_EQ(cell(NxEndFileName, 0), target);
    EXPECT_TRUE(QFileInfo::exists(root + "/out/d_a.swf"));

    // A compressed movie decompresses back.
    selectCell(0, NxFileName);
    c->grid().setCellText(NxFileName, 0, target);
    trigger("Decompress1");
    EXPECT_EQ(cell(NxStatus, 0), "Ok");
    EXPECT_EQ(cell(NxEndFileName, 0), root + "/out/d_c_a.swf");
    EXPECT_EQ(test::ReadBytes(root + "/out/d_c_a.swf"), test::ReadBytes(input));
    EXPECT_TRUE(modal.errors.isEmpty());
}

TEST_F(ControllerTest, TheChosenCompressionReachesRunsAndTheRowCommand) {
    struct Restore {
        ~Restore() { CompressionChoice = CompressionMethod::ZlibLevel; }
    } restore;
    make("clips/a.swf", 3000);
    scan(root + "/clips");
    c->selectAll();
    CompressionChoice = CompressionMethod::Lzma;
    // The run takes the method it starts with, as it takes the folder.
    QObject::connect(&c->grid(), &QAbstractItemModel::dataChanged,
                     [] { CompressionChoice = CompressionMethod::ZlibLevel; });
    trigger("ABatchCompress");
    EXPECT_EQ(cell(NxStatus, 0), "Ok");
    EXPECT_EQ(test::ReadBytes(root + "/out/c_a.swf").left(3), "ZWS");

    QObject::disconnect(&c->grid(), &QAbstractItemModel::dataChanged, nullptr, nullptr);
    CompressionChoice = CompressionMethod::ZlibSmallest;
    selectCell(0, NxFileName);
    trigger("Compress1");
    const QByteArray written = test::ReadBytes(root + "/out/c_a.swf");
    EXPECT_EQ(written.left(3), "CWS");
    const QByteArray input = test::ReadBytes(root + "/clips/a.swf");
    const std::vector<std::uint8_t> plain(input.begin(), input.end());
    EXPECT_EQ(std::vector<std::uint8_t>(written.begin(), written.end()),
              CompressSwfImage(plain, CompressionMethod::ZlibSmallest));
}

TEST_F(ControllerTest, RowCommandFailuresLeaveTheRowAndShowTheError) {
    make("clips/a.swf");
    make("clips/b.swf");
    scan(root + "/clips");
    QFile::remove(root + "/clips/a.swf");
    selectCell(0, NxFileName);
    trigger("Compress1");
    ASSERT_EQ(modal.errors.size(), 1);
    EXPECT_TRUE(modal.errors[0].startsWith("Cannot open file \"" + root + "/clips/a.swf\""));
    EXPECT_EQ(cell(NxStatus, 0), "");

    // An empty input writes nothing, so the row is not reported "Ok".
    test::WriteBytes(root + "/clips/b.swf", {});
    selectCell(1, NxFileName);
    trigger("Compress1");
    ASSERT_EQ(modal.errors.size(), 2);
    EXPECT_EQ(cell(NxStatus, 1), "");
    EXPECT_FALSE(QFileInfo::exists(root + "/out/c_b.swf"));

    // A full disk: the transform's own notice, then "Disk full!" with the row's output
    // name and size kept.
    make("clips/b.swf");
    c->grid().setCellText(NxEndFileName, 1, "/earlier.swf");
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write ? ENOSPC : 0; });
    trigger("Compress1");
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(cell(NxStatus, 1), "Disk full!");
    EXPECT_EQ(cell(NxEndFileName, 1), "/earlier.swf");
    EXPECT_EQ(cell(NxEndFileSize, 1), "0");

    // No selected row: nothing happens at all.
    selectCell(1, NxEndFileSize);
    trigger("Decompress1");
    trigger("Play1");
    EXPECT_EQ(cell(NxStatus, 1), "Disk full!");
    EXPECT_TRUE(window->opened.isEmpty());
}

TEST_F(ControllerTest, PlayOpensTheRowsMovieAndKeepsTheRows) {
    const QString b = make("clips/b.swf");
    make("clips/a.swf");
    scan(root + "/clips");
    selectCell(1, NxFileName);
    trigger("Play1");
    EXPECT_EQ(window->opened, QStringList{b});
    EXPECT_EQ(window->plays, 1);
    EXPECT_EQ(c->grid().rowCount(), 2);
}

// Names from old archives are Latin-1, not UTF-8: the grid shows them readably and hands
// their very bytes to the run, the row commands and Play.
TEST_F(ControllerTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string movie = makeLatin1Movie();
    if (movie.empty()) {
        GTEST_SKIP() << "this file system takes no such name";
    }
    // A text that lost the name's bytes finds them again on disk.
    EXPECT_EQ(PathBytes(QFile::decodeName(QByteArray::fromStdString(movie))), movie);

    scan(root + "/clips");
    ASSERT_EQ(c->grid().rowCount(), 1);
    EXPECT_EQ(cell(NxFileName, 0), root + QString::fromUtf8("/clips/vidéos/fête.swf"));
    EXPECT_EQ(c->grid().pathCell(NxFileName, 0), movie);

    trigger("ABatchSelAll");
    trigger("ABatchCompress");
    const std::string out = PathBytes(root) + "/out/c_f\xeate.swf";
    EXPECT_EQ(cell(NxStatus, 0), "Ok");
    EXPECT_TRUE(FileExists(out));
    EXPECT_EQ(c->grid().pathCell(NxEndFileName, 0), out);
    EXPECT_EQ(cell(NxEndFileName, 0), root + QString::fromUtf8("/out/c_fête.swf"));

    selectCell(0, NxFileName);
    trigger("Decompress1");
    EXPECT_TRUE(FileExists(PathBytes(root) + "/out/d_f\xeate.swf"));
    trigger("Play1");
    EXPECT_EQ(window->openedPaths, std::vector<std::string>{movie});
}

// The folder tree lists a folder whose own name is Latin-1 under its readable name and
// keeps its bytes: dragging it scans its movies, a double click opens one by its bytes,
// and the drag carries the bytes too.
TEST_F(ControllerTest, TreeKeepsTheBytesOfANameThatIsNotUtf8) {
    const std::string movie = makeLatin1Movie();
    if (movie.empty()) {
        GTEST_SKIP() << "this file system takes no such name";
    }
    const std::string folder = movie.substr(0, movie.rfind('/'));
    auto* tree = w<QTreeView>("ShellTreeView1");
    auto* model = static_cast<ui::FolderModel*>(tree->model());
    const QModelIndex item = model->indexOfBytes(folder);
    ASSERT_TRUE(item.isValid()) << "the tree lists the folder";
    EXPECT_EQ(item.data().toString(), QString::fromUtf8("vidéos"));
    EXPECT_EQ(item, model->index(root + QString::fromUtf8("/clips/vidéos")));
    std::unique_ptr<QMimeData> drag(model->mimeData({item}));
    EXPECT_EQ(drag->data("application/x-quillon-path-bytes").toStdString(), folder + "\n");

    tree->setCurrentIndex(item);
    c->dropFolder();
    waitForWorker();
    ASSERT_EQ(c->grid().rowCount(), 1);
    EXPECT_EQ(c->grid().pathCell(NxFileName, 0), movie);

    c->applySingleMode();
    tree->setCurrentIndex(model->indexOfBytes(movie));
    c->folderPanel().treeDoubleClick();
    EXPECT_EQ(window->openedPaths, std::vector<std::string>{movie});
}

// A folder made after its parent was listed is found all the same.
TEST_F(ControllerTest, TreeFindsAFolderMadeAfterItsParentWasListed) {
    make("late/a.swf");
    auto* model = static_cast<ui::FolderModel*>(w<QTreeView>("ShellTreeView1")->model());
    ASSERT_TRUE(model->index(root + "/late").isValid());
    make("late/new/b.swf");
    const QModelIndex late = model->index(root + "/late/new");
    ASSERT_TRUE(late.isValid());
    EXPECT_EQ(model->filePath(late), root + "/late/new");
    EXPECT_FALSE(model->index(root + "/late/none").isValid());
}

TEST_F(ControllerTest, TreeDoubleClickOpensOnlyMovieFiles) {
    const QString movie = make("clips/movie.swf");
    make("clips/upper.SWF");
    make("clips/folder.swf/inner.swf");
    c->applySingleMode();
    selectTreePath(root + "/clips/upper.SWF");
    c->folderPanel().treeDoubleClick();
    selectTreePath(root + "/clips/folder.swf");
    c->folderPanel().treeDoubleClick();
    EXPECT_TRUE(window->opened.isEmpty());

    BatchFiles = {"/kept.swf"};
    selectTreePath(movie);
    c->folderPanel().treeDoubleClick();
    EXPECT_EQ(window->opened, QStringList{movie});
    ASSERT_EQ(c->grid().rowCount(), 1);
    EXPECT_TRUE(c->grid().marked(0));
    EXPECT_EQ(cell(NxFileName, 0), movie);
    EXPECT_EQ(cell(NxFileSize, 0), "");
    EXPECT_EQ(BatchFiles, std::vector<std::string>{"/kept.swf"});
}

TEST_F(ControllerTest, DriveBoxRootsTheTreeOrReportsTheText) {
    auto* box = w<QComboBox>("mbTBXComboBox1");
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->maxVisibleItems(), 20);
    EXPECT_EQ(box->currentText(), "/");
    EXPECT_EQ(c->folderPanel().rootPath(), "/");

    box->addItem("kept");
    ui::FillDriveList(box);
    EXPECT_EQ(box->itemText(0), "kept");
    EXPECT_EQ(box->itemText(1), "/");

    emit box->textActivated(root + "/nothing");
    ASSERT_EQ(modal.errors.size(), 1);
    EXPECT_EQ(modal.errors[0], "Error setting path: \"" + root + "/nothing\"");
    EXPECT_EQ(c->folderPanel().rootPath(), "/");
    emit box->textActivated("");
    EXPECT_EQ(modal.errors.value(1), "Error setting path: \"\"");

    emit box->textActivated(root);
    EXPECT_EQ(c->folderPanel().rootPath(), root);
    EXPECT_EQ(c->folderPanel().selectedPath(), root);
    EXPECT_EQ(modal.errors.size(), 2);
}

TEST_F(ControllerTest, ClosingDuringAScanStopsAndWaits) {
    for (int i = 0; i < 300; ++i) {
        make(QString("many/f%1/m.swf").arg(i), 8);
    }
    selectTreePath(root + "/many");
    c->dropFolder();
    EXPECT_TRUE(c->workerRunning() || c->grid().rowCount() > 0);
    window->close();
    EXPECT_FALSE(c->workerRunning());
    EXPECT_TRUE(enabled("ShellTreeView1"));
    window.reset(); // nothing touches the widgets afterwards
    QCoreApplication::processEvents();
}

} // namespace
} // namespace quillon
