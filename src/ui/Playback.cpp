// Playback and the frame slider.

#include "CommandTable.h"
#include "Forms.h"
#include "MainWindow.h"
#include "Messages.h"
#include "PlayerPanel.h"
#include "Shared.h"
#include "codec/Errors.h"
#include "player/ShockwaveFlash.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace quillon::ui {

void PlayerPanel::play(const std::string& path) {
    FlashPlayer->LoadMovie(0, path);
    TrackBar1->setMaximum(FlashPlayer->TotalFrames());
    TrackBar1->setEnabled(true);
    Label2->setText(QString::number(FlashPlayer->TotalFrames()));
    FlashPlayer->Play();
    Timer1->start();
}

void PlayerPanel::stop() {
    Timer1->stop();
    if (FlashPlayer) {
        FlashPlayer->StopPlay();
    }
}

void PlayerPanel::followFrame() {
    // While the user holds the slider it stays where the hand puts it.
    if (FlashPlayer && !TrackBar1->isSliderDown()) {
        TrackBar1->setValue(FlashPlayer->CurrentFrame());
    }
}

void PlayerPanel::seek() {
    if (!FlashPlayer || !TrackBar1->isEnabled()) {
        return;
    }
    const bool playing = Timer1->isActive();
    FlashPlayer->Stop();
    FlashPlayer->FrameNum(TrackBar1->value());
    // A stopped movie only shows the chosen frame, so the items keep telling the truth.
    if (playing) {
        FlashPlayer->Play();
        Timer1->start();
    }
}

void TFMain::ShowMessage(QLabel* label) {
    FMessages->ShowMessage(label);
}

void TFMain::APlaySourceExecute() {
    if (!player_->hasPlayer()) {
        ShowMessage(FMessages->MesLoad);
        return;
    }
    try {
        player_->play(SourceFileName);
    } catch (const QuillonError& error) {
        // The player could not take the movie: say why, and leave the states alone.
        FMessages->ShowPlayFailure(QString::fromStdString(error.what()));
        return;
    }
    Command("APlaySource")->setEnabled(false);
    Command("AStop")->setEnabled(true);
}

void TFMain::AStopExecute() {
    player_->stop();
    Command("AStop")->setEnabled(false);
    Command("APlaySource")->setEnabled(true);
}

void TFMain::Timer1Timer() {
    player_->followFrame();
}

void TFMain::TrackBar1Seek() {
    player_->seek();
}

} // namespace quillon::ui
