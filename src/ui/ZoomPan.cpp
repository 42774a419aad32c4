// Zoom and pan of the preview.

#include "MainWindow.h"
#include "PlayerPanel.h"
#include "Shared.h"
#include "ZoomView.h"
#include "player/ShockwaveFlash.h"

#include <QDoubleSpinBox>
#include <QScrollBar>
#include <cmath>
#include <limits>

namespace quillon::ui {

ZoomView Zoom;

namespace {

constexpr double ZoomStep = 0.3;
constexpr double ZoomFloor = 0.1;
constexpr double ZoomFloorValue = 0.3;

// Divides in floating point and rounds to the nearest integer, a half to the even
// neighbour; a view far larger than any movie is held at the integer range.
std::int32_t ScaledEdge(std::int32_t edge, double factor) {
    const double scaled = std::nearbyint(static_cast<double>(edge) / factor);
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(scaled)) {
        return edge;
    }
    return static_cast<std::int32_t>(std::fmin(std::fmax(scaled, lowest), highest));
}

// A negative maximum leaves the old one in place.
void SetMaximumUnlessNegative(QScrollBar* bar, std::int64_t maximum) {
    if (maximum >= 0 && maximum <= std::numeric_limits<int>::max()) {
        bar->setMaximum(static_cast<int>(maximum));
    }
}

player::TSF& Player(player::TSF* player) {
    if (!player) {
        throw std::runtime_error("The movie player is not available");
    }
    return *player;
}

// The zoom factor after a step, never at or below the floor.
void StepZoom(double step) {
    ZoomFactor = ZoomFactor + step;
    if (ZoomFactor <= ZoomFloor) {
        ZoomFactor = ZoomFloorValue;
    }
}

} // namespace

void PlayerPanel::recomputeView() {
    {
        const QSignalBlocker quietHor(SBHor);
        const QSignalBlocker quietVer(SBVer);
        SBHor->setValue(0);
        SBVer->setValue(0);
    }
    Zoom.ViewRight = ScaledEdge(Zoom.FrameXMax, ZoomFactor);
    Zoom.ViewBottom = ScaledEdge(Zoom.FrameYMax, ZoomFactor);
    const bool magnified = ZoomFactor > 1.0;
    SBVer->setEnabled(magnified);
    SBHor->setEnabled(magnified);
    Player(FlashPlayer).SetZoomRect(Zoom.ViewLeft, Zoom.ViewTop, Zoom.ViewRight, Zoom.ViewBottom);
    SetMaximumUnlessNegative(SBHor, std::int64_t{Zoom.FrameXMax} - Zoom.ViewRight);
    SetMaximumUnlessNegative(SBVer, std::int64_t{Zoom.FrameYMax} - Zoom.ViewBottom);
}

void PlayerPanel::zoomIn() {
    Player(FlashPlayer).ScaleMode(0);
    StepZoom(ZoomStep);
    recomputeView();
}

void PlayerPanel::zoomOut() {
    Player(FlashPlayer).ScaleMode(0);
    StepZoom(-ZoomStep);
    recomputeView();
}

void PlayerPanel::zoomTo(double factor) {
    try {
        ZoomFactor = factor;
        Player(FlashPlayer).ScaleMode(0);
        recomputeView();
    } catch (...) {
        // Typing in the box never brings up an error.
    }
}

void PlayerPanel::showFitted(int scaleMode) {
    ZoomFactor = 1.0;
    SBVer->setEnabled(false);
    SBHor->setEnabled(false);
    player::TSF& player = Player(FlashPlayer);
    player.SetZoomRect(Zoom.FrameXMin, Zoom.FrameYMin, Zoom.FrameXMax, Zoom.FrameYMax);
    player.ScaleMode(scaleMode);
}

void PlayerPanel::scroll() {
    try {
        const std::int32_t h = SBHor->value();
        const std::int32_t v = SBVer->value();
        Player(FlashPlayer)
            .SetZoomRect(Zoom.ViewLeft + h, Zoom.ViewTop + v, Zoom.ViewRight + h,
                         Zoom.ViewBottom + v);
    } catch (...) {
        // Panning never brings up an error.
    }
}

void TFMain::AZoomInExecute() {
    player_->zoomIn();
}

void TFMain::AZoomOutExecute() {
    player_->zoomOut();
}

void TFMain::ZoomSpinChange(double value) {
    player_->zoomTo(value);
}

void TFMain::AExpandExecute() {
    player_->showFitted(2);
}

void TFMain::AFitExecute() {
    player_->showFitted(0);
}

void TFMain::ScrollBarScroll() {
    player_->scroll();
}

} // namespace quillon::ui
