// The main window's start-up and close handlers.

#include "MainWindow.h"
#include "Modal.h"
#include "player/ShockwaveFlash.h"

#include <QCloseEvent>
#include <QFrame>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>

namespace quillon::ui {

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
        // The rest of the start-up goes here, in this order: the drive list, the
        // language code from config.ini, the language, then the window's geometry, the
        // mode and the batch settings from config.ini.
    });
}

// Runs however the window is closed: by AClose, the close box or the system.
void TFMain::FormClose() {
    Timer1->stop();
    // The settings are saved here.
}

void TFMain::CreateFlashPlayer() {
    try {
        player::TSF* created = player::CreatePlayer(this);
        if (!created) {
            throw std::runtime_error("no player");
        }
        FlashPlayer = created;
        FlashPlayer->setObjectName(QStringLiteral("FlashPlayer"));
        FlashPlayer->setParent(TBXAlignmentPanel2);
        const QSize area = TBXAlignmentPanel2->size();
        FlashPlayer->setGeometry(0, 0, std::max(0, area.width() - SBVer->width()),
                                 std::max(0, area.height() - SBHor->height()));
        FlashPlayer->BackgroundColor(0xFFFFFF);
        FlashPlayer->show();
        FlashPlayer->setFocus();
    } catch (const std::exception&) {
        delete FlashPlayer;
        FlashPlayer = nullptr;
        Modal().plainMessage(this, QStringLiteral("PLEASE, INSTALL FLASH ACTIVEX!!!"));
        terminationRequested_ = true;
    }
}

} // namespace quillon::ui
