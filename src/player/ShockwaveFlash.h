#pragma once
// The movie player component: a widget that plays one movie with the movie engine and
// offers the members the window drives (load, play, stop, frame position, zoom
// rectangle, scale mode, background colour).

#include "player/AudioOutput.h"

#include <QColor>
#include <QElapsedTimer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillon::engine {
class MovieEngine;
enum class ScaleMode;
} // namespace quillon::engine

namespace quillon::player {

class TShockwaveFlash : public QWidget {
    Q_OBJECT
public:
    explicit TShockwaveFlash(QWidget* parent = nullptr);
    ~TShockwaveFlash() override;

    // Replaces the current movie, halted; throws a QuillonError when the file holds no
    // movie, and the current one stays as it was, playing or not. The view goes back to
    // the whole movie; the scale mode stays.
    void LoadMovie(int layer, const QString& path);
    // The same for a path as the file system gives it (a name need not be UTF-8).
    void LoadMovie(int layer, const std::string& path);
    // The frame count of the loaded movie (0 before any).
    int TotalFrames() const;
    // Runs the timeline at the movie's own frame rate, looping after the last frame.
    void Play();
    // Halts the timeline; the picture stays.
    void StopPlay();
    // The frame on show (0-based).
    int CurrentFrame() const;
    // Shows that rectangle of the movie (twips) in the player's area.
    void SetZoomRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    // 0: the view fits whole, proportions kept; 2: it is stretched to the area.
    void ScaleMode(int mode);
    int scaleMode() const { return scaleMode_; }
    // The colour behind the movie, as 0xRRGGBB.
    void BackgroundColor(int rgb);
    // The seek's members: halt, then show a given frame.
    void Stop();
    void FrameNum(int frame);
    // Whether the movie's sound is played (config.ini's "Sound"); on by default. Without
    // an audio device the movie plays silently all the same.
    void SetSoundEnabled(bool on);
    bool SoundEnabled() const { return soundEnabled_; }
    // True while sound goes to a device.
    bool SoundPlaying() const { return audio_.active(); }
    // The frame on show less the frame whose sound the device plays (frames since Play,
    // sound dropped to keep up counted as played): the player's own measure of how far
    // picture and sound have drifted apart. Near 0 in step; positive when sound lags.
    double SoundDriftFrames() const;

    bool IsPlaying() const { return timer_.isActive(); }
    // The rectangle of the movie being shown, in twips.
    QRectF ViewRect() const;
    // The timer interval in milliseconds for the loaded movie's frame rate.
    int FrameInterval() const;
    // The exact length of one frame in milliseconds.
    double FrameMs() const;
    const engine::MovieEngine& Engine() const { return *engine_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The pointer reaches the movie's buttons (roll over and out), never its presses.
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Keys reach the movie: Tab and Shift+Tab move its focus instead of the window's.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    engine::ScaleMode engineMode() const;
    void nextFrame();
    // Runs one frame of the movie and queues its sound.
    void runFrame();
    // Renders the frame's sound and queues it, never more than a frame and a little ahead.
    void queueSound();
    void startClock();
    void silence();

    std::unique_ptr<engine::MovieEngine> engine_;
    QTimer timer_;
    QRectF zoomRect_; // empty: the whole movie
    int scaleMode_ = 0;
    QColor background_ = Qt::white;
    AudioOutput audio_;
    bool soundEnabled_ = true;
    QElapsedTimer clock_;        // since Play
    std::int64_t framesRun_ = 0; // since Play
    std::vector<std::int16_t> frameSound_;
};

// The program's player: swallows left and right button presses so the movie never
// receives a click; everything else passes.
class TSF : public TShockwaveFlash {
    Q_OBJECT
public:
    using TShockwaveFlash::TShockwaveFlash;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Creates the player owned by a window. Tests install a factory that fails (throws or
// returns nullptr) to see the program's reaction to a missing player.
using PlayerFactory = std::function<TSF*(QWidget* owner)>;
TSF* CreatePlayer(QWidget* owner);
void SetPlayerFactory(PlayerFactory factory); // empty: the real player

} // namespace quillon::player
