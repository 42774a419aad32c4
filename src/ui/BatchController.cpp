#include "BatchController.h"

#include "DiskFull.h"
#include "FolderPanel.h"
#include "Modal.h"
#include "ProgramSettings.h"
#include "batch/BatchList.h"
#include "batch/BatchRow.h"
#include "batch/ControlSequences.h"
#include "batch/Threads.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <utility>
#include <vector>

namespace quillon::ui {

namespace {

void SetObjectEnabled(QObject* object, bool enabled) {
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setEnabled(enabled);
    } else if (auto* widget = qobject_cast<QWidget*>(object)) {
        widget->setEnabled(enabled);
    }
}

// The mark column shows its check box in the middle of the cell.
class CentredCheckDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        QStyleOptionViewItem check(cell);
        cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        const QRect box =
            style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &check, widget);
        check.rect =
            QStyle::alignedRect(option.direction, Qt::AlignCenter, box.size(), option.rect);
        check.state = (check.state & ~(QStyle::State_On | QStyle::State_Off)) |
                      (check.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
    }
};

} // namespace

BatchController::BatchController(const BatchWidgets& widgets, BatchCallbacks callbacks,
                                 QObject* parent)
    : QObject(parent), gridView_(widgets.grid), compress_(widgets.compress),
      decompress_(widgets.decompress), select_(widgets.select), clear_(widgets.clear),
      compressAction_(widgets.compressAction), decompressAction_(widgets.decompressAction),
      selectAllAction_(widgets.selectAllAction), clearAction_(widgets.clearAction),
      bar_(widgets.progressBar), wait_(widgets.wait), tree_(widgets.tree),
      modeSingle_(widgets.modeSingle), modeBatch_(widgets.modeBatch), menu_(widgets.popupMenu),
      window_(widgets.grid->window()), callbacks_(std::move(callbacks)) {
    folders_ = new FolderPanel(widgets.driveBox, widgets.tree, this);
    connect(folders_, &FolderPanel::movieChosen, this, [this](const std::string& path) {
        guarded([this, path] { chooseMovieFromTree(path); });
    });
    setUpGrid();
    setUpCommands();

    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->hide();
    wait_->clear();
    wait_->hide();
    ApplySteps(*this, BatchMoment::Idle);
    window_->installEventFilter(this);
}

BatchController::~BatchController() {
    shutdown();
}

void BatchController::setUpGrid() {
    QTableView* grid = gridView_;
    grid->setModel(&model_);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    grid->setSortingEnabled(false);
    grid->verticalHeader()->hide();
    // Fixed row heights keep a grid of 100,000 rows quick to fill and to scroll.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);

    QHeaderView* header = grid->horizontalHeader();
    header->setFixedHeight(20);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    // A descending mark on the names, though rows keep the order they were added in.
    header->setSortIndicatorShown(true);
    header->setSortIndicator(NxFileName, Qt::DescendingOrder);
    header->setStretchLastSection(false);
    for (int column = 0; column < BatchColumnCount; ++column) {
        header->resizeSection(column, BatchListModel::defaultColumnWidth(column));
    }
    header->setSectionResizeMode(NxProceed, QHeaderView::Fixed);
    grid->setItemDelegateForColumn(NxProceed, new CentredCheckDelegate(grid));

    grid->setAcceptDrops(true);
    grid->viewport()->setAcceptDrops(true);
    grid->viewport()->installEventFilter(this);
    gridViewport_ = grid->viewport();

    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (contextMenuOn_ && menu_ && gridView_) {
            menu_->popup(gridView_->viewport()->mapToGlobal(pos));
        }
    });
}

void BatchController::guarded(const std::function<void()>& handler) {
    RunGuarded(window(), handler);
}

QWidget* BatchController::window() const {
    return window_;
}

QMenu* BatchController::popupMenu() const {
    return menu_;
}

void BatchController::setUpCommands() {
    const auto bind = [this](QAction* action, QAbstractButton* button,
                             void (BatchController::*f)()) {
        // A button with a command already runs it (the window links the two).
        if (action) {
            connect(action, &QAction::triggered, this,
                    [this, f] { guarded([this, f] { (this->*f)(); }); });
        } else if (button) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, f] { guarded([this, f] { (this->*f)(); }); });
        }
    };
    bind(compressAction_, compress_, &BatchController::batchCompress);
    bind(decompressAction_, decompress_, &BatchController::batchDecompress);
    bind(selectAllAction_, select_, &BatchController::selectAll);
    bind(clearAction_, clear_, &BatchController::clear);

    const auto item = [this](const char* name) {
        return menu_->findChild<QAction*>(QString::fromLatin1(name));
    };
    bind(item("Play1"), nullptr, &BatchController::play);
    bind(item("Compress1"), nullptr, &BatchController::compressRow);
    bind(item("Decompress1"), nullptr, &BatchController::decompressRow);
    bind(item("Remove1"), nullptr, &BatchController::removeRow);
}

bool BatchController::eventFilter(QObject* watched, QEvent* event) {
    // The viewport is compared as a plain object: while the grid is being destroyed it
    // still sends events, but is no longer a table view.
    if (gridViewport_ && watched == gridViewport_) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (gridAcceptsDragFrom(drag->source())) {
                // A copy: the tree must never take a dropped folder as moved away.
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (gridAcceptsDragFrom(drop->source())) {
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
                guarded([this] { dropFolder(); });
            } else {
                drop->ignore();
            }
            return true;
        }
        default:
            break;
        }
    } else if (watched == window_ && event->type() == QEvent::Close) {
        shutdown();
    }
    return QObject::eventFilter(watched, event);
}

bool BatchController::gridAcceptsDragFrom(const QObject* source) const {
    return source && source == tree_ && gridView_ && gridView_->isEnabled() && !workerRunning();
}

bool BatchController::workerRunning() const {
    return busy_;
}

void BatchController::startWorker(BatchWorker* worker) {
    worker_ = worker;
    busy_ = true;
    // Done once its last step is carried out, although its thread may still be winding
    // down: the next command may start at once.
    connect(worker, &BatchWorker::done, this, [this] {
        busy_ = false;
        emit workerFinished();
    });
    worker->launch();
}

void BatchController::shutdown() {
    if (worker_) {
        worker_->stopAndWait();
    }
}

void BatchController::dropFolder() {
    if (workerRunning()) {
        return;
    }
    ApplySteps(*this, BatchMoment::ScanStart);
    startWorker(new TSearchThread(*this, *this));
}

void BatchController::checkOutputFolder() {
    const QString folder = PathText(OutputFolder);
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        return;
    }
    // The fallback lasts for this run of the program; only the Options dialog saves.
    const QString home = QDir::homePath();
    Modal().plainMessage(window(), QStringLiteral("Directory ") + folder +
                                       QStringLiteral(" does not exist.\nNew output directory ") +
                                       home);
    OutputFolder = PathBytes(home);
}

// A batch run: Compress and Decompress differ only in their worker, start sequence and
// file-name prefix.
template <class Worker>
void BatchController::startRun(BatchMoment start, const std::string& prefix) {
    if (workerRunning()) {
        return;
    }
    ApplySteps(*this, start);
    checkOutputFolder();
    startWorker(new Worker(*this, *this, runSetup(prefix)));
}

void BatchController::batchCompress() {
    startRun<TCompressThread>(BatchMoment::CompressStart, CompressedPrefix);
}

void BatchController::batchDecompress() {
    startRun<TDecompressThread>(BatchMoment::DecompressStart, DecompressedPrefix);
}

BatchRunSetup BatchController::runSetup(const std::string& prefix) const {
    // BatchJobs comes from config.ini, already held between 1 and the number of cores.
    return {OutputFolder, prefix, CompressionChoice, std::max(1, BatchJobs)};
}

void BatchController::selectAll() {
    model_.setAllMarked(!BatchAllMarked);
    BatchAllMarked = !BatchAllMarked;
}

void BatchController::clear() {
    ClearBatchFiles();
    ApplySteps(*this, BatchMoment::Clear);
    model_.removeAllRows();
}

void BatchController::disableBatchCommandsIfEmpty() {
    if (model_.rowCount() == 0) {
        ApplySteps(*this, BatchMoment::Emptied);
    }
}

int BatchController::selectedRow() const {
    if (!gridView_ || !gridView_->selectionModel()) {
        return -1;
    }
    // The current cell counts only while selected: Ctrl+click deselects it in place.
    const QItemSelectionModel* selection = gridView_->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (!current.isValid() || current.column() != NxFileName || !selection->isSelected(current) ||
        current.row() >= model_.rowCount()) {
        return -1;
    }
    return current.row();
}

void BatchController::play() {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    const std::string input = model_.pathCell(NxFileName, row);
    if (callbacks_.openMovie) {
        callbacks_.openMovie(input);
    }
    if (callbacks_.playSource) {
        callbacks_.playSource();
    }
}

void BatchController::compressRow() {
    runRowCommand({BatchKind::Compress, CompressionChoice, DefaultZlibLevel}, CompressedPrefix);
}

void BatchController::decompressRow() {
    runRowCommand({BatchKind::Decompress}, DecompressedPrefix);
}

// The batch row's transform without its existence test: an existing output is replaced.
void BatchController::runRowCommand(const RowTransform& transform, const std::string& prefix) {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    const std::string input = model_.pathCell(NxFileName, row);
    const std::string target = BatchOutputPath(OutputFolder, prefix, input);
    const RowWrite written = TransformRow(transform, input, target);
    // An empty input writes nothing: reporting "Ok" for it would claim an output that
    // is not there.
    if (written.written == WriteResult::NothingWritten) {
        throw EEmptyFileError(input);
    }
    model_.setStatusTip(row, {});
    // Told as the window tells a full disk, then in the row as a run's row tells it.
    if (written.written == WriteResult::DiskFull) {
        DiskFullNotice(window());
        model_.setCellText(NxStatus, row, QString::fromLatin1(StatusDiskFull));
        return;
    }
    if (written.inflateFailed) {
        model_.setCellText(NxStatus, row, QString::fromLatin1(StatusError));
        return;
    }
    model_.setCellText(NxStatus, row, QString::fromLatin1(StatusOk));
    model_.setPathCell(NxEndFileName, row, target);
    const std::int64_t size = FileSizeOrMinusOne(target);
    if (size < 0) {
        throw QuillonError("File not found");
    }
    model_.setCellNumber(NxEndFileSize, row, size);
}

void BatchController::removeRow() {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    model_.deleteRow(row);
    RemoveBatchFile(row);
    disableBatchCommandsIfEmpty();
}

void BatchController::chooseMovieFromTree(const std::string& bytes) {
    model_.removeAllRows();
    model_.insertEmptyRow(0);
    model_.setMarked(0, true);
    model_.setPathCell(NxFileName, 0, bytes);
    if (callbacks_.openMovie) {
        callbacks_.openMovie(bytes);
    }
}

void BatchController::applySingleMode() {
    folders_->setListsFiles(true);
    if (gridView_) {
        gridView_->setEnabled(false);
    }
    model_.removeAllRows();
}

void BatchController::applyBatchMode() {
    folders_->setListsFiles(false);
    if (gridView_) {
        gridView_->setEnabled(true);
    }
    model_.removeAllRows();
}

void BatchController::setControlEnabled(BatchControl control, bool enabled) {
    if (control == BatchControl::ContextMenu) {
        contextMenuOn_ = enabled;
        return;
    }
    // Each control with the window objects it stands for: a button with its menu action.
    const std::pair<BatchControl, std::vector<QObject*>> switched[] = {
        {BatchControl::ModeBatch, {modeBatch_}},
        {BatchControl::ModeSingle, {modeSingle_}},
        {BatchControl::Tree, {tree_}},
        {BatchControl::Compress, {compress_, compressAction_}},
        {BatchControl::Clear, {clear_, clearAction_}},
        {BatchControl::Select, {select_, selectAllAction_}},
        {BatchControl::Decompress, {decompress_, decompressAction_}},
        {BatchControl::ProgressBar, {bar_}},
        {BatchControl::Wait, {wait_}},
    };
    // The progress bar and the wait text are shown and hidden rather than enabled.
    const bool shown = control == BatchControl::ProgressBar || control == BatchControl::Wait;
    for (const auto& [which, objects] : switched) {
        if (which != control) {
            continue;
        }
        for (QObject* object : objects) {
            auto* widget = qobject_cast<QWidget*>(object);
            if (shown && widget) {
                widget->setVisible(enabled);
            } else if (object) {
                SetObjectEnabled(object, enabled);
            }
        }
    }
}

void BatchController::setWaitText(const QString& text) {
    if (wait_) {
        wait_->setText(text);
    }
}

int BatchController::progressPosition() const {
    return bar_ ? bar_->value() : 0;
}

void BatchController::setProgressPosition(int position) {
    if (!bar_) {
        return;
    }
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
    if (bar_->isVisible()) {
        bar_->repaint();
    }
}

std::string BatchController::selectedFolder() const {
    return folders_->selectedPathBytes();
}

} // namespace quillon::ui
