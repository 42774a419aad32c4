#pragma once
// The batch panel: the grid NG, its four buttons and the status strip with the progress
// bar, docked under the band. Its controller runs the scans, the runs and the grid's
// context menu.

#include <QDockWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace quillon::ui {

class BatchController;
class CommandSet;
class FolderFrame;
struct BatchCallbacks;

class BatchPanel : public QDockWidget {
    Q_OBJECT
public:
    // The mode items are the main toolbar's, which a run switches off and on.
    BatchPanel(QWidget* window, const CommandSet& commands, const FolderFrame& folders,
               QObject* modeSingle, QObject* modeBatch, BatchCallbacks callbacks);

    BatchController& controller() const { return *controller_; }
    // The grid and the buttons follow the window's outer width.
    void applyWidth(int outerWidth);

private:
    void buildStatusStrip(QWidget* content);

    // Named as their objects are.
    QTableView* NG;
    QPushButton *BatchCompress, *BatchDecompress, *BatchSelect, *BatchClear;
    QWidget* TBXStatusBar1;
    QProgressBar* ProgressBar1;
    QLabel* wait;
    BatchController* controller_ = nullptr;
};

} // namespace quillon::ui
