#pragma once
// The movie engine: loads a movie, runs its timeline frame by frame and draws the
// current frame. Widget-free; the player component and `quillon-cli render` use it.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace quillon::engine {

class ScriptSound;
struct SoundLibrary;
enum class ButtonTransition;
struct ButtonRoll;

// How a view rectangle is mapped into the drawing area.
enum class ScaleMode {
    ShowAll = 0,  // the whole view fits, proportions kept, background around it
    ExactFit = 2, // the view is stretched to the area
};

// How scripts run: the seeded random source, the date they see, and where their trace()
// lines and warnings go. Set before load().
struct ScriptOptions {
    std::uint32_t seed = 0;
    double dateMs = 1262304000000.0; // the start of 2010, UTC
    std::function<void(const std::string&)> trace;
    std::function<void(const std::string&)> warning; // also kept in warnings() when unset
    std::function<void(const std::string& url, const std::string& target)> request;
    bool scripts = true;            // false: frames play without running any script
    std::int64_t stepsPerFrame = 0; // 0: about a second of script steps a frame
};

class MovieEngine {
public:
    MovieEngine();
    ~MovieEngine();
    MovieEngine(MovieEngine&&) = delete; // so neither copied nor moved

    void setScriptOptions(ScriptOptions options);

    // Loads a movie file (plain or compressed), replacing the current one. Throws a
    // QuillonError when the file cannot be read or holds no movie at all; damage past
    // the header is tolerated and noted in warnings().
    void load(const std::string& path);
    // The same from the bytes of a movie file. Scripts may read files below folder (none
    // when it is empty) and see url as the movie's address.
    void loadBytes(std::vector<std::uint8_t> fileBytes, const std::string& folder = {},
                   const std::string& url = {});
    bool isLoaded() const;

    // The frames the main timeline really has (at least 1 once loaded).
    int frameCount() const;
    // The frame rate in 8.8 fixed point, as the header stores it.
    std::uint16_t frameRate8_8() const;
    // The frame rectangle in twips.
    QRectF frameRect() const;
    // The movie's own background colour (white when it sets none).
    QColor backgroundColor() const;

    // The frame on show, 0-based.
    int currentFrame() const;
    // Runs one frame: enterFrame events, the timelines move on (looping after the last
    // frame, as a Flash player does), then the frame scripts and clip events in the
    // player's order; the script clock moves on by one frame.
    void advance();
    // Shows frame n (0-based), as a seek does; the frame's actions do not run.
    void gotoFrame(int frame);
    // False once the movie's own actions have stopped its main timeline; advance() then
    // keeps the frame while the clips inside it go on.
    bool isPlaying() const;

    // Draws the current frame: the view rectangle (twips) mapped into target (device
    // pixels) by mode, over background (the movie's own colour when none is given).
    void render(QPainter& painter, const QRectF& target, const QRectF& viewTwips, ScaleMode mode,
                std::optional<QColor> background = std::nullopt) const;

    // The transform render() uses from movie twips to the target's pixels; its inverse
    // takes a point of the drawing area into the movie.
    static QTransform viewTransform(const QRectF& target, const QRectF& viewTwips, ScaleMode mode);

    // The pointer over the movie at a point in twips, or gone from it. The button under
    // it shows its over state, plays its roll-over sound and runs its roll-over actions;
    // the one it leaves goes back to up with its roll-out sound and actions. Each frame
    // hit-tests the same point again. Presses never reach the movie.
    void pointerMoved(QPointF twips);
    void pointerLeft();
    // The character id of the button under the pointer, 0 when none.
    std::uint16_t buttonUnderPointer() const;

    // A key goes down or up (keyCode as scripts read it: 9 Tab, 13 Enter, 65 A ...).
    // Scripts hear it; Tab and Shift+Tab move the keyboard focus along the tab order,
    // and the yellow rectangle shows around the object that has it.
    void keyPressed(int keyCode, bool shift = false);
    void keyReleased(int keyCode);

    // Smooth (anti-aliased) edges, as a player's high quality; off draws hard edges, as
    // its low quality. On by default.
    void setAntialiasing(bool on);
    bool antialiasing() const;

    // Bytes of decoded bitmap pixels the movie holds (for memory figures).
    std::size_t bitmapBytes() const;

    // The sound of the frame on show, on the movie's own clock: 44.1 kHz stereo samples,
    // as many as the frame lasts, appended to out. Call once after each frame runs.
    void renderSound(std::vector<std::int16_t>& out);
    // Off: no sound is started or decoded and every frame is silent. On by default; the
    // choice holds across loads.
    void setSoundEnabled(bool on);
    bool soundEnabled() const { return soundEnabled_; }
    // Silences everything playing (the timelines start their sounds again as they run).
    void stopSounds();
    // Every sound the movie holds (empty before a movie is loaded).
    const SoundLibrary& sounds() const;
    // A button's state changed under the pointer: plays the sound its DefineButtonSound
    // names for that change, if any.
    void buttonStateChanged(std::uint16_t buttonId, ButtonTransition transition);
    // What the script interpreters drive the sound through.
    ScriptSound& scriptSound();

    // What was skipped or could not be read while loading and running.
    const std::vector<std::string>& warnings() const;

private:
    struct State;
    void startScripts(State& state, const std::string& folder) const;
    void startAs3Scripts(State& state) const;
    void startDocument(State& state) const;
    void followRolls(const std::vector<ButtonRoll>& rolls);
    void drawFocusRect(QPainter& painter, const QTransform& view) const;
    std::unique_ptr<State> state_;
    bool antialiasing_ = true;
    bool soundEnabled_ = true;
    ScriptOptions scriptOptions_;
};

} // namespace quillon::engine
