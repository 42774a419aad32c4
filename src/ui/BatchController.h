#pragma once
// The batch panel's behaviour: the grid NG and its context menu, the four batch
// commands, the folder scan started by a drop from the tree, the batch runs, and the
// grid's side of the mode switch. The main window hands over its widgets.

#include "batch/BatchControls.h"
#include "batch/BatchListModel.h"
#include "batch/BatchRow.h"
#include "batch/ControlSequences.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

class QAbstractButton;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QTableView;
class QTreeView;
class QWidget;

namespace quillon {
class BatchWorker;
struct BatchRunSetup;
} // namespace quillon

namespace quillon::ui {

class FolderPanel;

struct BatchWidgets {
    QTableView* grid = nullptr; // NG
    QAbstractButton* compress = nullptr;
    QAbstractButton* decompress = nullptr;
    QAbstractButton* select = nullptr;
    QAbstractButton* clear = nullptr;
    QAction* compressAction = nullptr;   // ABatchCompress
    QAction* decompressAction = nullptr; // ABatchDecompress
    QAction* selectAllAction = nullptr;  // ABatchSelAll
    QAction* clearAction = nullptr;      // ABatchClear
    QProgressBar* progressBar = nullptr; // ProgressBar1
    QLabel* wait = nullptr;
    QComboBox* driveBox = nullptr; // mbTBXComboBox1
    QTreeView* tree = nullptr;     // ShellTreeView1
    QObject* modeSingle = nullptr; // buttonModeSingle: an action or a widget
    QObject* modeBatch = nullptr;  // buttonModeBatch
    QMenu* popupMenu = nullptr;    // PopupMenu1, with the items Play1 to Remove1
};

struct BatchCallbacks {
    // Sets SourceFileName to the path (its bytes), then runs OpenSWFFile.
    std::function<void(const std::string&)> openMovie;
    // Runs APlaySource.
    std::function<void()> playSource;
};

class BatchController : public QObject, public BatchControls {
    Q_OBJECT
public:
    BatchController(const BatchWidgets& widgets, BatchCallbacks callbacks,
                    QObject* parent = nullptr);
    ~BatchController() override;

    BatchListModel& grid() override { return model_; }
    FolderPanel& folderPanel() { return *folders_; }
    QMenu* popupMenu() const;

    // The grid's side of AModeSingle and AModeBatch: what the tree lists, whether the
    // grid takes input, and the rows removed.
    void applySingleMode();
    void applyBatchMode();

    // The commands; the actions and the context menu run them guarded.
    void batchCompress();   // ABatchCompress
    void batchDecompress(); // ABatchDecompress
    void selectAll();       // ABatchSelAll
    void clear();           // ABatchClear
    void play();            // Play1
    void compressRow();     // Compress1
    void decompressRow();   // Decompress1
    void removeRow();       // Remove1
    void disableBatchCommandsIfEmpty();

    // The row whose "Input file name" cell is the grid's current and selected cell, or -1.
    int selectedRow() const;
    bool contextMenuOn() const { return contextMenuOn_; }
    // A drag over the grid is taken only from the folder tree.
    bool gridAcceptsDragFrom(const QObject* source) const;
    // A folder dropped on the grid: scans the tree's selected folder.
    void dropFolder();
    bool workerRunning() const;

    // Stops a running scan or run before its next file and waits for its end. Runs by
    // itself when the window closes.
    void shutdown();

    // BatchControls, carried out on the UI thread.
    void setControlEnabled(BatchControl control, bool enabled) override;
    void setWaitText(const QString& text) override;
    int progressPosition() const override;
    void setProgressPosition(int position) override;
    std::string selectedFolder() const override;

signals:
    // A scan or run has carried out its last step.
    void workerFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpGrid();
    void setUpCommands();
    void startWorker(BatchWorker* worker);
    void checkOutputFolder();
    void chooseMovieFromTree(const std::string& bytes);
    void runRowCommand(const RowTransform& transform, const std::string& prefix);
    BatchRunSetup runSetup(const std::string& prefix) const;
    template <class Worker> void startRun(BatchMoment start, const std::string& prefix);
    QWidget* window() const;
    void guarded(const std::function<void()>& handler);

    BatchListModel model_;
    QPointer<QTableView> gridView_;
    QPointer<QWidget> gridViewport_; // the one whose events the controller watches
    QPointer<QAbstractButton> compress_, decompress_, select_, clear_;
    QPointer<QAction> compressAction_, decompressAction_, selectAllAction_, clearAction_;
    QPointer<QProgressBar> bar_;
    QPointer<QLabel> wait_;
    QPointer<QTreeView> tree_;
    QPointer<QObject> modeSingle_, modeBatch_;
    QPointer<QMenu> menu_;
    QPointer<QWidget> window_;
    BatchCallbacks callbacks_;
    FolderPanel* folders_ = nullptr;
    QPointer<BatchWorker> worker_;
    bool contextMenuOn_ = false;
    bool busy_ = false; // a worker has not yet carried out its last step
};

} // namespace quillon::ui
