#include "ShockwaveFlash.h"

#include "player/engine/MovieEngine.h"

#include <QDateTime>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace quillon::player {

namespace {

// A movie that declares no frame rate still has to move; twelve frames a second is
// what authoring tools default to.
constexpr int FallbackFrameRate8_8 = 12 * 256;
// Sound queued ahead of the frame on show, beyond the frame's own: enough to ride out a
// late timer, little enough that the sound heard stays with the picture.
constexpr double SoundLeadMs = 30;
// A player that falls further behind than this many frames gives up catching up.
constexpr std::int64_t MaxCatchUpFrames = 8;

// A key as the movie's scripts number it (Key.TAB is 9, Key.ENTER 13 ...); 0 for one
// they have no number for.
int MovieKeyCode(int qtKey) {
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) {
        return qtKey; // digits and letters share their codes
    }
    static const std::pair<int, int> named[] = {
        {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},    {Qt::Key_Backtab, 9},  {Qt::Key_Return, 13},
        {Qt::Key_Enter, 13},    {Qt::Key_Shift, 16}, {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},
        {Qt::Key_Escape, 27},   {Qt::Key_Space, 32}, {Qt::Key_PageUp, 33},  {Qt::Key_PageDown, 34},
        {Qt::Key_End, 35},      {Qt::Key_Home, 36},  {Qt::Key_Left, 37},    {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},    {Qt::Key_Down, 40},  {Qt::Key_Insert, 45},  {Qt::Key_Delete, 46}};
    for (const auto& [key, code] : named) {
        if (key == qtKey) {
            return code;
        }
    }
    return 0;
}

PlayerFactory& Factory() {
    static PlayerFactory factory;
    return factory;
}

} // namespace

TShockwaveFlash::TShockwaveFlash(QWidget* parent)
    : QWidget(parent), engine_(std::make_unique<engine::MovieEngine>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TShockwaveFlash::nextFrame);
}

TShockwaveFlash::~TShockwaveFlash() = default;

void TShockwaveFlash::LoadMovie(int layer, const QString& path) {
    LoadMovie(layer, QFile::encodeName(path).toStdString());
}

void TShockwaveFlash::LoadMovie(int /*layer*/, const std::string& path) {
    // The engine keeps its movie when the new one fails, so the timer runs on until the
    // new one is in: a failed load never halts what plays behind the window's back.
    // Scripts in the window read the real clock, where the headless runs fix one.
    engine::ScriptOptions scripts;
    scripts.dateMs = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
    engine_->setScriptOptions(std::move(scripts));
    engine_->load(path);
    timer_.stop();
    silence();
    zoomRect_ = QRectF();
    update();
}

int TShockwaveFlash::TotalFrames() const {
    return engine_->frameCount();
}

double TShockwaveFlash::FrameMs() const {
    int rate = engine_->frameRate8_8();
    if (rate == 0) {
        rate = FallbackFrameRate8_8;
    }
    return 1000.0 * 256.0 / rate;
}

int TShockwaveFlash::FrameInterval() const {
    // Rounded down: the timer wakes a little early rather than late, and the frames due
    // are counted on the exact rate, so the timeline neither drifts from its sound nor
    // runs frames in pairs.
    return std::clamp(static_cast<int>(std::floor(FrameMs())), 1, 60000);
}

void TShockwaveFlash::Play() {
    if (!engine_->isLoaded()) {
        return;
    }
    if (soundEnabled_ && !audio_.active()) {
        audio_.start();
    }
    // Without a device nothing is mixed: the timeline runs the same, silently.
    engine_->setSoundEnabled(soundEnabled_ && audio_.active());
    startClock();
    timer_.start(FrameInterval());
}

void TShockwaveFlash::StopPlay() {
    timer_.stop();
    silence();
}

void TShockwaveFlash::SetSoundEnabled(bool on) {
    soundEnabled_ = on;
    if (!on) {
        silence();
        engine_->setSoundEnabled(false);
    }
}

void TShockwaveFlash::silence() {
    audio_.stop();
    engine_->stopSounds();
}

void TShockwaveFlash::startClock() {
    clock_.start();
    framesRun_ = 0;
    // The frame on show sounds first.
    frameSound_.clear();
    queueSound();
}

void TShockwaveFlash::queueSound() {
    frameSound_.clear();
    engine_->renderSound(frameSound_);
    audio_.write(frameSound_, std::llround(1000.0 * (FrameMs() + SoundLeadMs)));
}

double TShockwaveFlash::SoundDriftFrames() const {
    if (!audio_.active() || !clock_.isValid()) {
        return 0;
    }
    // Sound dropped to keep up counts as heard: the device has moved past it.
    const double heardUs =
        static_cast<double>(audio_.playedMicroseconds() + audio_.droppedMicroseconds());
    return static_cast<double>(framesRun_) - heardUs / (1000.0 * FrameMs());
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
    silence();
}

void TShockwaveFlash::FrameNum(int frame) {
    engine_->gotoFrame(frame);
    update();
}

QRectF TShockwaveFlash::ViewRect() const {
    return zoomRect_.isNull() ? engine_->frameRect() : zoomRect_;
}

void TShockwaveFlash::nextFrame() {
    // The frames due by the clock run, each with its sound, and only the last is drawn:
    // when drawing falls behind, frames are skipped rather than the sound stretched.
    const auto due = static_cast<std::int64_t>(static_cast<double>(clock_.elapsed()) / FrameMs());
    std::int64_t steps = due - framesRun_;
    if (steps > MaxCatchUpFrames) {
        framesRun_ = due - 1; // hopelessly late: start afresh from now
        steps = 1;
    }
    if (steps <= 0) {
        return; // woke early: the frame on show is still due
    }
    // Runs from the timer, where no caller could handle an error: a movie that fails
    // to run on simply halts, keeping its last picture.
    try {
        for (; steps > 0; --steps) {
            runFrame();
        }
    } catch (const std::exception&) {
        timer_.stop();
        silence();
    }
    update();
}

void TShockwaveFlash::runFrame() {
    engine_->advance();
    ++framesRun_;
    queueSound();
}

void TShockwaveFlash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF target(rect());
    const QRectF view = ViewRect();
    if (!engine_->isLoaded() || view.width() <= 0 || view.height() <= 0) {
        painter.fillRect(target, background_);
        return;
    }
    engine_->render(painter, target, view, engineMode(), background_);
}

engine::ScaleMode TShockwaveFlash::engineMode() const {
    return scaleMode_ == 2 ? engine::ScaleMode::ExactFit : engine::ScaleMode::ShowAll;
}

void TShockwaveFlash::mouseMoveEvent(QMouseEvent* event) {
    const QRectF view = ViewRect();
    if (engine_->isLoaded() && view.width() > 0 && view.height() > 0) {
        bool invertible = false;
        const QTransform toMovie =
            engine::MovieEngine::viewTransform(QRectF(rect()), view, engineMode())
                .inverted(&invertible);
        if (invertible) {
            engine_->pointerMoved(toMovie.map(event->position()));
            update();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void TShockwaveFlash::leaveEvent(QEvent* event) {
    engine_->pointerLeft();
    update();
    QWidget::leaveEvent(event);
}

void TShockwaveFlash::keyPressEvent(QKeyEvent* event) {
    const int code = MovieKeyCode(event->key());
    if (!engine_->isLoaded() || code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool shift = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    engine_->keyPressed(code, shift);
    update();
}

void TShockwaveFlash::keyReleaseEvent(QKeyEvent* event) {
    const int code = MovieKeyCode(event->key());
    if (!engine_->isLoaded() || code == 0 || event->isAutoRepeat()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    engine_->keyReleased(code);
    update();
}

bool TShockwaveFlash::focusNextPrevChild(bool next) {
    return !engine_->isLoaded() && QWidget::focusNextPrevChild(next);
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
