// The main window's start-up and close handlers.

#include "FolderFrame.h"
#include "Lang.h"
#include "MainWindow.h"
#include "Modal.h"
#include "PlayerPanel.h"
#include "ProgramSettings.h"
#include "Shared.h"
#include "settings/ConfigFile.h"

#include <QCloseEvent>
#include <QShowEvent>

namespace quillon::ui {

namespace {

// The saved geometry is the window's frame position and its size; for a maximised
// window these are its maximised bounds, restored before it is maximised again.
void ApplyWindowState(QWidget* window, const WindowState& state) {
    window->move(state.left, state.top);
    window->resize(state.width, state.height);
    window->setWindowState(state.maximised ? window->windowState() | Qt::WindowMaximized
                                           : window->windowState() & ~Qt::WindowMaximized);
}

WindowState CurrentWindowState(const QWidget* window) {
    return WindowState{window->y(), window->x(), window->width(), window->height(),
                       window->isMaximized()};
}

} // namespace

void TFMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFMain::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

// Runs once, at the first showing, before the window is drawn. An error escaping it is
// reported and the window is shown all the same.
void TFMain::FormShow() {
    RunGuarded(this, [this] { CreateFlashPlayer(); });
    RunGuarded(this, [this] {
        folders_->fillDriveList();
        const IniFile config(ProgramConfigPath());
        LoadLanguage(config, Settings);
        ApplyLanguage();
        LoadRest(
            config, Settings, [this](const WindowState& state) { ApplyWindowState(this, state); },
            [this](bool single) { single ? AModeSingleExecute() : AModeBatchExecute(); });
        player_->setSoundEnabled(SoundEnabled);
    });
}

// Runs however the window is closed: by AClose, the close box or the system. A run
// whose start-up could not create the player ends without touching config.ini.
void TFMain::FormClose() {
    player_->stop();
    if (terminationRequested_) {
        return;
    }
    // A failed save is reported; the window closes all the same, as the user asked.
    RunGuarded(this, [this] {
        IniFile config(ProgramConfigPath());
        SaveSettings(config, Settings, CurrentWindowState(this));
    });
}

void TFMain::CreateFlashPlayer() {
    if (!player_->createPlayer()) {
        Modal().plainMessage(this, QStringLiteral("PLEASE, INSTALL FLASH ACTIVEX!!!"));
        terminationRequested_ = true;
    }
}

} // namespace quillon::ui
