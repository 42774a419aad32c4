// Playback and the frame slider.

#include "Forms.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Shared.h"
#include "codec/Errors.h"
#include "player/ShockwaveFlash.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace quillon::ui {

void TFMain::ShowMessage(QLabel* label) {
    FMessages->ShowMessage(label);
}

void TFMain::APlaySourceExecute() {
    if (!FlashPlayer) {
        ShowMessage(FMessages->MesLoad);
        return;
    }
    try {
        FlashPlayer->LoadMovie(0, SourceFileName);
        TrackBar1->setMaximum(FlashPlayer->TotalFrames());
        TrackBar1->setEnabled(true);
        Label2->setText(QString::number(FlashPlayer->TotalFrames()));
        FlashPlayer->Play();
    } catch (const QuillonError& error) {
        // The player could not take the movie: say why, and leave the states alone.
        FMessages->ShowPlayFailure(QString::fromStdString(error.what()));
        return;
    }
    Timer1->start();
    APlaySource->setEnabled(false);
    AStop->setEnabled(true);
}

void TFMain::AStopExecute() {
    Timer1->stop();
    if (FlashPlayer) {
        FlashPlayer->StopPlay();
    }
    AStop->setEnabled(false);
    APlaySource->setEnabled(true);
}

void TFMain::Timer1Timer() {
    // While the user holds the slider it stays where the hand puts it.
    if (FlashPlayer && !TrackBar1->isSliderDown()) {
        TrackBar1->setValue(FlashPlayer->CurrentFrame());
    }
}

void TFMain::TrackBar1Seek() {
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

} // namespace quillon::ui
