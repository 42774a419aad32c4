#pragma once
// What the display and event classes of ActionScript 3 keep beside the machine: the
// display objects and the clips behind them, event listeners, timers and the virtual
// clock. Hung on the machine as its embedder.

#include "codec/Errors.h"
#include "player/engine/display/DisplayHost.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Vm.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillon::engine::avm2stage {

using avm2::Object;
using avm2::Value;

struct Listener {
    Value fn;
    bool capture = false;
    int priority = 0;
};

// A display object: the clip behind it (0 for one made by a script and never shown),
// its place in the script-side tree and its frame scripts.
// A goto made while the clip's own frame script runs, done when the script ends.
struct QueuedGoto {
    int frame = 0;
    bool play = false;
};

struct DisplayRecord {
    ClipId clip = 0;
    Object* parent = nullptr;
    std::vector<Object*> children;
    std::string name;
    std::map<int, Value> frameScripts; // frame (0-based) -> function
    int scriptedFrame = -1;            // the frame whose script ran last
    bool runningScript = false;        // its frame script is running
    std::optional<QueuedGoto> queuedGoto;
    bool fromTimeline = false; // placed by the timeline, not made by a script
    bool symbol = false;       // made by a script of a sprite's class: its clip plays the sprite
    bool constructPending = false;    // placed by the timeline, its constructor not yet run
    bool textField = false;           // a TextField: its clip is a text field
    Object* graphics = nullptr;       // its Graphics, once asked for
    std::shared_ptr<EditField> field; // a script-made text field's model while it has no clip
    double x = 0, y = 0, scaleX = 1, scaleY = 1, rotation = 0, alpha = 1;
    // Its colour transform while it has no clip (the alpha multiplier is alpha's).
    std::optional<ClipColor> color;
    // A matrix a script set while it has no clip keeps its skew and flips: its linear
    // part holds as long as scales and rotation stay as it gave them.
    struct Linear {
        double a, b, c, d;
        double scaleX, scaleY, rotation;
    };
    std::optional<Linear> linear;
    const Linear* keptLinear() const {
        return linear && linear->scaleX == scaleX && linear->scaleY == scaleY &&
                       linear->rotation == rotation
                   ? &*linear
                   : nullptr;
    }
    bool visible = true;
    Object* mask = nullptr;             // the object masking this one
    Object* maskedBy = nullptr;         // on a mask: the object it masks
    Object* bitmapData = nullptr;       // a Bitmap's BitmapData
    bool smoothing = false;             // a Bitmap's smoothing
    std::shared_ptr<VideoScreen> video; // a Video: what it shows
    // A loaded movie's root: the movie its clip plays and its LoaderInfo.
    std::shared_ptr<const ScriptMovie> movie;
    Object* loaderInfo = nullptr;
};

// Drawing commands one Graphics keeps, and all of a movie's together; more are dropped.
inline constexpr std::size_t MaxGraphicsCommands = 100000;
inline constexpr std::int64_t MaxStageDrawCommands = 1000000;

// A Graphics: the display object it draws on and what it has drawn, replayed when the
// object gets a clip.
struct GraphicsRecord {
    Object* owner = nullptr;
    std::vector<DrawCommand> commands;
};

struct EventRecord {
    std::string type;
    bool bubbles = false, cancelable = false;
    bool stopped = false, stoppedNow = false, prevented = false;
    Value target, currentTarget;
    int phase = 2;
};

struct TimerRecord {
    double delay = 0;
    int repeatCount = 0;
    int currentCount = 0;
    bool running = false;
    double due = 0;
};

// setTimeout and setInterval.
struct Callback {
    Value fn;
    std::vector<Value> args;
    double interval = 0;
    double due = 0;
    bool repeat = false;
};

struct MediaState; // NetConnection, NetStream and Video (MediaState.h)

// A Loader's load waiting for the frame to end: a file's url, or the bytes given.
struct DisplayLoad {
    Object* loader = nullptr;
    std::string url;
    std::optional<std::string> bytes;
};

// A SimpleButton's states (up, over, down, hit; null for none) and the one it shows,
// which alone hangs below it; a timeline button makes its states once.
struct ButtonStates {
    std::array<Object*, 4> states{};
    int shown = 0;
    bool built = false;
};

struct StageState : avm2::Embedder {
    explicit StageState(DisplayHost& host) : host(host) {}
    DisplayHost& host;
    double clockMs = 0; // virtual time since the movie started
    double stageWidth = 550, stageHeight = 400, frameRate = 24;
    std::function<void(const std::string&)> warning;
    Object* stage = nullptr;
    Object* root = nullptr;
    Object* securityDomain = nullptr; // SecurityDomain.currentDomain, once asked for
    bool useNetwork = false;          // the movie asks for network access, not local files
    std::unordered_map<Object*, DisplayRecord> displays;
    std::unordered_map<Object*, EventRecord> events;
    std::unordered_map<Object*, GraphicsRecord> graphics;
    std::unordered_map<Object*, ButtonStates> buttons;
    // The pixels of each BitmapData (none once disposed).
    std::unordered_map<Object*, std::shared_ptr<BitmapPixels>> bitmaps;
    std::int64_t drawCommands = 0; // in every graphics together
    std::unordered_map<Object*, TimerRecord> timers;
    std::vector<Object*> timerOrder;
    std::unordered_map<Object*, std::map<std::string, std::vector<Listener>>> listeners;
    // Display objects that listened for enterFrame, frameConstructed or exitFrame, which
    // every display object hears whether on the stage or not.
    std::map<std::string, std::vector<Object*>> broadcasters;
    std::map<int, Callback> callbacks;
    int nextCallback = 1;
    // Timeline children met so far, and the classes the movie binds to its characters.
    std::unordered_map<ClipId, Object*> objectsByClip;
    std::map<std::uint16_t, std::string> symbolClasses;
    std::unordered_map<Object*, EmbeddedFont> fonts; // Font objects and the fonts they stand for
    int instanceNames = 0;                           // the N of the last "instanceN" given
    // URLLoader loads waiting for the next frame.
    std::vector<std::pair<Object*, std::string>> urlLoads;
    bool binding = false; // BindTimeline is running
    // Frame scripts (or the document's constructor) are running: a goto there leaves the
    // new frame's scripts to the frame's next round.
    bool inFrameScripts = false;
    int finishingFrames = 0; // FinishFrame calls under way, nested by gotos
    int scriptRuns = 0;      // frame-script runs under way, nested by gotos
    int frameScriptRuns = 0; // frame scripts run in this frame
    int swfVersion = 13;
    // Loader's loads waiting for the frame to end.
    std::vector<DisplayLoad> displayLoads;
    // Files beside the movie (nothing when missing or not allowed), and the streams.
    std::function<std::optional<std::string>(const std::string& url)> readFile;
    std::shared_ptr<MediaState> media;
    Object* mainInfo = nullptr;  // the main movie's LoaderInfo, once asked for
    Object* stageInfo = nullptr; // the stage's, once asked for
};

StageState& StateOf(avm2::Vm& vm);
// "pkg.Name" or "pkg::Name" as a name to look up.
avm2::Name NameFromText(avm2::Vm& vm, const std::string& text);
using avm2::BuiltinClass;
DisplayRecord* DisplayOf(avm2::Vm& vm, const Value& v);

// Installs flash.events, flash.display and the flash.utils timing functions.
void InstallEventClasses(avm2::Vm& vm);
void InstallDisplayClasses(avm2::Vm& vm);
void InstallSystemClasses(avm2::Vm& vm);
void InstallUtilityClasses(avm2::Vm& vm);
// flash.utils.describeType.
void InstallDescribeType(avm2::Vm& vm);
// flash.media.Video, flash.net.NetConnection and NetStream, flash.events.NetStatusEvent.
void InstallMediaClasses(avm2::Vm& vm);
// flash.display.Loader and LoaderInfo; FinishDisplayLoads ends the loads asked for so far.
void InstallLoaderClasses(avm2::Vm& vm, avm2::ClassObject* container);
void FinishDisplayLoads(avm2::Vm& vm);
// DisplayObject.loaderInfo: the LoaderInfo of the movie the object belongs to.
avm2::Value GetLoaderInfo(avm2::Vm& vm, const avm2::Value& self, std::span<const avm2::Value>);
// The main movie's first frame is built: its LoaderInfo, if a script asked for it,
// sends init and complete.
void MainMovieLoaded(avm2::Vm& vm);
// The root of the movie an object belongs to: the main timeline, or a loaded movie's root
// as far as the object hangs from one; null for one off the display list.
Object* MovieRootOf(StageState& state, Object* o);
// Reads a DoABC or DoABC2 tag's ABC and, unless marked lazy, runs its entry script; a
// damaged block is a warning.
void LoadAbcBlock(avm2::Vm& vm, std::uint16_t tagCode, std::span<const std::uint8_t> body);
// The class a movie binds to its main timeline: MovieClip when it names none or one it
// does not define, or one that is no Sprite (which the player reports).
avm2::ClassObject* DocumentClass(avm2::Vm& vm,
                                 const std::map<std::uint16_t, std::string>& symbolClasses);
// Plays the streams on by a frame's time and tells their scripts what happened.
void AdvanceStreams(avm2::Vm& vm, double frameMs);

// Gives every clip on the timeline below the root that has no object yet one of its
// symbol's class, not yet constructed, and brings the parents' child lists in line with
// the display list.
void PlaceTimeline(avm2::Vm& vm);
// Constructs the placed objects below `parent`: each constructor constructs its own
// children when it reaches the display classes' part; after it the object is named on
// its parent and hears added (and addedToStage).
void ConstructPlacedChildren(avm2::Vm& vm, Object* parent);
// A SimpleButton: its states, and which one it shows (set when it first takes one).
bool IsButton(StageState& state, Object* o);
void SetButtonState(avm2::Vm& vm, Object* button, int which, Object* shownOrNot);
// An object a script made of a class the movie binds to a sprite gets a clip playing that
// sprite, held off the display list, with its first frame's children placed and
// constructed, as the timeline would give them.
void GiveSymbol(avm2::Vm& vm, Object* o);
// PlaceTimeline, then every placed object constructed.
void BindTimeline(avm2::Vm& vm);
// The same below one object (a loaded movie's root), whose new clips hear they arrived.
void BindTimelineOf(avm2::Vm& vm, Object* top);
// The character a movie binds to the object's class or one it extends, if any.
std::optional<std::uint16_t> SymbolOfObject(avm2::Vm& vm, Object* self);
// The rest of a frame once its display list is built: objects for the new clips,
// frameConstructed, the frame scripts, exitFrame.
void FinishFrame(avm2::Vm& vm);
// After a script's goto: the new frame finished at once, or when frame scripts are
// running, its objects made and the scripts of the clip moved and its children run.
void FinishGoto(avm2::Vm& vm, Object* moved);
// Runs the frame scripts due on an object and below it, parents first.
void RunFrameScripts(avm2::Vm& vm, Object* top);
// Moves a clip's playhead at once (the frame's objects are made by the caller).
void MovePlayheadNow(avm2::Vm& vm, DisplayRecord* record, ClipId clip, int frame, bool play);
// Sends an event of `type` to every display object that listens for it.
void Broadcast(avm2::Vm& vm, const char* type);

// Graphics: one drawing command, and the items of an Array or Vector argument.
void SendDrawCommand(avm2::Vm& vm, const Value& graphics, const DrawCommand& command);
std::size_t ListLength(avm2::Vm& vm, const Value& list);
Value ListItem(avm2::Vm& vm, const Value& list, std::size_t i);
// The Graphics of a display object, made on first use.
Value GraphicsFor(avm2::Vm& vm, const Value& owner);

// Script-made display objects on the display list: a child placed in a parent that has
// a clip gets a clip of its own (its state and drawing put on it, its children after
// it); one that leaves takes its state back and its clip goes. PlaceChildren brings
// the depths of a parent's script-made children in line with their order.
void Realize(avm2::Vm& vm, Object* child);
void Unrealize(avm2::Vm& vm, Object* child);
// Takes an object's clips off the display list even when the timeline placed them (a
// button's state swapped out): from then on it is the scripts' own.
void Withdraw(avm2::Vm& vm, Object* o);
void PlaceChildren(avm2::Vm& vm, Object* parent);
// Hands what scripts set on an object that the engine draws (mask, scrollRect,
// opaqueBackground) to the clip it has just got.
void PushLook(avm2::Vm& vm, Object* o);

// The instance constructor every display class shares: gives a script-made object its
// record and an "instanceN" name.
avm2::Value DisplayInit(avm2::Vm& vm, const avm2::Value& self, std::span<const avm2::Value>);

// True when the object is below the stage.
bool OnStage(StageState& state, Object* o);
// Tells a child it arrived or left: type ("added", "removed") bubbles, and stageType
// ("addedToStage", "removedFromStage") follows when it is on the stage, to it and to
// everything below it.
void NotifyArrival(avm2::Vm& vm, Object* child, const char* type, const char* stageType);
// An object the timeline placed (or the root) arrives after its children, which heard
// theirs as they were constructed: added and addedToStage go to it alone.
void NotifyTimelineArrival(avm2::Vm& vm, Object* child);

// Reports a script error that no handler caught as the movie's warning.
void ReportUncaught(avm2::Vm& vm, const avm2::ScriptException& e);

// Runs one piece of a movie's scripts so that its failure is a warning and the movie
// goes on.
template <class Body> void Guarded(avm2::Vm& vm, Body&& body) {
    try {
        body();
    } catch (const avm2::ScriptException& e) {
        ReportUncaught(vm, e);
    } catch (const QuillonError& e) {
        StateOf(vm).warning(e.what());
    }
}

// Event's constructor (type, bubbles, cancelable), which its subclasses call first.
Value EventInit(avm2::Vm& vm, const Value& self, std::span<const Value> args);
// A value kept on an object out of the scripts' sight, null when never kept.
Value HiddenValue(avm2::Vm& vm, const Value& self, const char* key);
void KeepHidden(avm2::Vm& vm, const Value& self, const char* key, const Value& value);
// A property kept hidden under Key and read back as written, as native getter and setter.
template <const char* Key>
Value GetHidden(avm2::Vm& vm, const Value& self, std::span<const Value>) {
    return HiddenValue(vm, self, Key);
}
template <const char* Key>
Value SetHidden(avm2::Vm& vm, const Value& self, std::span<const Value> args) {
    KeepHidden(vm, self, Key, args.empty() ? Value() : args[0]);
    return Value();
}
// A true/false property kept hidden under Key, reading Default until a script sets it.
template <const char* Key, bool Default>
Value GetHiddenFlag(avm2::Vm& vm, const Value& self, std::span<const Value>) {
    const Value own = HiddenValue(vm, self, Key);
    return own.isNull() ? Value::boolean(Default) : own;
}
template <const char* Key>
Value SetHiddenFlag(avm2::Vm& vm, const Value& self, std::span<const Value> args) {
    KeepHidden(vm, self, Key, Value::boolean(avm2::ToBoolean(args.empty() ? Value() : args[0])));
    return Value();
}

// Makes an Event of a built-in class (Event, TimerEvent) and sends it to target.
Value NewEvent(avm2::Vm& vm, const char* className, const std::string& type, bool bubbles = false);
bool Dispatch(avm2::Vm& vm, Object* target, const Value& event);
// Calls a listener or callback as the player does: a plain closure gets its global
// object as this.
Value CallHandler(avm2::Vm& vm, const Value& fn, std::span<const Value> args);

} // namespace quillon::engine::avm2stage
