#include "BatchPanel.h"

#include "BatchController.h"
#include "CommandTable.h"
#include "FolderFrame.h"
#include "Layout.h"
#include "PanelParts.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

namespace quillon::ui {

BatchPanel::BatchPanel(QWidget* window, const CommandSet& commands, const FolderFrame& folders,
                       QObject* modeSingle, QObject* modeBatch, BatchCallbacks callbacks)
    : QDockWidget(QStringLiteral("Batch operations"), window) {
    setObjectName(QStringLiteral("TBXDPBatchOp"));
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setAllowedAreas(Qt::BottomDockWidgetArea);
    setFixedHeight(layout::BatchPanelHeight);
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("TBXDPBatchOpContent"));
    setWidget(content);

    NG = new QTableView(content);
    NG->setObjectName(QStringLiteral("NG"));
    // The batch controller installs the grid's model, headers and column widths.
    NG->horizontalHeader()->setFixedHeight(20);
    NG->move(0, 2);
    NG->setFixedHeight(89);
    BatchCompress = MakeCommandButton(content, "BatchCompress", commands);
    BatchDecompress = MakeCommandButton(content, "BatchDecompress", commands);
    BatchSelect = MakeCommandButton(content, "BatchSelect", commands);
    BatchClear = MakeCommandButton(content, "BatchClear", commands);
    int y = 2;
    for (QPushButton* button : {BatchCompress, BatchDecompress, BatchSelect, BatchClear}) {
        button->setGeometry(0, y, 105, 21);
        y += 23;
    }
    buildStatusStrip(content);

    BatchWidgets widgets;
    widgets.grid = NG;
    widgets.compress = BatchCompress;
    widgets.decompress = BatchDecompress;
    widgets.select = BatchSelect;
    widgets.clear = BatchClear;
    widgets.compressAction = commands["ABatchCompress"];
    widgets.decompressAction = commands["ABatchDecompress"];
    widgets.selectAllAction = commands["ABatchSelAll"];
    widgets.clearAction = commands["ABatchClear"];
    widgets.popupMenu = MakePopupMenu(NG, "PopupMenu1", commands);
    widgets.progressBar = ProgressBar1;
    widgets.wait = wait;
    folders.lend(widgets);
    widgets.modeSingle = modeSingle;
    widgets.modeBatch = modeBatch;
    controller_ = new BatchController(widgets, std::move(callbacks), this);
}

void BatchPanel::buildStatusStrip(QWidget* content) {
    auto* status = new QStatusBar(content);
    status->setObjectName(QStringLiteral("TBXStatusBar1"));
    status->setSizeGripEnabled(false);
    status->move(0, 93);
    status->setFixedHeight(20);
    ProgressBar1 = new QProgressBar(status);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFixedWidth(200);
    wait = MakeLabel(status, "wait", QString());
    status->addWidget(ProgressBar1);
    status->addWidget(wait, 1);
    ProgressBar1->hide();
    TBXStatusBar1 = status;
}

void BatchPanel::applyWidth(int outerWidth) {
    NG->setFixedWidth(std::max(0, outerWidth - layout::GridMargin));
    for (QPushButton* button : {BatchCompress, BatchDecompress, BatchSelect, BatchClear}) {
        button->move(outerWidth - layout::ButtonsMargin, button->y());
    }
    TBXStatusBar1->setFixedWidth(std::max(0, outerWidth - 8));
}

} // namespace quillon::ui
