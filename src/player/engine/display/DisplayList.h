#pragma once
// The running movie: each clip (the main timeline, every placed sprite and button)
// holds its display list, keyed by depth, and its own playhead.

#include "player/engine/characters/BitmapPixels.h"
#include "player/engine/characters/Characters.h"
#include "player/engine/characters/Timeline.h"
#include "player/engine/display/ClipDrawing.h"
#include "player/engine/display/ScriptEvents.h"

#include <QColor>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quillon::engine {

struct Clip;

// Clips inside clips deeper than this (a sprite that holds itself) are left out.
inline constexpr int MaxClipNesting = 64;
// Characters on show at once in all clips together, and characters placed in one frame
// step; more are left out. Sprites or buttons that each hold the one before twice would
// otherwise need 2^64 of them.
inline constexpr std::int64_t MaxLiveInstances = 50000;

// Counts the instances alive in one movie: each copy counts, a moved-from one not.
class LiveCount {
public:
    LiveCount() = default;
    explicit LiveCount(std::shared_ptr<std::int64_t> count) : count_(std::move(count)) { add(); }
    LiveCount(const LiveCount& other) : count_(other.count_) { add(); }
    LiveCount(LiveCount&& other) noexcept = default;
    LiveCount& operator=(LiveCount other) noexcept {
        std::swap(count_, other.count_);
        return *this;
    }
    ~LiveCount() {
        if (count_) {
            --*count_;
        }
    }

private:
    void add() {
        if (count_) {
            ++*count_;
        }
    }
    std::shared_ptr<std::int64_t> count_;
};

struct Instance {
    std::uint16_t characterId = 0;
    std::uint32_t epoch = 0;
    std::shared_ptr<Character> character;
    QTransform matrix;
    ColorTransform colorTransform;
    int ratio = 0;
    int clipDepth = 0;
    int blendMode = 0;
    std::vector<Filter> filters;
    bool visible = true;
    std::string name;
    std::shared_ptr<Clip> clip;      // sprites and buttons
    std::uint64_t placedInFrame = 0; // the runner's frame number at placement
    LiveCount counted;               // against MaxLiveInstances while it has a character
    ClipId scriptId = 0;             // given when scripts first reach it
    bool scripted = false;           // made or moved by a script: the timeline leaves it be
    int placedAt = -1;               // the frame of its parent's timeline that placed it
    bool scriptMoved = false;        // a script set its matrix: timeline moves keep off it
    ClipActions clipActions;
    // What scripts set on top of the timeline's placement.
    ClipId maskId = 0;                    // the clip that masks this one
    ClipId masking = 0;                   // on a mask: the clip it masks (it is not drawn)
    std::optional<QRectF> scrollRect;     // crops and scrolls the content (own twips)
    std::optional<QRgb> opaqueBackground; // fills the content's bounds beneath it
    bool cacheAsBitmap = false;           // drawn through a picture of whole pixels
    // The scales and turn (radians) a script last gave, which read back as given (signs,
    // angles past a half turn, endless values) while the matrix keeps the turn and scale
    // they made.
    struct ScaleAndTurn {
        QTransform made;
        double xScale = 1, yScale = 1, rotation = 0;
    };
    std::optional<ScaleAndTurn> scaleAndTurn;
};

struct Clip : std::enable_shared_from_this<Clip> {
    const Timeline* timeline = nullptr; // none for buttons
    // Set on the main timeline and on a clip a movie was loaded into.
    std::shared_ptr<const MovieFacts> movie;
    std::uint64_t loadedInFrame = 0; // a movie loaded in a frame starts on the next one
    int frame = -1;
    bool playing = true;
    std::map<int, Instance> list;
    std::weak_ptr<Clip> parent;
    int depth = 0;
    ClipId scriptId = 0;
    std::shared_ptr<ClipDrawing> drawing; // what scripts drew, beneath the list
    // Pixels a script shows on the clip, beneath its drawing (shared with the script, so
    // its changes show at once), one pixel to TwipsPerPixel twips.
    std::shared_ptr<const BitmapPixels> bitmap;
    bool smoothBitmap = false;
    // On a clip at the top of a tree (the main timeline, a level): where it sits on the
    // stage, as a parent's list places every other clip. Only its matrix, colour
    // transform and visibility count.
    Instance placement;
};

// What a clip shows of its own (its bitmap and drawing) in its twips; null for nothing.
QRectF OwnBounds(const Clip& clip);

// Where a script id leads: the clip holding it, the instance and its own clip (if any).
struct Placed {
    Clip* parent = nullptr;
    Instance* instance = nullptr;
    Clip* clip = nullptr;
};

// The matrix from a clip's own space to the stage, through the placement of the clip at
// the top of its tree.
QTransform StageMatrixOf(const Clip& clip);

// Runs clips against a dictionary: frame moves, placement, and the frame actions.
class ClipRunner {
public:
    ClipRunner(const Dictionary& dictionary, std::vector<std::string>& warnings)
        : dictionary_(dictionary), warnings_(warnings) {}

    // Starts a clip on its first frame.
    void start(const std::shared_ptr<Clip>& clip);
    // Starts a movie loaded into a clip or level: it shows its first frame now and moves
    // on with the next frame of the movie.
    void startLoaded(const std::shared_ptr<Clip>& clip) {
        clip->loadedInFrame = frameNumber_;
        start(clip);
    }
    // Starts a new frame of the movie: clips placed from now on skip this frame's tick.
    void beginFrame() {
        ++frameNumber_;
        resetBudget();
    }
    // Starts a new step (a frame or a seek) with a fresh count of characters placed.
    void resetBudget() { placed_ = 0; }
    // One frame for clip and everything inside it; their frame actions are queued.
    void tick(const std::shared_ptr<Clip>& clip);
    // Moves the playhead of a clip to frame (clamped), rebuilding its display list when
    // it goes back; the frame's actions are queued.
    void gotoFrame(const std::shared_ptr<Clip>& clip, int frame);
    // Runs the actions queued by frames entered so far.
    void runQueuedActions();
    // Drops queued actions (a seek shows a frame without running its script).
    void dropQueuedActions() {
        queue_.clear();
        initActions_.clear();
        initialize_.clear();
        construct_.clear();
    }

    // Scripts: who runs them, and the ids scripts know clips and instances by.
    void setScripts(ScriptEvents* events) { events_ = events; }
    // Whether placements without a name get instance1, instance2... (on by default).
    void setDefaultNames(bool on) { defaultNames_ = on; }
    void queueEnterFrame(const std::shared_ptr<Clip>& clip);
    ClipId idOf(Clip& clip);
    ClipId idOf(Clip& parent, int depth);
    // Nothing for a clip no longer on show: one taken off its parent, or whose parent or
    // any clip above was, even while something still holds it.
    Placed resolve(ClipId id);
    void setRoot(const std::shared_ptr<Clip>& root) { root_ = root; }
    // Movies loaded into levels above the main timeline (_level1 and up), by number.
    void setLevel(int number, const std::shared_ptr<Clip>& clip);
    void removeLevel(int number);
    const std::map<int, std::shared_ptr<Clip>>& levels() const { return levels_; }
    // The main timeline and then each level, bottom to top.
    std::vector<std::shared_ptr<Clip>> tops() const;
    const std::shared_ptr<Clip>& root() const { return root_; }
    const Dictionary& dictionary() const { return dictionary_; }
    // Places a character (or a prepared instance) at a depth of a clip, as a script does.
    Instance* place(Clip& clip, int depth, Instance fresh, const std::string& name);
    // from: an imported library's dictionary; none for the movie's own.
    bool makeInstance(Instance& instance, std::uint16_t id, std::uint32_t epoch,
                      const Dictionary* from = nullptr);
    void removeAt(Clip& clip, int depth);
    void moveDepth(Clip& clip, int from, int to);
    // Clips scripts made of a symbol and hold off the display list: they play on, drawn
    // nowhere, until a script puts them on it. Made on first use.
    const std::shared_ptr<Clip>& offstage();
    const std::shared_ptr<Clip>& offstageIfAny() const { return offstage_; }
    // Takes a placed instance, with its id and everything it holds, to a depth of another
    // clip; false when there is no such instance or the move would put it inside itself.
    bool moveInstance(ClipId id, Clip& to, int depth);
    void runNow(Clip& clip, const std::vector<std::uint8_t>& code);
    // Shows a placed button's records of one state (ButtonUp, ButtonOver), replacing
    // the ones on show.
    void showButtonState(Instance& button, std::uint8_t state);
    // A placement folded from the frames a jump passes.
    struct Folded {
        PlaceCommand command;
        int frame = -1; // of the placement; -1 for a move alone
    };

private:
    struct Queued {
        std::weak_ptr<Clip> clip;
        const std::vector<std::uint8_t>* code = nullptr; // a frame script, or
        std::optional<ClipEvent> event;                  // a clip event
        ClipActions actions;
    };
    struct Registered {
        std::weak_ptr<Clip> parent;
        int depth = 0;
    };
    // frame: the timeline frame the command comes from.
    void apply(Clip& clip, const PlaceCommand& command, int frame);
    // The commands of frames from..to folded into one a depth, in the order first met.
    static std::vector<Folded> fold(const Timeline& timeline, int from, int to);
    // Moves a clip's playhead over several frames at once, or back.
    void jump(const std::shared_ptr<Clip>& clip, int frame);
    void fillButton(Clip& clip, const ButtonCharacter& button, std::uint32_t epoch,
                    std::uint8_t state, const Dictionary* from = nullptr);
    void warn(const std::string& text);
    // The name a placement without one gets: instance1, instance2... across the movie.
    std::string defaultName() {
        return defaultNames_ ? "instance" + std::to_string(++unnamed_) : std::string();
    }
    void adopt(Clip& parent, int depth, Instance& instance);
    struct Positions {
        std::size_t queue, initialize, construct;
    };
    Positions positions() const { return {queue_.size(), initialize_.size(), construct_.size()}; }
    void queueLoad(Instance& instance, const Positions& at);
    void runItem(Queued& item);
    void unloadEvents(Instance& instance);
    void queueInitActions(const Frame& frame);

    const Dictionary& dictionary_;
    std::vector<std::string>& warnings_;
    std::deque<Queued> queue_;
    // Run before the queue: a symbol's init actions first, as the clips placed alongside
    // may be of the class they register, then clip events in placement order.
    std::deque<Queued> initActions_, initialize_, construct_;
    ScriptEvents* events_ = nullptr;
    std::shared_ptr<Clip> root_;
    std::unordered_map<ClipId, Registered> ids_;
    std::map<int, std::shared_ptr<Clip>> levels_;
    std::shared_ptr<Clip> offstage_;
    // Whether a clip hangs from the main timeline or a level, through clips still waiting
    // for their unload handlers when `unloading` says so.
    bool attached(const Clip& clip, bool unloading = true) const;
    // Clips removed with an unload handler: what they hold stays there until the frame's
    // actions are done.
    std::vector<std::shared_ptr<Clip>> unloading_;
    ClipId nextId_ = 2; // 1 is the main timeline
    std::set<std::uint16_t> initDone_;
    int nesting_ = 0;
    std::uint64_t frameNumber_ = 0;
    std::shared_ptr<std::int64_t> liveInstances_ = std::make_shared<std::int64_t>(0);
    std::int64_t placed_ = 0; // in this step
    bool defaultNames_ = true;
    std::uint64_t unnamed_ = 0; // timeline placements that came without a name
};

} // namespace quillon::engine
