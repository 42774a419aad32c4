#pragma once
// The main window: menu bar, main toolbar, the band of folder, player and information
// panels, and the batch panel. It carries every command of the program.

#include "codec/Transforms.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <string>

class QAction;
class QComboBox;
class QDockWidget;
class QDoubleSpinBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QSlider;
class QTableView;
class QTimer;
class QToolBar;
class QTreeView;
class QFileSystemModel;

namespace quillon::player {
class TSF;
}

namespace quillon::ui {

class BatchController;
class TFMessages;

class TFMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    // Opens and inspects SourceFileName: starts playback and fills the information
    // panel. The caller sets SourceFileName first.
    void OpenSWFFile();

    // True when the start-up sequence could not create the player: the program ends
    // as soon as the start-up sequence is over.
    bool TerminationRequested() const { return terminationRequested_; }

    // Command handlers, each run inside the standard error box guard by its action.
    void AOpenExecute();
    void ACompressExecute();
    void ADecompressExecute();
    void AEstimateExecute();
    void APlaySourceExecute();
    void AStopExecute();
    void AZoomInExecute();
    void AZoomOutExecute();
    void AExpandExecute();
    void AFitExecute();
    void AScreenShotExecute();
    void AAboutExecute();
    void AHelpExecute();
    void ACloseExecute();
    void AEnglishExecute();
    void AFrenchExecute();
    void AModeSingleExecute();
    void AModeBatchExecute();
    // The toolbar's Options: the dialog, then optionsClosed (the folder tree follows).
    void OptionsExecute();
    // The File menu's Options: the dialog and nothing else.
    void MOptionsClick();
    void MHomeClick();
    void MSMovieClick();
    void Timer1Timer();
    // Runs the seek: the movie goes to the slider's position.
    void TrackBar1Seek();
    void ZoomSpinChange(double value);
    void ScrollBarScroll();

    // Commands.
    QAction *AOpen, *ACompress, *ADecompress, *AEstimate, *APlaySource, *AStop;
    QAction *AZoomIn, *AZoomOut, *AExpand, *AFit, *AScreenShot, *AAbout, *AHelp, *AClose;
    QAction *AEnglish, *AFrench, *ABatchCompress, *ABatchDecompress, *ABatchSelAll;
    QAction *ABatchClear, *AModeSingle, *AModeBatch;

    // Menu bar and its items.
    QMenuBar* TBXMENU;
    QMenu *MFile, *MLanguage, *MWindow, *MHelp;
    QAction *MOpen, *MOptions, *MLanguageEnglish, *MLanguageFrench, *MClose, *MSMovie;
    QAction *MHome, *MHlp, *MAbout;

    // Main toolbar and its items.
    QToolBar* TBXMOVIE;
    QAction *Open, *buttonModeSingle, *buttonModeBatch, *Options, *LanguageEnglish;
    QAction *LanguageFrench, *About, *Exit;
    QAction* TBXMOVIEClose; // the close button shown while docked

    // Middle band.
    QWidget* TBXDock3;
    QFrame* TBXToolWindow1;
    QComboBox* mbTBXComboBox1;
    QTreeView* ShellTreeView1;
    QFileSystemModel* ShellTreeModel;
    QFrame* TBXToolWindow5;
    QFrame* TBXAlignmentPanel2; // the player area
    QScrollBar *SBHor, *SBVer;
    player::TSF* FlashPlayer = nullptr;
    QFrame* TBXAlignmentPanel1; // the control strip
    QFrame* TBXAlignmentPanel3; // the slider strip
    QSlider* TrackBar1;
    QLabel *Label1, *Label2;
    QToolBar* TBXToolbar1;
    QAction *PlaySource, *Stop, *ZoomIn, *ZoomOut, *Expand, *Fit, *SS, *Comp, *Decomp;
    QLabel* LabelZoom;
    QDoubleSpinBox* SpinZoom;
    QFrame* TBXToolWindow3;
    QLabel *TBXLCompStat, *TBXLFVer, *TBXLFStat, *TBXLFLen, *TBXLFRate;
    QLabel *CStatus, *Ver, *FStatus, *FLen, *FR, *Est;
    QPushButton* Estimate;

    // Batch panel.
    QDockWidget* TBXDPBatchOp;
    QTableView* NG;
    QPushButton *BatchCompress, *BatchDecompress, *BatchSelect, *BatchClear;
    QProgressBar* ProgressBar1;
    QLabel* wait;

    QTimer* Timer1;

    // The batch grid, the batch commands, the folder scan and runs, the folder panel.
    BatchController* Batch = nullptr;

signals:
    // A language command changed LanguageCode; the interface follows it.
    void languageChanged();
    // The Options dialog was closed; the folder tree's root follows the new folder.
    void optionsClosed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildMainToolbar();
    void BuildFolderPanel();
    void BuildPlayerPanel();
    void BuildPlayerToolbar();
    void BuildInfoPanel();
    void BuildBatchPanel();
    void WireBatch();
    void Wire(QAction* command, void (TFMain::*handler)());

    // The first showing's start-up sequence and the close handler.
    void FormShow();
    void FormClose();
    void CreateFlashPlayer();

    // Widths follow the window's outer width, heights the middle band's height.
    void ApplyResizeRule();
    void ApplyHeightRule();

    // Zoom: the shared steps of the view recomputation (3 to 7).
    void RecomputeView();
    void ShowFitted(int scaleMode);
    void ShowMessage(QLabel* label);
    // Compress and Decompress: the target from SaveDialog1, the transform under a wait
    // cursor, then the message for what the transform really did.
    using SaveTransform =
        std::function<WriteResult(const std::string& target, bool& inflateFailed)>;
    void RunSaveCommand(const SaveTransform& transform, QLabel* success);

    bool shown_ = false;
    bool terminationRequested_ = false;
    bool settingBars_ = false; // the zoom moves the scroll bars, not the user
};

} // namespace quillon::ui
