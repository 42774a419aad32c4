#pragma once
// The main window: a frame for the menu bar, the main toolbar, the band of folder,
// player and information panels, and the batch panel. It runs the program's commands,
// handing the work to the panels.

#include "DialogPlace.h"
#include "codec/Transforms.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenuBar;
class QToolBar;

namespace quillon {
struct MovieInspection;
}

namespace quillon::ui {

class BatchController;
class BatchPanel;
class CommandSet;
class FolderFrame;
class InfoPanel;
class PlayerPanel;

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

    // The batch grid, the batch commands, the folder scan and runs, the folder panel.
    BatchController& Batch() const;

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
    void BuildMenus();
    void BuildMainToolbar();
    void BuildPanels();
    void WireHandlers();
    QAction* Command(const char* name) const;
    QAction* Item(const char* name) const;

    // The first showing's start-up sequence and the close handler.
    void FormShow();
    void FormClose();
    void CreateFlashPlayer();

    // Widths follow the window's outer width, heights the middle band's height.
    void ApplyResizeRule();
    void ApplyHeightRule();

    void ShowMessage(QLabel* label);
    void ShowInspection(const MovieInspection& movie);
    // Compress and Decompress: the target from SaveDialog1, the transform under a wait
    // cursor, then the message for what the transform really did.
    using SaveTransform =
        std::function<WriteResult(const std::string& target, bool& inflateFailed)>;
    void RunSaveCommand(const SaveTransform& transform, QLabel* success);

    std::unique_ptr<CommandSet> commands_;
    QMenuBar* TBXMENU = nullptr;
    QToolBar* TBXMOVIE = nullptr;
    QAction* TBXMOVIEClose = nullptr; // the close button shown while docked
    QWidget* TBXDock3 = nullptr;      // the middle band
    FolderFrame* folders_ = nullptr;
    PlayerPanel* player_ = nullptr;
    InfoPanel* info_ = nullptr;
    BatchPanel* batch_ = nullptr;

    // Each file dialog opens where the user last left it.
    DialogPlace openPlace_{DialogPlace::Keeps::Folder};
    DialogPlace savePlace_{DialogPlace::Keeps::FolderAndName};
    DialogPlace screenshotPlace_{DialogPlace::Keeps::FolderAndName};

    bool shown_ = false;
    bool terminationRequested_ = false;
};

} // namespace quillon::ui
