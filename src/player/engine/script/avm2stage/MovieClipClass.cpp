// flash.display.MovieClip (the timeline through the display host, frame scripts kept
// for the runner) and flash.display.Stage.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/SceneClasses.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr int MaxFrameScripts = 16000;

ClipId ClipOf(Vm& vm, const Value& self) {
    const DisplayRecord* r = DisplayOf(vm, self);
    return r ? r->clip : 0;
}

double ClipNumber(Vm& vm, const Value& self, ClipProperty which) {
    const ClipId clip = ClipOf(vm, self);
    return clip ? StateOf(vm).host.property(clip, which) : 1;
}

// Where a clip's playhead stands: its scenes, the frame (0-based on the whole timeline)
// and the scene holding it.
struct Playhead {
    std::vector<SceneInfo> scenes;
    int frame = 0;
    std::size_t scene = 0;
    const SceneInfo& current() const { return scenes[scene]; }
};

Playhead PlayheadOf(Vm& vm, const Value& self) {
    Playhead p;
    if (const ClipId clip = ClipOf(vm, self)) {
        p.scenes = StateOf(vm).host.scenes(clip);
        p.frame = static_cast<int>(ClipNumber(vm, self, ClipProperty::CurrentFrame)) - 1;
    }
    if (p.scenes.empty()) {
        p.scenes.push_back(SceneInfo{"Scene 1", 0, 1, {}});
    }
    p.scene = SceneAt(p.scenes, p.frame);
    return p;
}

Value CurrentFrame(Vm& vm, const Value& self, std::span<const Value>) {
    // A clip a script made of a class bound to no symbol has no frame to stand on.
    StageState& state = StateOf(vm);
    const DisplayRecord* r = DisplayOf(vm, self);
    if (r && !r->fromTimeline && self.asObject() != state.root &&
        !SymbolOfObject(vm, self.asObject())) {
        return Value::integer(0);
    }
    const Playhead p = PlayheadOf(vm, self);
    return Value::integer(p.frame - p.current().offset + 1);
}
Value TotalFrames(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberValue(ClipNumber(vm, self, ClipProperty::TotalFrames));
}
Value CurrentScene(Vm& vm, const Value& self, std::span<const Value>) {
    const Playhead p = PlayheadOf(vm, self);
    return NewScene(vm, p.current());
}
Value Scenes(Vm& vm, const Value& self, std::span<const Value>) {
    std::vector<Value> out;
    for (const SceneInfo& scene : PlayheadOf(vm, self).scenes) {
        out.push_back(NewScene(vm, scene));
    }
    return Value::object(vm.newArray(std::move(out)));
}
Value CurrentLabels(Vm& vm, const Value& self, std::span<const Value>) {
    return NewLabels(vm, PlayheadOf(vm, self).current());
}
// currentLabel (Exact false: the last label at or before the playhead, in this scene or
// an earlier one) and currentFrameLabel (true: the label of this very frame); null when
// there is none.
template <bool Exact> Value LabelHere(Vm& vm, const Value& self, std::span<const Value>) {
    const Playhead p = PlayheadOf(vm, self);
    const FrameLabelInfo* found = nullptr;
    for (const SceneInfo& scene : p.scenes) {
        for (const FrameLabelInfo& label : scene.labels) {
            if (Exact ? label.frame == p.frame
                      : label.frame <= p.frame && (!found || label.frame >= found->frame)) {
                found = &label;
            }
        }
    }
    return found ? Value::string(found->name) : Value::null();
}
Value SetPlaying(Vm& vm, const Value& self, bool playing) {
    if (const ClipId clip = ClipOf(vm, self)) {
        StateOf(vm).host.setPlaying(clip, playing);
    }
    return Value();
}
Value Play(Vm& vm, const Value& self, std::span<const Value>) {
    return SetPlaying(vm, self, true);
}
Value Stop(Vm& vm, const Value& self, std::span<const Value>) {
    return SetPlaying(vm, self, false);
}
Value IsPlaying(Vm& vm, const Value& self, std::span<const Value>) {
    const ClipId clip = ClipOf(vm, self);
    return Value::boolean(clip && StateOf(vm).host.playing(clip));
}

// The frame (0-based on the whole timeline) a goto names: a whole number counts from 1
// in the scene given, or the current one; a label is looked up in that scene first. Throws the
// player's ArgumentError for an unknown scene or label.
int FrameArg(Vm& vm, const Value& self, const Value& given, const Value& sceneName) {
    // An object names its frame by its text, as a string would.
    const Value frame = given.isObject() ? Value::string(ToString(vm, given)) : given;
    const Playhead p = PlayheadOf(vm, self);
    std::size_t scene = p.scene;
    if (!sceneName.isNullish()) {
        const std::string name = ToString(vm, sceneName);
        scene = p.scenes.size();
        for (std::size_t i = 0; i < p.scenes.size() && scene == p.scenes.size(); ++i) {
            scene = p.scenes[i].name == name ? i : scene;
        }
        if (scene == p.scenes.size()) {
            vm.throwError(ErrorKind::ArgumentError, 2108, "Scene " + name + " was not found.");
        }
    }
    const SceneInfo& in = p.scenes[scene];
    // A whole number, also one written as text, is a frame number; other texts and
    // fractions are labels first.
    const double asNumber =
        frame.isString() ? StringToNumber(ToString(vm, frame)) : ToNumber(vm, frame);
    const bool whole = std::isfinite(asNumber) && asNumber == std::trunc(asNumber);
    const bool fraction = frame.isNumeric() && std::isfinite(asNumber) && !whole;
    if ((frame.isString() && !whole) || fraction) {
        const std::string label = ToString(vm, frame);
        for (const FrameLabelInfo& l : in.labels) {
            if (l.name == label) {
                return l.frame;
            }
        }
        for (const SceneInfo& other : p.scenes) {
            for (const FrameLabelInfo& l : other.labels) {
                if (l.name == label && sceneName.isNullish()) {
                    return l.frame;
                }
            }
        }
        if (std::isnan(StringToNumber(label))) {
            vm.throwError(ErrorKind::ArgumentError, 2109,
                          "Frame label " + label + " not found in scene " + in.name + ".");
        }
    }
    // The number is cut to 32 bits (saturating), less one in 32-bit arithmetic; what
    // falls before the scene's first frame goes there, the rest is clamped at the end.
    const double n = ToNumber(vm, frame);
    const double cut = std::isnan(n) ? 0 : std::clamp(n, -2147483648.0, 2147483647.0);
    const auto index =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(cut)) - 1u);
    return static_cast<int>(
        std::min<std::int64_t>(INT_MAX, std::int64_t{in.offset} + std::max(0, index)));
}

// Moves the playhead and finishes the frame it lands on. From version 10, a clip's goto
// from its own running frame script waits until the script ends, and a later goto
// replaces it.
void MovePlayhead(Vm& vm, const Value& self, ClipId clip, int frame, bool play) {
    DisplayRecord* r = DisplayOf(vm, self);
    if (r && r->runningScript && StateOf(vm).swfVersion >= 10) {
        r->queuedGoto = QueuedGoto{frame, play};
        return;
    }
    MovePlayheadNow(vm, r, clip, frame, play);
    FinishGoto(vm, self.isObject() ? self.asObject() : nullptr);
}

Value Goto(Vm& vm, const Value& self, std::span<const Value> args, bool play) {
    const ClipId clip = ClipOf(vm, self);
    if (!clip) {
        return Value();
    }
    const int target = FrameArg(vm, self, Arg(args, 0), Arg(args, 1));
    MovePlayhead(vm, self, clip, target, play);
    return Value();
}
Value GotoAndStop(Vm& vm, const Value& self, std::span<const Value> args) {
    return Goto(vm, self, args, false);
}
Value GotoAndPlay(Vm& vm, const Value& self, std::span<const Value> args) {
    return Goto(vm, self, args, true);
}
Value Step(Vm& vm, const Value& self, int by) {
    const ClipId clip = ClipOf(vm, self);
    if (!clip) {
        return Value();
    }
    DisplayHost& host = StateOf(vm).host;
    const int frame = static_cast<int>(host.property(clip, ClipProperty::CurrentFrame)) + by;
    const int total = static_cast<int>(host.property(clip, ClipProperty::TotalFrames));
    if (frame >= 1 && frame <= total) {
        MovePlayhead(vm, self, clip, frame - 1, false);
    } else {
        host.setPlaying(clip, false);
    }
    return Value();
}
Value NextFrame(Vm& vm, const Value& self, std::span<const Value>) {
    return Step(vm, self, 1);
}
Value PrevFrame(Vm& vm, const Value& self, std::span<const Value>) {
    return Step(vm, self, -1);
}

// nextScene (By 1) and prevScene (-1): the first frame of that scene, playing or not as
// before; nothing past the first or the last scene.
template <int By> Value StepScene(Vm& vm, const Value& self, std::span<const Value>) {
    const ClipId clip = ClipOf(vm, self);
    const Playhead p = PlayheadOf(vm, self);
    const auto to = static_cast<std::ptrdiff_t>(p.scene) + By;
    if (clip && to >= 0 && to < static_cast<std::ptrdiff_t>(p.scenes.size())) {
        DisplayHost& host = StateOf(vm).host;
        MovePlayhead(vm, self, clip, p.scenes[static_cast<std::size_t>(to)].offset,
                     host.playing(clip));
    }
    return Value();
}

Value AddFrameScript(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayRecord* r = DisplayOf(vm, self);
    for (std::size_t i = 0; r && i + 1 < args.size(); i += 2) {
        const double frame = ToNumber(vm, args[i]);
        if (!(frame >= 0 && frame < MaxFrameScripts)) {
            continue;
        }
        if (args[i + 1].isObject()) {
            r->frameScripts[static_cast<int>(frame)] = args[i + 1];
        } else {
            r->frameScripts.erase(static_cast<int>(frame));
        }
    }
    return Value();
}

Value StageWidth(Vm& vm, const Value&, std::span<const Value>) {
    return NumberValue(StateOf(vm).stageWidth);
}
Value StageHeight(Vm& vm, const Value&, std::span<const Value>) {
    return NumberValue(StateOf(vm).stageHeight);
}
Value FrameRate(Vm& vm, const Value&, std::span<const Value>) {
    return NumberValue(StateOf(vm).frameRate);
}
Value SetFrameRate(Vm& vm, const Value&, std::span<const Value> args) {
    // The player keeps the rate within 0.01 to 1000 and reports a NaN as it was given.
    const double rate = ToNumber(vm, Arg(args, 0));
    StateOf(vm).frameRate = std::isnan(rate) ? rate : std::clamp(rate, 0.01, 1000.0);
    return Value();
}
template <const char* Text> Value Constant(Vm&, const Value&, std::span<const Value>) {
    return Value::string(Text);
}
Value Ignore(Vm&, const Value&, std::span<const Value>) {
    return Value();
}
constexpr char NoScale[] = "noScale";
constexpr char TopLeft[] = "";
constexpr char High[] = "high";
constexpr char Normal[] = "normal";

} // namespace

void InstallMovieClipClass(Vm& vm, ClassObject* sprite) {
    InstallSceneClasses(vm);
    NativeClass(vm, "MovieClip", sprite, "flash.display")
        .init(sprite->init.native)
        .getters({{"currentFrame", CurrentFrame},
                  {"totalFrames", TotalFrames},
                  {"framesLoaded", TotalFrames},
                  {"currentLabel", LabelHere<false>},
                  {"currentFrameLabel", LabelHere<true>},
                  {"currentLabels", CurrentLabels},
                  {"currentScene", CurrentScene},
                  {"scenes", Scenes},
                  {"isPlaying", IsPlaying}})
        .methods({{"play", Play},
                  {"stop", Stop},
                  {"gotoAndStop", GotoAndStop},
                  {"gotoAndPlay", GotoAndPlay},
                  {"nextFrame", NextFrame},
                  {"prevFrame", PrevFrame},
                  {"nextScene", StepScene<1>},
                  {"prevScene", StepScene<-1>},
                  {"addFrameScript", AddFrameScript}});
}

void InstallStageClass(Vm& vm, ClassObject* container) {
    NativeClass stage(vm, "Stage", container, "flash.display");
    stage.init(container->init.native)
        .getters({{"stageWidth", StageWidth},
                  {"stageHeight", StageHeight},
                  {"frameRate", FrameRate},
                  {"scaleMode", Constant<NoScale>},
                  {"align", Constant<TopLeft>},
                  {"quality", Constant<High>},
                  {"displayState", Constant<Normal>}}) // focus: FocusClasses.cpp
        .setter("frameRate", SetFrameRate);
    for (const char* ignored : {"scaleMode", "align", "quality", "displayState"}) {
        stage.setter(ignored, Ignore);
    }
}

} // namespace quillon::engine::avm2stage
