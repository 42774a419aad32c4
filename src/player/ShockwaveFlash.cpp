#include "ShockwaveFlash.h"

#include "player/engine/MovieEngine.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quillon::player {

namespace {

// A movie that declares no frame rate still has to move; twelve frames a second is
// what authoring tools default to.
constexpr int FallbackFrameRate8_8 = 12 * 256;

PlayerFactory& Factory() {
    static PlayerFactory factory;
    return factory;
}

} // namespace

TShockwaveFlash::TShockwaveFlash(QWidget* parent)
    : QWidget(parent), engine_(std::make_unique<engine::MovieEngine>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TShockwaveFlash::nextFrame);
}

TShockwaveFlash::~TShockwaveFlash() = default;

void TShockwaveFlash::LoadMovie(int layer, const QString& path) {
    LoadMovie(layer, QFile::encodeName(path).toStdString());
}

void TShockwaveFlash::LoadMovie(int /*layer*/, const std::string& path) {
    timer_.stop();
    engine_->load(path);
    zoomRect_ = QRectF();
    update();
}

int TShockwaveFlash::TotalFrames() const {
    return engine_->frameCount();
}

int TShockwaveFlash::FrameInterval() const {
    int rate = engine_->frameRate8_8();
    if (rate == 0) {
        rate = FallbackFrameRate8_8;
    }
    const double ms = 1000.0 * 256.0 / rate;
    return std::clamp(static_cast<int>(std::lround(ms)), 1, 60000);
}

void TShockwaveFlash::Play() {
    if (!engine_->isLoaded()) {
        return;
    }
    timer_.start(FrameInterval());
}

void TShockwaveFlash::StopPlay() {
    timer_.stop();
}

int TShockwaveFlash::CurrentFrame() const {
    return engine_->currentFrame();
}

void TShockwaveFlash::SetZoomRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom) {
    zoomRect_ = QRectF(QPointF(left, top), QPointF(right, bottom));
    update();
}

void TShockwaveFlash::ScaleMode(int mode) {
    scaleMode_ = mode;
    update();
}

void TShockwaveFlash::BackgroundColor(int rgb) {
    background_ = QColor::fromRgb(static_cast<QRgb>(rgb) & 0xFFFFFFu);
    update();
}

void TShockwaveFlash::Stop() {
    timer_.stop();
}

void TShockwaveFlash::FrameNum(int frame) {
    engine_->gotoFrame(frame);
    update();
}

QRectF TShockwaveFlash::ViewRect() const {
    return zoomRect_.isNull() ? engine_->frameRect() : zoomRect_;
}

void TShockwaveFlash::nextFrame() {
    // Runs from the timer, where no caller could handle an error: a movie that fails
    // to run on simply halts, keeping its last picture.
    try {
        engine_->advance();
    } catch (const std::exception&) {
        timer_.stop();
    }
    update();
}

void TShockwaveFlash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF target(rect());
    const QRectF view = ViewRect();
    if (!engine_->isLoaded() || view.width() <= 0 || view.height() <= 0) {
        painter.fillRect(target, background_);
        return;
    }
    const auto mode = scaleMode_ == 2 ? engine::ScaleMode::ExactFit : engine::ScaleMode::ShowAll;
    engine_->render(painter, target, view, mode, background_);
}

void TSF::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    TShockwaveFlash::mousePressEvent(event);
}

TSF* CreatePlayer(QWidget* owner) {
    if (Factory()) {
        return Factory()(owner);
    }
    return new TSF(owner);
}

void SetPlayerFactory(PlayerFactory factory) {
    Factory() = std::move(factory);
}

} // namespace quillon::player
